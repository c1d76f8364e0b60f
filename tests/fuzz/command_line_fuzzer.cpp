// Any command line: the options it sets carry no "/" (each "/" begins a token) and no
// blank at either end, text before the first "/" changes nothing, and the arguments
// part of a full command line is a part of it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "startup/main.h"
#include "startup/settings.h"
#include "tests/support/memory_registry.h"

namespace {

kelvano::SetupSettings Parse(std::string_view commandLine) {
  kelvano::test::MemoryRegistry registry;
  kelvano::SetupContext context("/nonexistent/kelvano-fuzz", registry);  // no settings.ini
  context.ParseCommandLine(commandLine);
  return context.Settings();
}

bool Same(const kelvano::SetupSettings& a, const kelvano::SetupSettings& b) {
  return a.QuietMode == b.QuietMode && a.ProductVersion == b.ProductVersion && a.SkipSql == b.SkipSql &&
         a.SkipFramework == b.SkipFramework && a.LogPath == b.LogPath && a.LayoutFolder == b.LayoutFolder &&
         a.SuppressMessageBoxes == b.SuppressMessageBoxes && a.ShowHelp == b.ShowHelp;
}

bool Trimmed(std::string_view value) {
  return value.empty() ||
         (value.front() != ' ' && value.front() != '\t' && value.back() != ' ' && value.back() != '\t');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const kelvano::SetupSettings settings = Parse(line);
  for (const std::string* value : {&settings.ProductVersion, &settings.LogPath, &settings.LayoutFolder}) {
    if (value->find('/') != std::string::npos) std::abort();
  }
  if (!Trimmed(settings.ProductVersion)) std::abort();
  if (!Same(Parse("Setup.exe \"C:\\Kit\" " + line), settings)) std::abort();

  const std::string arguments = kelvano::CommandLineArguments(line);
  if (arguments.size() > line.size() ||
      line.compare(line.size() - arguments.size(), arguments.size(), arguments) != 0) {
    std::abort();
  }
  return 0;
}
