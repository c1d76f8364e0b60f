#include "unzip/cunzip.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "system/setup_error.h"
#include "system/system_error_text.h"
#include "unzip/directory_location.h"
#include "unzip/folder_path.h"
#include "unzip/inflate.h"
#include "unzip/zip_records.h"

namespace kelvano {
namespace {

using namespace zip_record;
using namespace zip_error;

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflate = 8;
constexpr std::uint16_t kDeflate64 = 9;
// Stored members are copied through windows of this size, so that a 32-bit process
// needs no more address space for them than this, whatever their size.
constexpr std::uint64_t kStoredWindow = std::uint64_t{64} << 20;
// Checksummed and copied in pieces that stay in the processor's cache in between.
constexpr std::size_t kStoredPiece = std::size_t{256} << 10;

constexpr std::int32_t kInvalidPatternNumber = 93;

bool IsSelected(const ZipFilter& filter, const std::optional<NamePattern>& pattern, std::size_t index,
                const std::string& name) {
  if (const auto* selection = std::get_if<std::vector<bool>>(&filter)) {
    return index < selection->size() && (*selection)[index];
  }
  return !pattern || pattern->Matches(name);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() != '\\' ? folder + '\\' + name : folder + name;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

}  // namespace

const char* DecodingError(InflateResult result) {
  switch (result) {
    case InflateResult::kInputDepleted: return kInStreamDepleted;
    case InflateResult::kBadStoredLength: return kInvalidBlockSize;
    case InflateResult::kStoredOverflow: return kOutStreamOverflow;
    case InflateResult::kBadBlockType: return kCompressedData;
    case InflateResult::kOverSubscribedCode: return kTreeOverSubscribed;
    case InflateResult::kRepeatWithoutLength: return kNoLastLength;
    case InflateResult::kTooManyLengths: return kTooManyLengths;
    case InflateResult::kOk:
    case InflateResult::kBadData:
    case InflateResult::kOutputFull:
    case InflateResult::kSinkRefused: break;
  }
  throw SetupError(error_number::kSubscriptOutOfRange, "cUnzip", "Subscript out of range");
}

class cUnzip::DecoderHost : public InflateHost {
 public:
  explicit DecoderHost(cUnzip& owner) : owner_(owner) {}
  void Progress(std::uint64_t position, std::uint64_t size) override {
    if (owner_.Progress) owner_.Progress(owner_.currentIndex_, position, size);
  }

 private:
  cUnzip& owner_;
};

// Hands a streamed member to its output.
class cUnzip::OutputSink : public InflateSink {
 public:
  explicit OutputSink(OutputFile& output) : output_(output) {}
  bool Write(const std::uint8_t* data, std::size_t size) override { return output_.Append(data, size); }

 private:
  OutputFile& output_;
};

cUnzip::cUnzip(ZipFileSystem& files, NameRules nameRules) : files_(files), nameRules_(nameRules) {}
cUnzip::~cUnzip() = default;

void cUnzip::SetError(const std::string& text) {
  lastError_ = text;
  if (Error) Error(currentIndex_, lastError_);
}

cUnzip::Outcome cUnzip::Fail(const std::string& text) {
  SetError(text);
  return Outcome::Failed;
}

bool cUnzip::Init(const std::string& sZipName) {
  zipName_ = sZipName;
  comments_.clear();
  currentIndex_ = -1;
  entries_.clear();
  initSucceeded_ = false;

  std::unique_ptr<ArchiveFile> file = files_.OpenArchive(zipName_);
  if (!file) {
    SetError(kMappingFile + zipName_);
    return false;
  }
  ArchiveWindows archive(std::move(file), wholeMappingLimit_);
  initSucceeded_ = ReadDirectory(archive);
  return initSucceeded_;
}

bool cUnzip::ReadDirectory(ArchiveWindows& archive) {
  const DirectoryLocation location = LocateDirectory(archive);
  if (location.error) {
    SetError(location.error);
    return false;
  }
  const std::optional<ArchiveWindow> directory = archive.Read(location.start, location.end - location.start);
  const std::optional<ArchiveWindow> comment = archive.Read(location.commentStart, location.commentLength);
  if (!directory || !comment) {
    SetError(kMappingFile);
    return false;
  }

  entries_.resize(static_cast<std::size_t>(location.entries));
  std::size_t at = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    currentIndex_ = static_cast<std::int32_t>(i);
    const std::size_t length = ReadCentralRecord(directory->Data() + at, directory->Size() - at, entries_[i]);
    if (length == 0) {
      SetError(kInvalidCenterHeader);
      return false;
    }
    entries_[i].localHeaderOffset = SaturatingAdd(entries_[i].localHeaderOffset, location.shift);
    at += length;
  }
  if (!IsWholeDirectory(location, *directory, at)) {
    currentIndex_ = -1;
    SetError(kUnreadDirectory);
    return false;
  }

