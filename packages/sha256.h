#pragma once
// SHA-256 of a download, computed piece by piece as the bytes arrive, so that a file is
// never read a second time to be checked.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelvano {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  // The digest of everything given so far; the object is spent afterwards.
  std::array<std::uint8_t, 32> Finish();
  // Finish as 64 lower-case hexadecimal digits.
  std::string FinishHex();

  // The compression of whole 64-byte blocks: with the processor's SHA instructions when
  // it has them, else portably. Exposed so that tests hold the two against each other.
  using Compress = void (*)(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count);
  static void CompressPortably(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count);
  // Null where the processor has no SHA instructions.
  static Compress CompressWithShaInstructions();

 private:
  std::uint32_t state_[8];
  std::uint8_t pending_[64];
  std::size_t pendingSize_ = 0;
  std::uint64_t total_ = 0;
  Compress compress_;
};

// A SHA-256 fed with a download's bytes as they arrive. Where the system has a second
// processor to spare (Windows) the hashing runs beside the transfer, so that checking a
// download costs it little time; elsewhere it runs as the bytes are given.
class StreamHasher {
 public:
  virtual ~StreamHasher() = default;
  // The bytes are copied or hashed before this returns: the caller may reuse them.
  virtual void Update(const void* data, std::size_t size) = 0;
  virtual std::string FinishHex() = 0;
};
std::unique_ptr<StreamHasher> MakeStreamHasher();

// True for 64 hexadecimal digits, in any case.
bool IsSha256Text(std::string_view text);

}  // namespace kelvano
