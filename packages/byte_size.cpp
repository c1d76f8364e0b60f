#include "packages/byte_size.h"

namespace kelvano {

std::string ShortByteSizeText(std::uint64_t byteCount, std::string_view decimalSeparator) {
  if (byteCount < 1024) return std::to_string(byteCount) + " bytes";
  // The largest unit in which the count stays below 1000; then as many decimals as fit
  // in three digits, the rest cut off.
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
  std::uint64_t unit = 1024;
  int index = 0;
  while (byteCount / unit >= 1000 && index + 1 < 5) {
    unit *= 1024;
    ++index;
  }
  const int decimals = byteCount < 10 * unit ? 2 : byteCount < 100 * unit ? 1 : 0;
  const std::uint64_t scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
  const std::uint64_t scaled = byteCount / unit * scale + byteCount % unit * scale / unit;
  std::string text = std::to_string(scaled / scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    text.append(decimalSeparator).append(fraction);
  }
  return text + " " + kUnits[index];
}

}  // namespace kelvano
