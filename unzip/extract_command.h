#pragma once
// The command-line extractor, "kunzip ARCHIVE FOLDER [PATTERN]": the zip reader as a
// tool, in every build.

#include <functional>
#include <string>
#include <vector>

#include "unzip/zip_file_system.h"

namespace kelvano {

namespace extract_exit {
inline constexpr int kExtracted = 0;      // Unzip succeeded
inline constexpr int kEntriesFailed = 1;  // Unzip reported failure
inline constexpr int kUnreadable = 2;     // bad usage, Init failed, or a run-time error ended the call
}  // namespace extract_exit

// arguments: ARCHIVE FOLDER [PATTERN], where "/" in the pattern stands for "\". Every
// reported error is printed as "name: text", name being the entry's, or the archive's
// for the archive itself.
int RunExtractCommand(const std::vector<std::string>& arguments, ZipFileSystem& files,
                      const std::function<void(const std::string& line)>& printError);

}  // namespace kelvano
