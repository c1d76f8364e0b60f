#include "tests/support/staged_machine.h"

#include <variant>

namespace kelvano::test {

StagedMachine::StagedMachine()
    : files(MakeSystemZipFileSystem()),
      loggedProcesses_(processes, log, network.Clock()),
      seams_{loggedRegistry_, loggedServices_, loggedProcesses_, description_,    runner_,           shutdown,
             transfers,       shell,           *files,           network.Clock(), network.Sleeper(), log} {}

void StagedMachine::SetValue(RegistryHandle root, const std::string& key, const std::string& valueName,
                             const RegistryValue& value, std::uint32_t view) {
  RegistryManager manager(registry, view);
  manager.CreateRegistryKey(root, key);
  std::int32_t type = registry::kString;
  if (std::holds_alternative<std::int32_t>(value)) type = registry::kDword;
  if (std::holds_alternative<std::vector<std::uint8_t>>(value)) type = registry::kBinary;
  manager.SetRegistryValue(root, key, valueName, type, value);
}

RegistryValue StagedMachine::Value(RegistryHandle root, const std::string& key, const std::string& valueName,
                                   std::uint32_t view) {
  return RegistryManager(registry, view).GetRegistryValue(root, key, valueName);
}

}  // namespace kelvano::test
