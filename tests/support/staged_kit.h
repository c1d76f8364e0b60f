#pragma once
// A setup kit for tests: a folder with settings.ini (and whatever installers a test puts
// beside it), and the settings loaded from it against a staged registry.

#include <memory>
#include <string>
#include <string_view>

#include "startup/settings.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {

class StagedKit {
 public:
  StagedKit(RegistrySeam& registry, std::string_view settings);

  // Rewrites settings.ini and loads the settings again, with this command line. Logic
  // built on the earlier Context() must be built again.
  void Reload(std::string_view settings, std::string_view commandLine = "");
  const SetupContext& Context() const { return *context_; }
  // A file of the kit ("\" or "/" between folders), and its full path.
  std::string Put(std::string_view relative, std::string_view content = "installer") const;
  std::string Path(std::string_view relative) const { return folder / relative; }

  TempFolder folder;

 private:
  RegistrySeam& registry_;
  std::unique_ptr<SetupContext> context_;
};

}  // namespace kelvano::test
