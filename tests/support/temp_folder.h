#pragma once
// A folder of its own for one test, removed with everything in it at the end.

#include <string>
#include <string_view>
#include <vector>

namespace kelvano::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, in the form the setup's path helpers take ("\" joins names).
  const std::string& Path() const { return path_; }
  // PathJoin(Path(), relative).
  std::string operator/(std::string_view relative) const;
  // Writes a file (parent folders created); relative may use "\" or "/".
  void Write(std::string_view relative, std::string_view content) const;
  // Reads a file back; empty when it is missing.
  std::string Read(std::string_view relative) const;
  bool Exists(std::string_view relative) const;
  void MakeFolder(std::string_view relative) const;
  // Names of what the folder holds, sorted: a file left behind shows here.
  std::vector<std::string> Contents() const;

 private:
  std::string path_;
};

}  // namespace kelvano::test
