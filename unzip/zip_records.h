#pragma once
// The fixed records of the zip format, read from checked byte windows. Every function
// here is told how many bytes it may read and reads no more.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "system/date_time.h"
#include "unzip/zip_entry.h"

namespace kelvano {

namespace zip_record {
inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kEndSignature = 0x06054b50;
inline constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
// In front of a central directory that is encrypted, and after one that is signed.
inline constexpr std::uint32_t kArchiveExtraDataSignature = 0x08064b50;
inline constexpr std::uint32_t kDigitalSignatureSignature = 0x05054b50;

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndSize = 22;
inline constexpr std::size_t kZip64EndSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxComment = 65535;

inline constexpr std::uint16_t kEncryptedFlag = 1 << 0;
inline constexpr std::uint16_t kUtf8Flag = 1 << 11;
// The local headers' values are masked: the central directory is encrypted.
inline constexpr std::uint16_t kMaskedHeadersFlag = 1 << 13;
}  // namespace zip_record

inline std::uint16_t ReadLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t ReadLe32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t ReadLe64(const std::uint8_t* p) {
  return ReadLe32(p) | static_cast<std::uint64_t>(ReadLe32(p + 4)) << 32;
}

// The classic end record, found by searching backwards through the last bytes of the
// file (tail, which ends where the file ends).
struct EndRecord {
  std::size_t offsetInTail = 0;
  std::uint64_t entries = 0;       // on this disk
  std::uint64_t entriesInAll = 0;  // on every disk
  std::uint64_t directorySize = 0;
  std::uint64_t directoryOffset = 0;
  std::uint16_t commentLength = 0;
};
// The record nearest to the end whose comment ends exactly at the end of the file,
// else the nearest whose comment fits before it (trailing bytes after the archive).
std::optional<EndRecord> FindEndRecord(const std::uint8_t* tail, std::size_t tailSize);

// The Zip64 locator in the 20 bytes before the classic end record: the position of
// the Zip64 end record, when there is one.
std::optional<std::uint64_t> ReadZip64Locator(const std::uint8_t* locator);
// The Zip64 end record (56 bytes): its entry counts, directory size and offset replace
// those of the classic record. False when its signature is wrong.
bool ReadZip64End(const std::uint8_t* record, EndRecord& end);

// Reads the central record at the start of the available bytes into entry. Returns
// the record's whole length (fixed part, name, extra, comment), or 0 when the record
// does not fit, its signature is wrong or its Zip64 field is too short.
std::size_t ReadCentralRecord(const std::uint8_t* data, std::size_t available, ZipEntry& entry);

// The 30-byte local header: where the member's data start, counted from the header.
struct LocalHeader {
  bool signatureValid = false;
  std::uint64_t dataOffset = 0;
};
LocalHeader ReadLocalHeader(const std::uint8_t* header);

// A DOS date and time as a local date-time; both 0, or fields out of range, give the
// default date-time (no date).
DateTime DosToDate(std::uint16_t date, std::uint16_t time);

// "major.minor" of a version byte: 20 gives "2.0", 63 gives "6.3".
std::string VersionText(std::uint8_t version);

}  // namespace kelvano
