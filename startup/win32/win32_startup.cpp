#include "startup/win32/win32_startup.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <vector>

#include "startup/path_helpers.h"
#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

class OlePicture : public Picture {
 public:
  explicit OlePicture(IPicture* picture) : picture_(picture) {}
  ~OlePicture() override { picture_->Release(); }
  OlePicture(const OlePicture&) = delete;
  OlePicture& operator=(const OlePicture&) = delete;

  int Width() const override {
    OLE_XSIZE_HIMETRIC width = 0;
    picture_->get_Width(&width);
    return HimetricToPixels(width, LOGPIXELSX);
  }
  int Height() const override {
    OLE_YSIZE_HIMETRIC height = 0;
    picture_->get_Height(&height);
    return HimetricToPixels(height, LOGPIXELSY);
  }
  void Draw(void* deviceContext, int left, int top, int width, int height) const override {
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture_->get_Width(&himetricWidth);
    picture_->get_Height(&himetricHeight);
    // HIMETRIC runs upwards: the source starts at the bottom with a negative height.
    picture_->Render(static_cast<HDC>(deviceContext), left, top, width, height, 0, himetricHeight, himetricWidth,
                     -himetricHeight, nullptr);
  }

 private:
  static int HimetricToPixels(long himetric, int axis) {
    const HDC screen = GetDC(nullptr);
    const auto release = ScopeExit([screen] {
      if (screen != nullptr) ReleaseDC(nullptr, screen);
    });
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, axis) : 96;
    return MulDiv(static_cast<int>(himetric), dpi, 2540);
  }

  IPicture* picture_;
};

std::uint32_t Fnv1a(const std::wstring& text) {
  std::uint32_t hash = 2166136261u;
  for (const wchar_t c : text) {
    hash ^= static_cast<std::uint32_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

std::string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return Narrow(std::wstring_view(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

Win32InstanceLock::Win32InstanceLock(std::string executablePath) {
  std::wstring path = Widen(executablePath);
  CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
  // "KelvanoSetup-" and the hash in eight hexadecimal digits.
  name_ = L"KelvanoSetup-";
  const std::uint32_t hash = Fnv1a(path);
  for (int shift = 28; shift >= 0; shift -= 4) name_ += L"0123456789abcdef"[(hash >> shift) & 0xF];
}

Win32InstanceLock::~Win32InstanceLock() = default;

bool Win32InstanceLock::AnotherInstanceRuns() {
  if (mutex_) return false;
  unique_handle mutex(CreateMutexW(nullptr, FALSE, name_.c_str()));
  const DWORD error = GetLastError();
  if (!mutex) return error == ERROR_ACCESS_DENIED;  // held by another user's instance
  if (error == ERROR_ALREADY_EXISTS) return true;
  mutex_ = std::move(mutex);
  return false;
}

std::shared_ptr<Picture> Win32PictureLoader::Load(const std::string& path) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes || bytes->empty()) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes->size());
  if (memory == nullptr) return nullptr;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes->data(), bytes->size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {  // the stream frees the memory
    GlobalFree(memory);
    return nullptr;
  }
  IPicture* picture = nullptr;
  const HRESULT result =
      OleLoadPicture(stream, static_cast<LONG>(bytes->size()), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(result) || picture == nullptr) return nullptr;
  return std::make_shared<OlePicture>(picture);
}

}  // namespace kelvano
