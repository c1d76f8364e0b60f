#include "tests/support/zip_builder.h"

#include <array>

namespace kelvano::test {
namespace {

void Put16(std::string& out, std::uint64_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint64_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, (value >> 16) & 0xFFFF);
}
void Put64(std::string& out, std::uint64_t value) {
  Put32(out, value & 0xFFFFFFFF);
  Put32(out, value >> 32);
}

constexpr std::uint32_t kSaturated = 0xFFFFFFFF;

}  // namespace

std::uint32_t TestCrc32(std::string_view data) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : data) crc = table[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFF;
}

std::string DeflateSampleContent() {
  std::string content;
  for (int i = 0; i < 30; ++i) content += "Kelvano card room setup. ";
  for (int b = 0; b < 256; ++b) content += static_cast<char>(b);
  return content;
}

std::string DeflateSampleStream() {
  static const char kHex[] =
      "f34ecd294bcccb57484e2c4a5128cacfcf55284e2d292dd053f01e951895186e120c8c4ccc2cac6cec1c9c5cdc3cbc7cfc028242c2"
      "22a262e2129252d232b272f20a8a4aca2aaa6aea1a9a5ada3aba7afa068646c626a666e6169656d636b676f60e8e4ece2eae6eee1e9"
      "e5ede3ebe7efe018141c121a161e1119151d131b171f1098949c929a969e9199959d939b979f9058545c525a565e5159555d535b575f"
      "50d8d4dcd2dad6ded1d9d5ddd3dbd7dfd13264e9a3c65eab4e93366ce9a3d67eebcf90b162e5abc64e9b2e52b56ae5abd66edbaf51b3"
      "66edabc65ebb6ed3b76eedabd67efbefd070e1e3a7ce4e8b1e3274e9e3a7de6ecb9f3172e5eba7ce5eab5eb376edeba7de7eebdfb0f1"
      "e3e7afce4e9b3e72f5ebe7afde6edbbf71f3e7efafce5ebb7ef3f7efefafde7efbfff00";
  std::string bytes;
  for (std::size_t i = 0; kHex[i] != '\0'; i += 2)
    bytes += static_cast<char>(std::stoi(std::string(kHex + i, 2), nullptr, 16));
  return bytes;
}

ZipMember ZipMember::Stored(std::string name, std::string content) {
  ZipMember member;
  member.name = std::move(name);
  member.crc = TestCrc32(content);
  member.uncompressedSize = content.size();
  member.data = std::move(content);
  return member;
}

ZipMember ZipMember::Compressed(std::string name, std::string compressed, std::string_view content,
                                std::uint16_t method) {
  ZipMember member;
  member.name = std::move(name);
  member.data = std::move(compressed);
  member.method = method;
  member.crc = TestCrc32(content);
  member.uncompressedSize = content.size();
  return member;
}

ZipMember ZipMember::Folder(std::string name) {
  ZipMember member;
  member.name = std::move(name);
  member.externalAttributes = 0x10;
  return member;
}

ZipBuilder& ZipBuilder::Add(ZipMember member) {
  members_.push_back(std::move(member));
  return *this;
}
ZipBuilder& ZipBuilder::Comment(std::string comment) {
  comment_ = std::move(comment);
  return *this;
}
ZipBuilder& ZipBuilder::Zip64End() {
  zip64End_ = true;
  return *this;
}
ZipBuilder& ZipBuilder::StartAt(std::uint64_t offset) {
  start_ = offset;
  return *this;
}
ZipBuilder& ZipBuilder::AnnouncedEntries(std::uint64_t count) {
  entries_ = count;
  return *this;
}
ZipBuilder& ZipBuilder::EntriesOnThisDisk(std::uint64_t count) {
  entriesOnThisDisk_ = count;
  return *this;
}
ZipBuilder& ZipBuilder::AfterDirectory(std::string bytes, bool inItsSize) {
  afterDirectory_ = std::move(bytes);
  afterDirectoryInItsSize_ = inItsSize;
  return *this;
}
ZipBuilder& ZipBuilder::OpaqueDirectory(std::string bytes) {
  opaqueDirectory_ = std::move(bytes);
  return *this;
}
ZipBuilder& ZipBuilder::DirectoryOffset(std::uint64_t offset) {
  directoryOffset_ = offset;
  return *this;
}
ZipBuilder& ZipBuilder::Trailing(std::string bytes) {
  trailing_ = std::move(bytes);
  return *this;
}

