#pragma once
// Paths and files, with Windows' meaning. Paths use "\"; away from Windows each "\" of
// a path given to the file operations stands for "/".

#include <optional>
#include <string>
#include <string_view>

namespace kelvano {

// The folder of the running executable, without a trailing backslash.
std::string AppFolder();

// folder + "\" (unless it already ends with one) + name; an empty folder gives "\" + name.
std::string PathJoin(std::string_view folder, std::string_view name);

// The path in double quotes, as the program of a command line is written.
std::string Quoted(std::string_view path);

// The text before the last "\", or the path itself when it has none.
std::string ParentFolder(std::string_view path);

// True when the path (wildcards * and ? allowed in its last part) names at least one
// ordinary file: folders, hidden and system files do not count. Any failure gives false.
bool FileExists(const std::string& path);

// Removes the folder with everything in it, as far as it can; reports nothing. Links to
// folders elsewhere are removed, never followed.
void DeleteFolderTree(const std::string& folder);

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace kelvano
