#pragma once
// Paths and files, with Windows' meaning. Paths use "\"; away from Windows each "\" of
// a path given to the file operations stands for "/".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The names of the ordinary files of a folder (not its subfolders), sorted.
std::vector<std::string> FilesIn(const std::string& folder);
// Creates the folder and any of its parents that are missing; true when it exists then.
bool CreateFolderTree(const std::string& folder);
// Copies or moves a file, replacing one at the target; false when that failed.
bool CopyFileReplacing(const std::string& from, const std::string& to);
bool MoveFileReplacing(const std::string& from, const std::string& to);

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Creates or replaces a small file with this content; false when that failed.
bool WriteWholeFile(const std::string& path, std::string_view content);

}  // namespace kelvano
