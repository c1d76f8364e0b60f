#include "unzip/directory_location.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "unzip/zip_errors.h"
#include "unzip/zip_records.h"

namespace kelvano {
namespace {

using namespace zip_record;
using namespace zip_error;

DirectoryLocation Refused(const char* error) {
  DirectoryLocation location;
  location.error = error;
  return location;
}

std::optional<std::uint32_t> SignatureAt(ArchiveWindows& archive, std::uint64_t position) {
  const std::optional<ArchiveWindow> bytes = archive.Read(position, 4);
  if (!bytes) return std::nullopt;
  return ReadLe32(bytes->Data());
}

// The Zip64 end record where its locator says, or else right before the locator, where
// bytes in front of the archive have moved it. Its position, or nothing.
std::optional<std::uint64_t> ReadZip64Record(ArchiveWindows& archive, std::uint64_t locatorPosition,
                                             std::uint64_t statedPosition, EndRecord& end) {
  if (locatorPosition < kZip64EndSize) return std::nullopt;
  const std::uint64_t latest = locatorPosition - kZip64EndSize;
  for (const std::uint64_t position : {statedPosition, latest}) {
    if (position > latest) continue;
    const std::optional<ArchiveWindow> record = archive.Read(position, kZip64EndSize);
    if (record && ReadZip64End(record->Data(), end)) return position;
  }
  return std::nullopt;
}

// Whether a directory starting at start, with every offset moved by shift, finds its
// first member. A damaged directory offset finds none; an encrypted directory, refused
// later, is taken as found.
bool FindsFirstMember(ArchiveWindows& archive, std::uint64_t start, std::uint64_t end, std::uint64_t shift) {
  const std::uint64_t longestRecord = kCentralHeaderSize + 3 * std::uint64_t{0xFFFF};
  const std::optional<ArchiveWindow> directory = archive.Read(start, std::min(end - start, longestRecord));
  if (!directory || directory->Size() < 4) return false;
  if (ReadLe32(directory->Data()) == kArchiveExtraDataSignature) return true;
  ZipEntry first;
  if (ReadCentralRecord(directory->Data(), directory->Size(), first) == 0) return false;
  const std::uint64_t header = first.localHeaderOffset + shift;
  return header >= shift && SignatureAt(archive, header) == kLocalHeaderSignature;
}

// The member at the archive's start masks its local header's values: the directory
// that holds them is encrypted.
bool MasksItsHeaders(ArchiveWindows& archive, std::uint64_t archiveStart) {
  const std::optional<ArchiveWindow> header = archive.Read(archiveStart, kLocalHeaderSize);
  return header && ReadLe32(header->Data()) == kLocalHeaderSignature &&
         (ReadLe16(header->Data() + 6) & kMaskedHeadersFlag) != 0;
}

}  // namespace

DirectoryLocation LocateDirectory(ArchiveWindows& archive) {
  // The end record is searched backwards from the end: a comment may follow it.
  const std::uint64_t fileSize = archive.FileSize();
  const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment);
  const std::optional<ArchiveWindow> tail = archive.Read(fileSize - tailSize, tailSize);
  if (!tail) return Refused(kMappingFile);
  std::optional<EndRecord> end = FindEndRecord(tail->Data(), tail->Size());
  if (!end) return Refused(kUnknownHeader);
  const std::uint64_t endPosition = fileSize - tailSize + end->offsetInTail;

  // The central directory runs up to the end records.
  std::uint64_t directoryEnd = endPosition;
  if (endPosition >= kZip64LocatorSize) {
    const std::uint64_t locatorPosition = endPosition - kZip64LocatorSize;
    const std::optional<ArchiveWindow> locator = archive.Read(locatorPosition, kZip64LocatorSize);
    if (const std::optional<std::uint64_t> stated = locator ? ReadZip64Locator(locator->Data()) : std::nullopt) {
      const std::optional<std::uint64_t> zip64Position = ReadZip64Record(archive, locatorPosition, *stated, *end);
      if (!zip64Position) return Refused(kUnknownHeader);
      directoryEnd = *zip64Position;
    }
  }

  DirectoryLocation location;
  location.end = directoryEnd;
  location.statedSize = end->directorySize;
  location.entries = end->entries;
  location.commentStart = endPosition + kEndSize;
  location.commentLength = end->commentLength;
  location.start = end->directoryOffset;
  // A directory that ends before the end records by its own size lies past its stated
  // offset: the archive was moved, its members with it.
  if (end->directorySize <= directoryEnd && end->directoryOffset < directoryEnd - end->directorySize) {
    const std::uint64_t moved = directoryEnd - end->directorySize;
    const std::uint64_t shift = moved - end->directoryOffset;
    if (end->entries == 0 || FindsFirstMember(archive, moved, directoryEnd, shift)) {
      location.start = moved;
      location.shift = shift;
    }
  }

  if (SignatureAt(archive, location.start) == kArchiveExtraDataSignature || MasksItsHeaders(archive, location.shift)) {
    return Refused(kEncryption);
  }
  if (end->entries != end->entriesInAll) return Refused(kEntryCountMismatch);
  // Every record takes at least its fixed part: a count that cannot fit is refused
  // before anything is sized by it.
  if (location.start > directoryEnd || end->entries > (directoryEnd - location.start) / kCentralHeaderSize ||
      end->entries > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return Refused(kInvalidCenterHeader);
  }
  return location;
}

bool IsWholeDirectory(const DirectoryLocation& location, const ArchiveWindow& directory, std::size_t walked) {
  const std::size_t rest = directory.Size() - walked;
  // Bytes between the directory and the end records, past the size the end record
  // gives, are no part of it.
  if (rest == 0 || (walked > 0 && walked == location.statedSize)) return true;
  const std::uint8_t* after = directory.Data() + walked;
  return rest >= 6 && ReadLe32(after) == kDigitalSignatureSignature && std::size_t{6} + ReadLe16(after + 4) == rest;
}

}  // namespace kelvano
