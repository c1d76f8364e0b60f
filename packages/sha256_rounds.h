#pragma once
// The round constants of SHA-256, shared by its two ways of computing.

#include <cstdint>

namespace kelvano {

extern const std::uint32_t kSha256Rounds[64];

}  // namespace kelvano
