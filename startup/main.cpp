#include "startup/main.h"

#include "startup/fill_placeholders.h"
#include "startup/messages.h"
#include "system/setup_error.h"

namespace kelvano {

std::string StartupFailureText(const std::string& productName, const std::string& technicalDescription) {
  return FillPlaceholders(LoadMessage(message::kStartupFailed), {productName, technicalDescription});
}

std::string CommandLineArguments(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i < line.size() && line[i] == '"') {
    const std::size_t close = line.find('"', i + 1);
    i = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
  }
  if (i < line.size()) ++i;  // the one blank that separates the arguments
  return std::string(line.substr(i));
}

int Main(StartupSeams& seams, const ShowMainWindow& showMainWindow) {
  if (seams.instance.AnotherInstanceRuns()) return 0;
  SetupContext context(seams.appFolder, seams.registry);
  try {
    context.LoadSettings(seams.pictures);
    context.ParseCommandLine(seams.commandLine);
    if (showMainWindow) showMainWindow(context);
    return 0;
  } catch (const std::exception& failure) {
    seams.messages.Show(SetupMessageBox(StartupFailureText(context.Settings().ProductName, ErrorDescription(failure)),
                                        MessageIcon::Error));
    return 1;
  }
}

}  // namespace kelvano