  comments_ = DecodeEntryText(std::string_view(reinterpret_cast<const char*>(comment->Data()), comment->Size()), false);
  return true;
}

bool cUnzip::Unzip(const std::string& sTargetPath, const ZipFilter& vFilter) {
  currentIndex_ = -1;
  lastWriteError_ = 0;
  std::optional<NamePattern> pattern;
  if (const auto* text = std::get_if<std::string>(&vFilter)) {
    pattern = NamePattern::Parse(*text);
    if (!pattern) throw SetupError(kInvalidPatternNumber, "cUnzip", "Invalid pattern string");
  }

  std::unique_ptr<ArchiveFile> file = files_.OpenArchive(zipName_);
  if (!file) {
    SetError(kMappingFile + zipName_);
    return false;
  }
  // A table left unfinished by a failed Init extracts nothing, and that is no success.
  if (!initSucceeded_) return false;
  ArchiveWindows archive(std::move(file), wholeMappingLimit_);
  ensuredFolders_.clear();
  extractionTime_ = files_.LocalNow();

  const std::vector<bool> overlapping = FindOverlaps(MemberRanges(archive));
  bool everyEntryExtracted = true;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!IsSelected(vFilter, pattern, i, entries_[i].fileName)) continue;
    currentIndex_ = static_cast<std::int32_t>(i);
    const Outcome outcome = ExtractEntry(archive, sTargetPath, overlapping[i]);
    if (outcome == Outcome::StopRun) return false;
    if (outcome == Outcome::Failed) everyEntryExtracted = false;
  }
  return everyEntryExtracted;
}

std::vector<ByteRange> cUnzip::MemberRanges(ArchiveWindows& archive) const {
  std::vector<ByteRange> ranges(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const ZipEntry& entry = entries_[i];
    const std::optional<ArchiveWindow> header = archive.Read(entry.localHeaderOffset, kLocalHeaderSize);
    if (!header) continue;  // fails on its own when its turn comes
    const std::uint64_t dataStart = entry.localHeaderOffset + ReadLocalHeader(header->Data()).dataOffset;
    ranges[i] = {entry.localHeaderOffset, SaturatingAdd(dataStart, entry.compressedSize)};
  }
  return ranges;
}

cUnzip::Outcome cUnzip::ExtractEntry(ArchiveWindows& archive, const std::string& targetPath, bool overlapping) {
  ZipEntry& entry = entries_[static_cast<std::size_t>(currentIndex_)];
  if (!IsSafeEntryName(entry.fileName, nameRules_)) return Fail(kInvalidFileName);
  const std::string outputPath = JoinPath(targetPath, entry.fileName);
  if (entry.isDirectory) return EnsureFolder(outputPath) ? Outcome::Extracted : Fail(kCreatingFolder);

  const std::optional<ArchiveWindow> header = archive.Read(entry.localHeaderOffset, kLocalHeaderSize);
  if (!header) {
    SetError(kMappingFile);
    return Outcome::StopRun;
  }
  const LocalHeader local = ReadLocalHeader(header->Data());
  if (!local.signatureValid) SetError(kInvalidSignature);  // extracted all the same
  if (entry.flags & kEncryptedFlag) return Fail(kEncryption);
  if (entry.method >= 2 && entry.method <= 5) return Fail(kUnReduce);
  if (entry.method != kStored && entry.method != kDeflate && entry.method != kDeflate64) return Fail(kCompression);
  if (overlapping) return Fail(kOverlapping);
  if (entry.method == kStored && entry.compressedSize != entry.uncompressedSize) return Fail(kStoredSize);

  const std::uint64_t dataStart = entry.localHeaderOffset + local.dataOffset;
  if (!archive.Contains(dataStart, entry.compressedSize)) return Fail(kMappingFile);
  // A name ending in "\" that holds bytes cannot be created: it fails before any
  // folder is made for it.
  if (outputPath.back() == '\\') return Fail(kMappingFile + outputPath);
  return WriteMember(archive, entry, dataStart, outputPath);
}

