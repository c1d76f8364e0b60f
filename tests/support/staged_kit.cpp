#include "tests/support/staged_kit.h"

namespace kelvano::test {
namespace {

class NoPictures : public PictureLoader {
 public:
  std::shared_ptr<Picture> Load(const std::string&) override { return nullptr; }
};

}  // namespace

StagedKit::StagedKit(RegistrySeam& registry, std::string_view settings) : registry_(registry) { Reload(settings); }

void StagedKit::Reload(std::string_view settings, std::string_view commandLine) {
  folder.Write("settings.ini", settings);
  context_ = std::make_unique<SetupContext>(folder.Path(), registry_);
  NoPictures pictures;
  context_->LoadSettings(pictures);
  context_->ParseCommandLine(commandLine);
}

std::string StagedKit::Put(std::string_view relative, std::string_view content) const {
  folder.Write(relative, content);
  return Path(relative);
}

}  // namespace kelvano::test
