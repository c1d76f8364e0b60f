#pragma once
// Builds zip archives byte by byte for tests: well formed by default, with the fields
// that hostile or unusual archives get wrong open to change.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvano::test {

// CRC-32 of the zip format, computed here independently of the product's.
std::uint32_t TestCrc32(std::string_view data);

// "Kelvano card room setup. " 30 times, then the bytes 0 to 255; and its raw deflate
// stream as zlib makes it at level 9 (stored here, so that builds without zlib have it).
std::string DeflateSampleContent();
std::string DeflateSampleStream();

struct ZipMember {
  std::string name;  // the bytes of the name as stored
  std::string data;  // the member's bytes as stored (compressed or not)
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::uint32_t crc = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint16_t dosDate = 0x5B21;  // 1 September 2025
  std::uint16_t dosTime = 0x6000;  // 12:00:00
  std::uint8_t versionMadeBy = 20;
  std::uint8_t systemMadeBy = 0;
  std::uint8_t versionNeeded = 20;
  std::uint32_t externalAttributes = 0;
  std::string extra;  // in both headers, after any Zip64 field
  std::string comment;
  bool dataDescriptor = false;  // sizes and CRC zero in the local header, a descriptor after the data
  bool zip64 = false;           // sizes and offset only in Zip64 fields
  std::uint32_t localSignature = 0x04034b50;
  std::optional<std::uint64_t> localHeaderOffset;  // point the central record elsewhere

  // A stored member with its CRC and size.
  static ZipMember Stored(std::string name, std::string content);
  // A member of method 8 or 9 whose compressed bytes the test supplies.
  static ZipMember Compressed(std::string name, std::string compressed, std::string_view content,
                              std::uint16_t method = 8);
  static ZipMember Folder(std::string name);
};

class ZipBuilder {
 public:
  ZipBuilder& Add(ZipMember member);
  ZipBuilder& Comment(std::string comment);
  // Zip64 end record and locator, with saturated fields in the classic end record.
  ZipBuilder& Zip64End();
  // The archive as if it began this many bytes into its file (the bytes before it are
  // the caller's, a sparse gap for instance).
  ZipBuilder& StartAt(std::uint64_t offset);
  ZipBuilder& AnnouncedEntries(std::uint64_t count);
  // The count of entries on this disk, where it differs from the count in all.
  ZipBuilder& EntriesOnThisDisk(std::uint64_t count);
  ZipBuilder& DirectoryOffset(std::uint64_t offset);
  ZipBuilder& Trailing(std::string bytes);
  // Bytes after the central records, in the directory's size or outside it.
  ZipBuilder& AfterDirectory(std::string bytes, bool inItsSize = true);
  // Bytes in place of the central records (an encrypted directory, say).
  ZipBuilder& OpaqueDirectory(std::string bytes);

  std::string Build() const;
  // Where each member's local header starts in the file (valid after Build).
  const std::vector<std::uint64_t>& LocalOffsets() const { return localOffsets_; }

 private:
  std::vector<ZipMember> members_;
  std::string comment_;
  bool zip64End_ = false;
  std::uint64_t start_ = 0;
  std::optional<std::uint64_t> entries_;
  std::optional<std::uint64_t> entriesOnThisDisk_;
  std::optional<std::uint64_t> directoryOffset_;
  std::string trailing_;
  std::string afterDirectory_;
  bool afterDirectoryInItsSize_ = true;
  std::optional<std::string> opaqueDirectory_;
  mutable std::vector<std::uint64_t> localOffsets_;
};

}  // namespace kelvano::test