cUnzip::Outcome cUnzip::WriteMember(ArchiveWindows& archive, ZipEntry& entry, std::uint64_t dataStart,
                                    const std::string& outputPath) {
  std::optional<ArchiveWindow> compressed;
  if (entry.method != kStored) {
    compressed = archive.Read(dataStart, entry.compressedSize);
    if (!compressed) return Fail(kMappingFile);
  }
  if (!EnsureFolder(outputPath.substr(0, outputPath.rfind('\\')))) return Fail(kCreatingOutputFolder);
  const std::unique_ptr<OutputFile> output = files_.CreateOutput(outputPath, entry.uncompressedSize);
  if (!output) return Fail(kMappingFile + outputPath + Because(files_.CreateError()));

  const std::uint64_t declaredSize = entry.uncompressedSize;
  std::uint64_t produced = declaredSize;
  std::uint32_t crc = 0;
  if (entry.method == kStored) {
    if (!CopyStored(archive, dataStart, entry.compressedSize, *output, outputPath, crc)) return Outcome::Failed;
  } else if (declaredSize > 0) {
    DecoderHost host(*this);
    const bool deflate64 = entry.method == kDeflate64;
    InflateResult result;
    if (output->Appends()) {
      OutputSink sink(*output);
      result = InflateStreamed(compressed->Data(), compressed->Size(), Window(), sink, produced, crc, deflate64, host);
    } else {
      const std::unique_ptr<MappedView> view =
          declaredSize <= SIZE_MAX ? output->Map(0, static_cast<std::size_t>(declaredSize)) : nullptr;
      if (!view) return Fail(kMappingFile + outputPath);
      result = Inflate(compressed->Data(), compressed->Size(), view->Data(), produced, crc, deflate64, host);
    }
    if (result == InflateResult::kSinkRefused) return Fail(kMappingFile + outputPath + Because(output->WriteError()));
    if (result != InflateResult::kOk) return Fail(DecodingError(result));
    entry.uncompressedSize = produced;
  }
  // A short stream leaves zeros at the end of the file, which no checksum vouches for.
  if (crc != entry.crc32 || produced != declaredSize) return Fail(kCrc);

  output->SetTimes(entry.modified, extractionTime_, entry.modified);
  output->Keep();
  return Outcome::Extracted;
}

std::string cUnzip::Because(long error) {
  if (error == 0) return {};
  lastWriteError_ = error;
  return " (" + SystemErrorText(error) + ")";
}

bool cUnzip::EnsureFolder(std::string path) {
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  if (ensuredFolders_.count(path) > 0) return true;
  if (!CreateFolderPath(files_, path)) return false;
  ensuredFolders_.insert(std::move(path));
  return true;
}

bool cUnzip::CopyStored(ArchiveWindows& archive, std::uint64_t dataStart, std::uint64_t size, OutputFile& output,
                        const std::string& outputPath, std::uint32_t& crc) {
  crc = 0;
  for (std::uint64_t done = 0; done < size;) {
    const std::uint64_t length = std::min(size - done, kStoredWindow);
    const std::optional<ArchiveWindow> source = archive.Read(dataStart + done, length);
    const std::unique_ptr<MappedView> destination =
        output.Appends() ? nullptr : output.Map(done, static_cast<std::size_t>(length));
    if (!source || (!output.Appends() && !destination)) {
      SetError(kMappingFile);
      return false;
    }
    for (std::size_t at = 0; at < source->Size(); at += kStoredPiece) {
      const std::size_t piece = std::min(kStoredPiece, source->Size() - at);
      crc = Crc32(crc, source->Data() + at, piece);
      if (destination) {
        std::memcpy(destination->Data() + at, source->Data() + at, piece);
      } else if (!output.Append(source->Data() + at, piece)) {
        SetError(kMappingFile + outputPath + Because(output.WriteError()));
        return false;
      }
    }
    done += length;
  }
  return true;
}

InflateWindow& cUnzip::Window() {
  if (!window_) window_ = std::make_unique<InflateWindow>(windowRoom_);
  return *window_;
}

}  // namespace kelvano
