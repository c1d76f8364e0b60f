#pragma once
// The Windows side of start-up: the single-instance lock and the picture loader.

#include <windows.h>

#include <string>

#include "startup/main.h"
#include "startup/picture.h"
#include "system/win32/unique_handle.h"

namespace kelvano {

// A named mutex: the name is derived from the executable's full path, so the same
// setup refuses to start twice while other setups are not affected.
class Win32InstanceLock : public InstanceLock {
 public:
  explicit Win32InstanceLock(std::string executablePath);
  ~Win32InstanceLock() override;
  Win32InstanceLock(const Win32InstanceLock&) = delete;
  Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;

  bool AnotherInstanceRuns() override;
  const std::wstring& MutexName() const { return name_; }

 private:
  std::wstring name_;
  unique_handle mutex_;
};

// Pictures through OLE (JPEG, BMP, GIF, icons), as IPicture objects.
class Win32PictureLoader : public PictureLoader {
 public:
  std::shared_ptr<Picture> Load(const std::string& path) override;
};

// The path of the running executable.
std::string ExecutablePath();

}  // namespace kelvano
