#include "unzip/extract_command.h"

#include <algorithm>
#include <exception>

#include "system/setup_error.h"
#include "unzip/cunzip.h"

namespace kelvano {

int RunExtractCommand(const std::vector<std::string>& arguments, ZipFileSystem& files,
                      const std::function<void(const std::string& line)>& printError) {
  if (arguments.size() < 2 || arguments.size() > 3) {
    printError("usage: kunzip ARCHIVE FOLDER [PATTERN]");
    return extract_exit::kUnreadable;
  }
  const std::string& archive = arguments[0];
  cUnzip zip(files);
  zip.Error = [&](std::int32_t index, const std::string& text) {
    const bool entryNamed = index >= 0 && index < zip.Count() && !zip.Entries()[index].fileName.empty();
    printError((entryNamed ? zip.Entries()[index].fileName : archive) + ": " + text);
  };
  try {
    if (!zip.Init(archive)) return extract_exit::kUnreadable;
    bool extracted;
    if (arguments.size() == 3) {
      // Entry names have "\" between folders; "/" is taken for it, as no name holds one.
      std::string pattern = arguments[2];
      std::replace(pattern.begin(), pattern.end(), '/', '\\');
      extracted = zip.Unzip(arguments[1], pattern);
    } else {
      extracted = zip.Unzip(arguments[1]);
    }
    return extracted ? extract_exit::kExtracted : extract_exit::kEntriesFailed;
  } catch (const SetupError& error) {
    printError(archive + ": " + error.Description());
  } catch (const std::exception& error) {
    printError(archive + ": " + error.what());
  }
  return extract_exit::kUnreadable;
}

}  // namespace kelvano
