#include "packages/disk_space.h"

#include <limits>

#include "packages/byte_size.h"
#include "startup/format_text.h"
#include "startup/messages.h"

namespace kelvano {

std::optional<SpaceShortage> CheckSpace(const std::string& folder, std::uint64_t bytes,
                                        std::optional<std::uint64_t> free) {
  const std::uint64_t needed =
      bytes > std::numeric_limits<std::uint64_t>::max() - kSpaceMargin ? bytes : bytes + kSpaceMargin;
  if (!free || *free >= needed) return std::nullopt;
  return SpaceShortage{folder, needed, *free};
}

std::string DescribeShortage(const SpaceShortage& shortage) {
  return FormatText(LoadMessage(message::kNotEnoughSpace), shortage.folder, FormatByteCount(shortage.needed),
                    FormatByteCount(shortage.free));
}

}  // namespace kelvano
