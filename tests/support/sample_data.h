#pragma once
// Data to compress in tests and benchmarks, gathered from the machine (text from
// /usr/share, programs and libraries from /usr/lib) or generated; never committed.
// Where the machine has too little, generated data of the same kind fills the rest.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvano::test {

using Bytes = std::vector<std::uint8_t>;

// Plain-text files (licences, documentation).
Bytes SampleText(std::size_t size);
// Executables and shared libraries.
Bytes SampleBinary(std::size_t size);
// Text without repeats worth a match (random base64): compresses by its literal
// codes alone.
Bytes LiteralHeavy(std::size_t size, std::uint32_t seed = 1);
// Uniform random bytes: incompressible.
Bytes RandomBytes(std::size_t size, std::uint32_t seed = 1);

}  // namespace kelvano::test