std::string ZipBuilder::Build() const {
  std::string out;
  localOffsets_.clear();
  for (const ZipMember& m : members_) {
    localOffsets_.push_back(start_ + out.size());
    std::string zip64Local;
    if (m.zip64) {
      Put16(zip64Local, 1);
      Put16(zip64Local, 16);
      Put64(zip64Local, m.dataDescriptor ? 0 : m.uncompressedSize);
      Put64(zip64Local, m.dataDescriptor ? 0 : m.data.size());
    }
    Put32(out, m.localSignature);
    Put16(out, m.zip64 ? 45 : m.versionNeeded);
    Put16(out, m.flags | (m.dataDescriptor ? 0x08 : 0));
    Put16(out, m.method);
    Put16(out, m.dosTime);
    Put16(out, m.dosDate);
    Put32(out, m.dataDescriptor ? 0 : m.crc);
    Put32(out, m.dataDescriptor ? 0 : m.zip64 ? kSaturated : m.data.size());
    Put32(out, m.dataDescriptor ? 0 : m.zip64 ? kSaturated : m.uncompressedSize);
    Put16(out, m.name.size());
    Put16(out, zip64Local.size() + m.extra.size());
    out += m.name + zip64Local + m.extra + m.data;
    if (m.dataDescriptor) {
      Put32(out, 0x08074b50);
      Put32(out, m.crc);
      if (m.zip64) {
        Put64(out, m.data.size());
        Put64(out, m.uncompressedSize);
      } else {
        Put32(out, m.data.size());
        Put32(out, m.uncompressedSize);
      }
    }
  }

  const std::uint64_t directoryStart = start_ + out.size();
  for (std::size_t i = 0; i < members_.size() && !opaqueDirectory_; ++i) {
    const ZipMember& m = members_[i];
    const std::uint64_t offset = m.localHeaderOffset.value_or(localOffsets_[i]);
    std::string zip64Central;
    if (m.zip64) {
      Put16(zip64Central, 1);
      Put16(zip64Central, 24);
      Put64(zip64Central, m.uncompressedSize);
      Put64(zip64Central, m.data.size());
      Put64(zip64Central, offset);
    }
    Put32(out, 0x02014b50);
    out += static_cast<char>(m.zip64 ? 45 : m.versionMadeBy);
    out += static_cast<char>(m.systemMadeBy);
    Put16(out, m.zip64 ? 45 : m.versionNeeded);
    Put16(out, m.flags | (m.dataDescriptor ? 0x08 : 0));
    Put16(out, m.method);
    Put16(out, m.dosTime);
    Put16(out, m.dosDate);
    Put32(out, m.crc);
    Put32(out, m.zip64 ? kSaturated : m.data.size());
    Put32(out, m.zip64 ? kSaturated : m.uncompressedSize);
    Put16(out, m.name.size());
    Put16(out, zip64Central.size() + m.extra.size());
    Put16(out, m.comment.size());
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, m.externalAttributes);
    Put32(out, m.zip64 ? kSaturated : offset);
    out += m.name + zip64Central + m.extra + m.comment;
  }
  out += opaqueDirectory_.value_or("");
  if (afterDirectoryInItsSize_) out += afterDirectory_;
  const std::uint64_t directoryEnd = start_ + out.size();
  if (!afterDirectoryInItsSize_) out += afterDirectory_;
  const std::uint64_t entries = entries_.value_or(members_.size());
  const std::uint64_t entriesOnThisDisk = entriesOnThisDisk_.value_or(entries);
  const std::uint64_t directoryOffset = directoryOffset_.value_or(directoryStart);

  if (zip64End_) {
    const std::uint64_t zip64Position = start_ + out.size();
    Put32(out, 0x06064b50);
    Put64(out, 44);  // size of the rest of this record
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, entriesOnThisDisk);
    Put64(out, entries);
    Put64(out, directoryEnd - directoryStart);
    Put64(out, directoryOffset);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, zip64Position);
    Put32(out, 1);
  }
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, zip64End_ ? 0xFFFF : entriesOnThisDisk);
  Put16(out, zip64End_ ? 0xFFFF : entries);
  Put32(out, zip64End_ ? kSaturated : directoryEnd - directoryStart);
  Put32(out, zip64End_ ? kSaturated : directoryOffset);
  Put16(out, comment_.size());
  out += comment_ + trailing_;
  return out;
}

}  // namespace kelvano::test
