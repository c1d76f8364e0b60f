#include "tests/support/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace kelvano::test {
namespace {

namespace fs = std::filesystem;

fs::path ToPath(std::string_view utf8) {
  std::u8string text(utf8.begin(), utf8.end());
#ifndef _WIN32
  for (auto& c : text) {
    if (c == u8'\\') c = u8'/';
  }
#endif
  return fs::path(text);
}

std::string FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate = base / ("kelvano-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = FromPath(candidate);
#ifdef _WIN32
      for (auto& c : path_) {
        if (c == '/') c = '\\';
      }
#endif
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(ToPath(path_), ignored);
}

std::string TempFolder::operator/(std::string_view relative) const {
  std::string path = path_;
  if (path.empty() || path.back() != '\\') path += '\\';
  path += relative;
  return path;
}

void TempFolder::Write(std::string_view relative, std::string_view content) const {
  const fs::path path = ToPath(*this / relative);
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempFolder::Read(std::string_view relative) const {
  std::ifstream file(ToPath(*this / relative), std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool TempFolder::Exists(std::string_view relative) const {
  std::error_code ignored;
  return fs::exists(ToPath(*this / relative), ignored);
}

void TempFolder::MakeFolder(std::string_view relative) const { fs::create_directories(ToPath(*this / relative)); }

std::vector<std::string> TempFolder::Contents() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(ToPath(path_))) names.push_back(FromPath(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kelvano::test
