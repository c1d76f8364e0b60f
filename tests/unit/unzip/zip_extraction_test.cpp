// The extraction rules in memory (every view guarded; outputs written through views or
// appended) and on this system's real files.
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "tests/cases/zip_extraction_cases.h"
#include "unzip/memory_zip_file_system.h"

namespace kelvano::test {
namespace {

namespace fs = std::filesystem;

ZipFilesUnderTest MakeMemoryFiles(bool appending) {
  auto memory = std::make_unique<MemoryZipFileSystem>();
  MemoryZipFileSystem* raw = memory.get();
  raw->SetAppendingOutputs(appending);
  raw->AddFolder("C:");
  raw->AddFolder("C:\\mem");
  const std::string folder = "C:\\mem";
  const auto relative = [folder](const std::string& path) -> std::optional<std::string> {
    if (path.rfind(folder + "\\", 0) != 0) return std::nullopt;
    return path.substr(folder.size() + 1);
  };
  ZipFilesUnderTest files;
  files.folder = folder;
  files.write = [raw](const std::string& path, const std::string& bytes) { raw->AddFile(path, bytes); };
  files.read = [raw](const std::string& path) -> std::optional<std::string> {
    const auto found = raw->Files().find(path);
    if (found == raw->Files().end()) return std::nullopt;
    return found->second.content;
  };
  files.list = [raw, relative] {
    std::vector<std::string> all;
    for (const auto& [path, file] : raw->Files()) {
      if (auto name = relative(path)) all.push_back(*name);
    }
    for (const std::string& path : raw->Folders()) {
      if (auto name = relative(path)) all.push_back(*name + "\\");
    }
    std::sort(all.begin(), all.end());
    return all;
  };
  files.modified = [raw](const std::string& path) -> std::optional<DateTime> {
    const auto found = raw->Files().find(path);
    if (found == raw->Files().end()) return std::nullopt;
    return found->second.written;
  };
  files.openObjects = [raw] { return raw->OpenObjects(); };
  files.files = std::move(memory);
  return files;
}

// Open descriptors, and mappings of anything below the folder.
int OpenFilesAndMappings(const std::string& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);) {
    if (line.find(SystemPath(folder).string()) != std::string::npos) ++count;
  }
  return count;
}

std::optional<DateTime> ModifiedLocally(const std::string& path) {
  struct stat info;
  if (stat(SystemPath(path).c_str(), &info) != 0) return std::nullopt;
  std::tm local{};
  localtime_r(&info.st_mtime, &local);
  return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

ZipFilesUnderTest MakeMemoryFilesWithViews() { return MakeMemoryFiles(false); }
ZipFilesUnderTest MakeMemoryFilesAppending() { return MakeMemoryFiles(true); }
ZipFilesUnderTest MakePosixFiles() { return MakeSystemFiles(ModifiedLocally, OpenFilesAndMappings); }

INSTANTIATE_TEST_SUITE_P(Zip, ZipExtractionRules,
                         ::testing::Values(ZipFilesKind{"InMemory", MakeMemoryFilesWithViews},
                                           ZipFilesKind{"InMemoryAppending", MakeMemoryFilesAppending},
                                           ZipFilesKind{"Posix", MakePosixFiles}),
                         ZipFilesKindName);

}  // namespace
}  // namespace kelvano::test
