#pragma once
// The texts with which the zip reader reports what it refuses.

namespace kelvano {

namespace zip_error {
inline constexpr const char* kMappingFile = "Error mapping file ";
inline constexpr const char* kUnknownHeader = "Unknown header";
inline constexpr const char* kInvalidCenterHeader = "Invalid center header";
inline constexpr const char* kCreatingFolder = "Error creating folder";
inline constexpr const char* kInvalidSignature = "Invalid signature";
inline constexpr const char* kEncryption = "Encryption not supported";
inline constexpr const char* kUnReduce = "UnReduce not supported";
inline constexpr const char* kCompression = "Compression not supported";
inline constexpr const char* kCreatingOutputFolder = "Error creating output folder";
inline constexpr const char* kInvalidFileName = "Invalid file name";
inline constexpr const char* kCrc = "CRC error";
inline constexpr const char* kOverlapping = "Entry overlaps another entry";
inline constexpr const char* kStoredSize = "Stored size mismatch";
// The entries on this disk are not all the entries: a part of a split archive, or a
// damaged end record.
inline constexpr const char* kEntryCountMismatch = "End record's entry counts disagree";
// Records past the announced entries, or bytes that are no record: entries would be
// left out unseen.
inline constexpr const char* kUnreadDirectory = "Central directory holds more than its announced entries";
// A member's compressed data breaks the format.
inline constexpr const char* kInStreamDepleted = "InStream depleated";
inline constexpr const char* kInvalidBlockSize = "Invalid block size";
inline constexpr const char* kOutStreamOverflow = "OutStream overflow";
inline constexpr const char* kCompressedData = "Error in compressed data";
inline constexpr const char* kTreeOverSubscribed = "Dynamic tree: Huffman tree over subscribe";
inline constexpr const char* kNoLastLength = "Dynamic tree: no last Length";
inline constexpr const char* kTooManyLengths = "Dynamic tree: too many Lengths";
}  // namespace zip_error

}  // namespace kelvano
