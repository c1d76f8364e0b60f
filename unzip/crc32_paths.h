#pragma once
// The two ways Crc32 computes: carry-less multiplication where the processor has it,
// and tables that every processor runs. Both work on the register form of the CRC
// (not inverted); exposed so that tests can hold them against each other.

#include <cstddef>
#include <cstdint>

namespace kelvano::crc32 {

std::uint32_t UpdateWithTables(std::uint32_t state, const std::uint8_t* data, std::size_t size);

// Whether UpdateWithClmul can run on this processor.
bool HasClmul();
// Only when HasClmul(); falls back to the tables for short inputs and tails.
std::uint32_t UpdateWithClmul(std::uint32_t state, const std::uint8_t* data, std::size_t size);

}  // namespace kelvano::crc32
