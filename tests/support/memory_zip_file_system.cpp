#include "tests/support/memory_zip_file_system.h"

#include <cstdlib>
#include <cstring>

#include "unzip/guarded_bytes.h"

namespace kelvano {

// Counts itself among the open objects while it lives.
class OpenObject {
 public:
  explicit OpenObject(int& counter) : counter_(counter) { ++counter_; }
  ~OpenObject() { --counter_; }
  OpenObject(const OpenObject&) = delete;
  OpenObject& operator=(const OpenObject&) = delete;

 private:
  int& counter_;
};

// A copy of the window in guarded memory; a writable one goes back into the file
// when released.
class MemoryZipFileSystem::View : public MappedView {
 public:
  View(int& counter, std::string& file, std::size_t offset, std::size_t size, bool writable, int& fileViews)
      : open_(counter), bytes_(size), file_(file), offset_(offset), writable_(writable), fileViews_(fileViews) {
    std::memcpy(bytes_.Data(), file_.data() + offset_, size);
    if (!writable_) bytes_.MakeReadOnly();
    ++fileViews_;
  }
  ~View() override {
    if (writable_) std::memcpy(file_.data() + offset_, bytes_.Data(), bytes_.Size());
    --fileViews_;
  }
  std::uint8_t* Data() override { return bytes_.Data(); }
  std::size_t Size() const override { return bytes_.Size(); }

 private:
  OpenObject open_;
  GuardedBytes bytes_;
  std::string& file_;
  std::size_t offset_;
  bool writable_;
  int& fileViews_;
};

class MemoryZipFileSystem::Archive : public ArchiveFile {
 public:
  Archive(MemoryZipFileSystem& owner, std::string content)
      : owner_(owner), open_(owner.openObjects_), content_(std::move(content)) {}
  ~Archive() override {
    if (views_ != 0) std::abort();  // a view outlived its file
  }
  std::uint64_t Size() const override { return content_.size(); }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    if (offset > content_.size() || length > content_.size() - offset) std::abort();  // past the end
    if (length == 0 || length > owner_.mappingLimit_) return nullptr;
    return std::make_unique<View>(owner_.openObjects_, content_, static_cast<std::size_t>(offset), length, false,
                                  views_);
  }

 private:
  MemoryZipFileSystem& owner_;
  OpenObject open_;
  std::string content_;  // a snapshot, as an open file keeps its bytes
  int views_ = 0;
};

class MemoryZipFileSystem::Output : public OutputFile {
 public:
  Output(MemoryZipFileSystem& owner, std::string path, bool appends)
      : owner_(owner), open_(owner.openObjects_), path_(std::move(path)), appends_(appends) {}
  ~Output() override {
    if (views_ != 0) std::abort();  // a view outlived its file
    if (!kept_) owner_.files_.erase(path_);
  }
  bool Appends() const override { return appends_; }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    if (appends_) std::abort();  // written the other way
    std::string& content = owner_.files_.at(path_).content;
    if (offset > content.size() || length > content.size() - offset) std::abort();  // past the end
    if (length == 0 || length > owner_.mappingLimit_) return nullptr;
    return std::make_unique<View>(owner_.openObjects_, content, static_cast<std::size_t>(offset), length, true, views_);
  }
  bool Append(const std::uint8_t* data, std::size_t size) override {
    std::string& content = owner_.files_.at(path_).content;
    if (!appends_ || size > content.size() - appended_) std::abort();  // the other way, or past the end
    if (size > owner_.appendLimit_ - appended_) return false;          // the disk is full
    std::memcpy(content.data() + appended_, data, size);
    appended_ += size;
    return true;
  }
  long WriteError() const override { return windows_error::kDiskFull; }
  bool SetTimes(const DateTime& created, const DateTime& accessed, const DateTime& written) override {
    File& file = owner_.files_.at(path_);
    file.created = created;
    file.accessed = accessed;
    file.written = written;
    return true;
  }
  void Keep() override { kept_ = true; }

 private:
  MemoryZipFileSystem& owner_;
  OpenObject open_;
  std::string path_;
  bool appends_;
  std::size_t appended_ = 0;
  bool kept_ = false;
  int views_ = 0;
};

void MemoryZipFileSystem::AddFile(const std::string& path, std::string content) {
  files_[path].content = std::move(content);
}

void MemoryZipFileSystem::AddFolder(const std::string& path) { folders_.insert(path); }

bool MemoryZipFileSystem::ParentExists(const std::string& path) const {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos || folders_.count(path.substr(0, slash)) > 0;
}

std::unique_ptr<ArchiveFile> MemoryZipFileSystem::OpenArchive(const std::string& path) {
  const auto found = files_.find(path);
  if (found == files_.end()) return nullptr;
  return std::make_unique<Archive>(*this, found->second.content);
}

std::unique_ptr<OutputFile> MemoryZipFileSystem::CreateOutput(const std::string& path, std::uint64_t size) {
  if (path.empty() || path.back() == '\\' || folders_.count(path) > 0 || !ParentExists(path)) return nullptr;
  if (size > fileSizeLimit_) return nullptr;
  files_[path] = File{std::string(static_cast<std::size_t>(size), '\0'), {}, {}, {}};
  return std::make_unique<Output>(*this, path, appendingOutputs_);
}

bool MemoryZipFileSystem::CreateFolder(const std::string& path) {
  if (path.empty() || folders_.count(path) > 0 || files_.count(path) > 0 || !ParentExists(path)) return false;
  folders_.insert(path);
  return true;
}

}  // namespace kelvano
