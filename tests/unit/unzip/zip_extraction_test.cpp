// The extraction rules in memory (every view guarded; outputs written through views or
// appended) and on this system's real files; and archives as other tools make them,
// extracted as Info-ZIP or bsdtar extracts them.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>

#include "tests/cases/zip_extraction_cases.h"
#include "tests/support/sample_data.h"
#include "tests/support/memory_zip_file_system.h"

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

// An archive made by a tool in a folder that holds tree/ and stub.bin, and the
// extraction it is judged by: the same archive extracted into reference/ by a tool
// that reads it.
struct ToolArchive {
  const char* name;
  std::vector<std::string> tools;
  std::string make;       // makes archive.zip
  std::string reference;  // extracts it
};

const std::string kInfoZip = "unzip -qq archive.zip -d reference";
const std::string kInfoZipWarning = kInfoZip + "; [ $? -le 1 ]";  // a warning: all extracted all the same
const std::string kBsdtar = "mkdir reference && bsdtar -xf archive.zip -C reference";
// Info-ZIP's archive, behind the stub; its offsets as made, for the stub was not there.
std::string BehindStub(const std::string& zipOptions) {
  return "(cd tree && zip " + zipOptions + " ../plain.zip .) && cat stub.bin plain.zip > archive.zip";
}
// Folders by their MS-DOS attribute alone, as archivers of Windows may write them.
const std::string kDosFolders = R"(python3 - <<'EOF'
import os, zipfile
with zipfile.ZipFile("archive.zip", "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, folders, files in sorted(os.walk("tree")):
        folders.sort()
        if folder != "tree":
            entry = zipfile.ZipInfo(os.path.relpath(folder, "tree"))
            entry.create_system, entry.external_attr = 0, 0x10
            archive.writestr(entry, b"")
        for name in sorted(files):
            archive.write(os.path.join(folder, name), os.path.relpath(os.path.join(folder, name), "tree"))
EOF)";

const ToolArchive kToolArchives[] = {
    {"Info-ZIP", {"zip", "unzip"}, "cd tree && zip -qr ../archive.zip .", kInfoZip},
    {"Info-ZIP stored", {"zip", "unzip"}, "cd tree && zip -qr0 ../archive.zip .", kInfoZip},
    {"Info-ZIP behind a stub, offsets adjusted",
     {"zip", "unzip"},
     BehindStub("-qr") + " && zip -qA archive.zip",
     kInfoZip},
    {"Info-ZIP behind a stub", {"zip", "unzip"}, BehindStub("-qr"), kInfoZipWarning},
    {"Info-ZIP Zip64 behind a stub", {"zip", "unzip"}, BehindStub("-qr -fz"), kInfoZipWarning},
    {"7-Zip", {"7z", "unzip"}, "cd tree && 7z a -tzip ../archive.zip . >/dev/null", kInfoZip},
    {"7-Zip deflate64", {"7z", "unzip"}, "cd tree && 7z a -tzip -mm=Deflate64 ../archive.zip . >/dev/null", kInfoZip},
    {"bsdtar", {"bsdtar", "unzip"}, "bsdtar --format zip -cf archive.zip -C tree .", kInfoZip},
    {"Python's zipfile",
     {"python3", "unzip"},
     "python3 -c 'import shutil; shutil.make_archive(\"archive\", \"zip\", \"tree\")'",
     kInfoZip},
    {"jar", {"jar", "unzip"}, "jar cf archive.zip -C tree .", kInfoZip},
    {"MS-DOS folder attributes", {"python3", "bsdtar"}, kDosFolders, kBsdtar},
};

void MakeToolTree(const TempFolder& folder) {
  std::string readme;
  for (int i = 0; i < 3000; ++i) readme += "Kelvano setup, line " + std::to_string(i % 97) + ".\r\n";
  const Bytes binary = SampleBinary(300000);
  const Bytes random = RandomBytes(70000);
  folder.Write("tree/readme.txt", readme);
  folder.Write("tree/bin/setup.dat", std::string(binary.begin(), binary.end()));
  folder.Write("tree/bin/random.bin", std::string(random.begin(), random.end()));
  folder.Write("tree/empty.log", "");
  folder.Write("tree/deep/a/b/c/d.txt", "deep\n");
  folder.Write("tree/Program Files/My App/app.cfg", "[app]\r\n");
  folder.MakeFolder("tree/empty-folder");
  folder.Write("stub.bin", "MZ" + std::string(4000, '\x90'));
}

bool Runs(const TempFolder& folder, const std::string& command) {
  const std::string line = "cd '" + SystemPath(folder.Path()).string() + "' && { " + command + "\n} >/dev/null 2>&1";
  return std::system(line.c_str()) == 0;
}

// Every file and folder below a folder, relative, with the size and CRC-32 of the files.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> all;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SystemPath(folder))) {
    const std::string name = FromSystemPath(std::filesystem::relative(entry.path(), SystemPath(folder)));
    if (entry.is_directory()) {
      all[name] = "folder";
    } else {
      const std::string bytes = ReadSystemFile(FromSystemPath(entry.path())).value_or("");
      all[name] = std::to_string(bytes.size()) + " bytes, CRC " + std::to_string(TestCrc32(bytes));
    }
  }
  return all;
}

TEST(ZipToolArchives, ExtractAsInfoZipOrBsdtarExtractsThem) {
  for (const ToolArchive& archive : kToolArchives) {
    SCOPED_TRACE(archive.name);
    TempFolder work;
    MakeToolTree(work);
    const auto missing = std::find_if(archive.tools.begin(), archive.tools.end(),
                                      [&](const std::string& tool) { return !Runs(work, "command -v " + tool); });
    if (missing != archive.tools.end()) {
      ADD_FAILURE() << archive.name << " needs " << *missing << ", which is not installed here";
      continue;
    }
    ASSERT_TRUE(Runs(work, archive.make)) << archive.make;
    ASSERT_TRUE(Runs(work, archive.reference)) << archive.reference;

    const auto files = MakeSystemZipFileSystem();
    cUnzip zip(*files);
    std::vector<std::string> errors;
    zip.Error = [&](std::int32_t, const std::string& text) { errors.push_back(text); };
    EXPECT_TRUE(zip.Init(work / "archive.zip") && zip.Unzip(work / "out"));
    EXPECT_THAT(errors, IsEmpty());
    EXPECT_EQ(Snapshot(work / "out"), Snapshot(work / "reference"));
  }
}

INSTANTIATE_TEST_SUITE_P(Zip, ZipExtractionRules,
                         ::testing::Values(ZipFilesKind{"InMemory", MakeMemoryFilesWithViews},
                                           ZipFilesKind{"InMemoryAppending", MakeMemoryFilesAppending},
                                           ZipFilesKind{"Posix", MakePosixFiles}),
                         ZipFilesKindName);

}  // namespace
}  // namespace kelvano::test
