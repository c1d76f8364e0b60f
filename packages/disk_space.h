#pragma once
// Whether a folder's volume has room for what is about to be written there: a download
// whose length the server gave, an archive's members. Found before the disk fills, and
// told in the user's language with the folder, the space needed and the space free.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kelvano {

// Room kept free beyond the bytes themselves: the file system's own records, the log.
inline constexpr std::uint64_t kSpaceMargin = std::uint64_t{4} << 20;

// The bytes free on the volume of a folder; nothing when the system cannot tell.
using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

struct SpaceShortage {
  std::string folder;
  std::uint64_t needed = 0;  // the bytes and the margin
  std::uint64_t free = 0;
};

// Nothing when `bytes` fit with the margin, or when the free space is not known.
std::optional<SpaceShortage> CheckSpace(const std::string& folder, std::uint64_t bytes,
                                        std::optional<std::uint64_t> free);

// The box's text for it (message 142).
std::string DescribeShortage(const SpaceShortage& shortage);

}  // namespace kelvano
