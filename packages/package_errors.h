#pragma once
// The errors that getting and running a package raise of its own, shown in the package's
// Retry/Cancel box: an installer that is missing, an archive not extracted, no temporary
// folder, a malformed download description.

#include <cstdint>

namespace kelvano {

inline constexpr std::int32_t kPackageFailedError = static_cast<std::int32_t>(0x80040002u);
inline constexpr char kPackageErrorSource[] = "RunPackage";

}  // namespace kelvano
