#include "unzip/zip_records.h"

#include <algorithm>

#include "unzip/zip_names.h"

namespace kelvano {
namespace {

using namespace zip_record;

constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint32_t kSaturated32 = 0xFFFFFFFF;
constexpr std::uint16_t kSaturated16 = 0xFFFF;
constexpr std::uint32_t kDosFolderAttribute = 0x10;

// Systems whose external attributes hold the MS-DOS ones in their low byte: MS-DOS and
// FAT, OS/2's HPFS, VFAT, and NTFS both as the format numbers it (10) and as
// Info-ZIP's Windows programs do (11).
bool HasDosAttributes(std::uint8_t system) {
  return system == 0 || system == 6 || system == 10 || system == 11 || system == 14;
}

// Replaces the central record's saturated fields by their values from the Zip64 extra
// field, in the order the format gives them. False when a field is missing from it.
bool ApplyZip64Extra(ZipEntry& entry, bool wideUncompressed, bool wideCompressed, bool wideOffset, bool wideDisk) {
  const std::vector<std::uint8_t>& extra = entry.extra;
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const std::uint16_t id = ReadLe16(&extra[at]);
    const std::size_t size = ReadLe16(&extra[at + 2]);
    const std::size_t start = at + 4;
    if (size > extra.size() - start) break;
    if (id == kZip64ExtraId) {
      std::size_t field = start;
      const std::size_t end = start + size;
      auto take64 = [&](std::uint64_t& value) {
        if (end - field < 8) return false;
        value = ReadLe64(&extra[field]);
        field += 8;
        return true;
      };
      if (wideUncompressed && !take64(entry.uncompressedSize)) return false;
      if (wideCompressed && !take64(entry.compressedSize)) return false;
      if (wideOffset && !take64(entry.localHeaderOffset)) return false;
      if (wideDisk) {
        if (end - field < 4) return false;
        entry.diskNumber = ReadLe32(&extra[field]);
      }
      return true;
    }
    at = start + size;
  }
  // Without a Zip64 field the saturated values are taken as they stand.
  return true;
}

}  // namespace

std::optional<EndRecord> FindEndRecord(const std::uint8_t* tail, std::size_t tailSize) {
  if (tailSize < kEndSize) return std::nullopt;
  std::optional<EndRecord> fitting;
  for (std::size_t at = tailSize - kEndSize + 1; at-- > 0;) {
    if (ReadLe32(tail + at) != kEndSignature) continue;
    const std::uint16_t commentLength = ReadLe16(tail + at + 20);
    const std::size_t room = tailSize - at - kEndSize;
    if (commentLength > room) continue;
    const EndRecord end{at,
                        ReadLe16(tail + at + 8),
                        ReadLe16(tail + at + 10),
                        ReadLe32(tail + at + 12),
                        ReadLe32(tail + at + 16),
                        commentLength};
    if (commentLength == room) return end;
    if (!fitting) fitting = end;
  }
  return fitting;
}

std::optional<std::uint64_t> ReadZip64Locator(const std::uint8_t* locator) {
  if (ReadLe32(locator) != kZip64LocatorSignature) return std::nullopt;
  return ReadLe64(locator + 8);
}

bool ReadZip64End(const std::uint8_t* record, EndRecord& end) {
  if (ReadLe32(record) != kZip64EndSignature) return false;
  end.entries = ReadLe64(record + 24);
  end.entriesInAll = ReadLe64(record + 32);
  end.directorySize = ReadLe64(record + 40);
  end.directoryOffset = ReadLe64(record + 48);
  return true;
}

std::size_t ReadCentralRecord(const std::uint8_t* data, std::size_t available, ZipEntry& entry) {
  if (available < kCentralHeaderSize || ReadLe32(data) != kCentralHeaderSignature) return 0;
  const std::size_t nameLength = ReadLe16(data + 28);
  const std::size_t extraLength = ReadLe16(data + 30);
  const std::size_t commentLength = ReadLe16(data + 32);
  const std::size_t total = kCentralHeaderSize + nameLength + extraLength + commentLength;
  if (total > available) return 0;

  entry.madeBySystem = std::to_string(data[5]);
  entry.madeByVersion = VersionText(data[4]);
  entry.neededSystem = std::to_string(data[7]);
  entry.neededVersion = VersionText(data[6]);
  entry.flags = ReadLe16(data + 8);
  entry.method = ReadLe16(data + 10);
  entry.modified = DosToDate(ReadLe16(data + 14), ReadLe16(data + 12));
  entry.crc32 = ReadLe32(data + 16);
  entry.compressedSize = ReadLe32(data + 20);
  entry.uncompressedSize = ReadLe32(data + 24);
  entry.diskNumber = ReadLe16(data + 34);
  entry.internalAttributes = ReadLe16(data + 36);
  entry.externalAttributes = ReadLe32(data + 38);
  entry.localHeaderOffset = ReadLe32(data + 42);

  const std::uint8_t* name = data + kCentralHeaderSize;
  const std::uint8_t* extra = name + nameLength;
  const std::uint8_t* comment = extra + extraLength;
  const bool utf8 = (entry.flags & kUtf8Flag) != 0;
  entry.fileName = DecodeEntryText(std::string_view(reinterpret_cast<const char*>(name), nameLength), utf8);
  std::replace(entry.fileName.begin(), entry.fileName.end(), '/', '\\');
  entry.extra.assign(extra, extra + extraLength);
  entry.fileComment = DecodeEntryText(std::string_view(reinterpret_cast<const char*>(comment), commentLength), utf8);

  if (!ApplyZip64Extra(entry, entry.uncompressedSize == kSaturated32, entry.compressedSize == kSaturated32,
                       entry.localHeaderOffset == kSaturated32, entry.diskNumber == kSaturated16)) {
    return 0;
  }
  // Some archivers give folders an empty compressed stream: nothing to extract either.
  // Archivers of MS-DOS and Windows may mark a folder by its attribute alone.
  const bool named = !entry.fileName.empty() && entry.fileName.back() == '\\';
  const bool marked = HasDosAttributes(data[5]) && (entry.externalAttributes & kDosFolderAttribute) != 0;
  entry.isDirectory = (named || marked) && (entry.compressedSize == 0 || entry.uncompressedSize == 0);
  return total;
}

LocalHeader ReadLocalHeader(const std::uint8_t* header) {
  return LocalHeader{ReadLe32(header) == kLocalHeaderSignature,
                     kLocalHeaderSize + ReadLe16(header + 26) + std::uint64_t{ReadLe16(header + 28)}};
}

DateTime DosToDate(std::uint16_t date, std::uint16_t time) {
  DateTime result;
  if (date == 0 && time == 0) return result;
  const DateTime decoded{1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
                         time >> 11,         (time >> 5) & 0x3F, (time & 0x1F) * 2};
  return IsValidDate(decoded) ? decoded : result;
}

std::string VersionText(std::uint8_t version) {
  return std::to_string(version / 10) + "." + std::to_string(version % 10);
}

}  // namespace kelvano
