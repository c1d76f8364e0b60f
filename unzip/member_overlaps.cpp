#include "unzip/member_overlaps.h"

#include <algorithm>
#include <numeric>

namespace kelvano {

std::vector<bool> FindOverlaps(const std::vector<ByteRange>& ranges) {
  std::vector<std::size_t> order(ranges.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return ranges[a].begin < ranges[b].begin; });

  // Sweep by start: a range overlaps an earlier one exactly when it starts before the
  // furthest end seen so far, and that furthest range overlaps it too.
  std::vector<bool> overlapping(ranges.size(), false);
  bool seen = false;
  std::size_t furthest = 0;
  for (const std::size_t i : order) {
    if (ranges[i].begin >= ranges[i].end) continue;
    if (seen && ranges[i].begin < ranges[furthest].end) {
      overlapping[i] = true;
      overlapping[furthest] = true;
    }
    if (!seen || ranges[i].end > ranges[furthest].end) furthest = i;
    seen = true;
  }
  return overlapping;
}

}  // namespace kelvano
