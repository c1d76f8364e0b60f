#pragma once
// Members whose bytes (local header and data) share bytes of the archive with
// another member: the construction of zip bombs, which replay one stream many times.

#include <cstdint>
#include <vector>

namespace kelvano {

struct ByteRange {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;  // past the last byte; an empty range takes part in nothing
};

// For each range, whether it overlaps another one.
std::vector<bool> FindOverlaps(const std::vector<ByteRange>& ranges);

}  // namespace kelvano
