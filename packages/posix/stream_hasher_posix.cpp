#include "packages/sha256.h"

namespace kelvano {
namespace {

class InlineHasher : public StreamHasher {
 public:
  void Update(const void* data, std::size_t size) override { sha_.Update(data, size); }
  std::string FinishHex() override { return sha_.FinishHex(); }

 private:
  Sha256 sha_;
};

}  // namespace

std::unique_ptr<StreamHasher> MakeStreamHasher() { return std::make_unique<InlineHasher>(); }

}  // namespace kelvano
