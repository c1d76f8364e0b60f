#include "ui/win32/main_window.h"

#include <windowsx.h>

#include <stdexcept>

#include "startup/format_text.h"
#include "startup/path_helpers.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_message_box.h"
#include "ui/win32/resources.h"

namespace kelvano {
namespace {

constexpr wchar_t kClassName[] = L"KelvanoSetupWindow";
constexpr UINT kQuietRunMessage = WM_APP + 1;
constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, of Windows 8.1 and later
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Points at the window's dots per inch.
HFONT MakeFont(const wchar_t* face, double points, bool bold, int dpi) {
  return CreateFontW(-static_cast<int>(points * dpi / 72 + 0.5), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

const PageItem& FindItem(const std::vector<PageItem>& items, const char* name) {
  for (const PageItem& item : items) {
    if (item.name == name) return item;
  }
  throw std::logic_error(std::string("the page has no ") + name);
}

void SetItemText(std::vector<PageItem>& items, const char* name, const std::string& text) {
  for (PageItem& item : items) {
    if (item.name == name) item.text = text;
  }
}

// The screen's dots per inch, the same on every monitor before Windows 8.1.
int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

// The window's monitor's, where Windows has one per monitor (10 and later).
int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

}  // namespace

frmMM::frmMM(const SetupContext& context, Win32Machine& machine, std::string executablePath)
    : context_(context),
      machine_(machine),
      sequence_(context, machine.Seams(), *this, std::move(executablePath)),
      options_(OptionPageItems(context.Settings(), &machine.Log()), context.Settings().BackgroundPicture),
      progress_(ProgressPageItems(context.Settings(), &machine.Log()), context.Settings().InstallationPicture),
      rules_(context.Settings().SuppressMessageBoxes) {
  UseDpi(SystemDpi());
  handCursor_ = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kHandCursorResource));
  if (handCursor_ == nullptr) handCursor_ = LoadCursorW(nullptr, IDC_HAND);
}

frmMM::~frmMM() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void frmMM::ShowAndRun() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kApplicationIconResource));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);

  // No frame: the option page has its own close control, and the client area is the
  // window, 650 x 450 at 96 DPI and as many inches at any other, in the middle of the
  // screen.
  const int width = TwipsToPixels(kPageWidthTwips, dpi_), height = TwipsToPixels(kPageHeightTwips, dpi_);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  const std::wstring caption = Widen(context_.Settings().ProductName + " setup");
  // Not WS_CLIPCHILDREN: the page paints under the controls for screen readers, which
  // paint nothing; it leaves out only the progress bar.
  window_ = CreateWindowExW(WS_EX_APPWINDOW, kClassName, caption.c_str(), WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, left,
                            top, width, height, nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    throw SetupError(static_cast<std::int32_t>(GetLastError()), "frmMM", "The setup's window could not be created");
  }
  // Setup.ico of the kit, at the shell's icon sizes; without it the program's own.
  const std::wstring icon = Widen(PathJoin(context_.AppFolder(), "Setup.ico"));
  bigIcon_.Reset(static_cast<HICON>(LoadImageW(nullptr, icon.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                               GetSystemMetrics(SM_CYICON), LR_LOADFROMFILE)));
  smallIcon_.Reset(static_cast<HICON>(LoadImageW(nullptr, icon.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
  if (bigIcon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
  if (smallIcon_) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
  machine_.Shell().SetOwnerWindow(window_);
  progressBar_ = std::make_unique<ProgressBar>(window_);
  options_.access = std::make_unique<AccessibleItems>(window_, options_.items, options_.focus.Order(), nullptr);
  progress_.access =
      std::make_unique<AccessibleItems>(window_, progress_.items, progress_.focus.Order(), kDownloadLabel);
  // A monitor of another scale than the system's.
  const int dpi = WindowDpi(window_);
  if (dpi != dpi_) {
    const int scaledWidth = TwipsToPixels(kPageWidthTwips, dpi), scaledHeight = TwipsToPixels(kPageHeightTwips, dpi);
    SetWindowPos(window_, nullptr, left - (scaledWidth - width) / 2, top - (scaledHeight - height) / 2, scaledWidth,
                 scaledHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UseDpi(dpi);
  SetInstallationProgress(false, "");

  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  MSG message;
  while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  machine_.Shell().SetOwnerWindow(nullptr);
}

LRESULT CALLBACK frmMM::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<frmMM*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<frmMM*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // No error may cross the window system's own frames.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (const std::exception& failure) {
    self->ShowError(ErrorDescription(failure));
  } catch (...) {
    self->ShowError("Unknown error");
  }
  return 0;
}

LRESULT frmMM::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the page paints every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window_, &paint);
      Paint(dc);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && firstActivation_) {
        firstActivation_ = false;
        // After the activation itself has been handled.
        const SetupSettings& settings = context_.Settings();
        if (settings.QuietMode || !settings.LayoutFolder.empty()) PostMessageW(window_, kQuietRunMessage, 0, 0);
      }
      break;
    case kQuietRunMessage: {
      if (!context_.Settings().LayoutFolder.empty()) {
        LayKit();
      } else {
        const std::string type = context_.QuietSetupType();
        machine_.Log().Write("quiet run of the setup type \"" + AsciiLower(type) + "\"");
        if (const std::optional<SetupOption> option = QuietRunOption(type)) RunSequence(static_cast<int>(*option));
      }
      Unload();
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(window_, &point);
        const PageItem* item = ItemAt(point.x, point.y);
        SetCursor(busy_                                 ? LoadCursorW(nullptr, IDC_WAIT)
                  : item != nullptr && item->handCursor ? handCursor_
                                                        : LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE: MouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP: Clicked(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        if (MayClose(RunRules::CloseRequest::ByUser)) Unload();
        return 0;
      }
      KeyPressed(static_cast<unsigned>(wParam));
      return 0;
    case WM_CLOSE:  // the system's close command, Alt+F4
      if (MayClose(RunRules::CloseRequest::ByUser)) Unload();
      return 0;
    case WM_QUERYENDSESSION: return MayClose(RunRules::CloseRequest::ByUser) ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) Unload();
      return 0;
    case kDpiChangedMessage: {
      // Moved to a monitor of another scale: the place Windows suggests, laid out anew.
      UseDpi(LOWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(window_, nullptr, FALSE);
      return 0;
    }
    case WM_DESTROY:
      progressBar_.reset();
      options_.access.reset();
      progress_.access.reset();
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void frmMM::UseDpi(int dpi) {
  dpi_ = dpi;
  optionFont_.Reset(MakeFont(L"Calibri", 14.25, true, dpi));
  descriptionFont_.Reset(MakeFont(L"Calibri", 9.75, false, dpi));
  closeFont_.Reset(MakeFont(L"Courier New", 14.25, true, dpi));
  if (progressBar_) {
    // Under the download line, as wide, with the space of half a line above it.
    const PixelRect line = FindItem(progress_.items, kDownloadLabel).Pixels(dpi);
    progressBar_->Place(line.left, line.top + line.height + 4 * dpi / kDefaultDpi, line.width, 14 * dpi / kDefaultDpi);
  }
  PlaceAccessibleItems(options_);
  PlaceAccessibleItems(progress_);
}

void frmMM::PlaceAccessibleItems(Page& page) {
  if (!page.access || window_ == nullptr) return;
  const HDC dc = GetDC(window_);
  const auto release = ScopeExit([&] { ReleaseDC(window_, dc); });
  for (std::size_t index = 0; index < page.items.size(); ++index)
    page.access->Place(index, ItemRect(dc, page.items[index]));
}

HFONT frmMM::FontOf(LabelFont font) const {
  switch (font) {
    case LabelFont::Option: return optionFont_.Get();
    case LabelFont::Close: return closeFont_.Get();
    case LabelFont::Description: break;
  }
  return descriptionFont_.Get();
}

PixelRect frmMM::ItemRect(HDC dc, const PageItem& item) const {
  PixelRect rect = item.Pixels(dpi_);
  if (item.isLabel && item.sizedToText) {
    const unique_select_object font(dc, FontOf(item.font));
    const std::wstring text = Widen(item.text);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    rect.width = size.cx;
    rect.height = size.cy;
  }
  return rect;
}

const PageItem* frmMM::ItemAt(int x, int y) {
  const HDC dc = GetDC(window_);
  const auto release = ScopeExit([&] { ReleaseDC(window_, dc); });
  const PageItem* found = nullptr;
  for (const PageItem& item : CurrentPage().items) {
    if (item.visible && item.click != ClickAction::None && ItemRect(dc, item).Contains(x, y)) found = &item;
  }
  return found;
}

void frmMM::Paint(HDC target) {
  // Into a bitmap first, so that nothing flickers and no old text stays under new text.
  RECT client;
  GetClientRect(window_, &client);
  const unique_hdc dc(CreateCompatibleDC(target));
  const unique_hgdiobj bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  const unique_select_object selected(dc.Get(), bitmap.Get());
  FillRect(dc.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  PaintPage(dc.Get(), CurrentPage());
  if (const HWND bar = progressBar_ ? progressBar_->VisibleWindow() : nullptr) {
    RECT place;
    GetWindowRect(bar, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
    ExcludeClipRect(target, place.left, place.top, place.right, place.bottom);  // the bar paints itself
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
}

void frmMM::PaintPage(HDC dc, const Page& page) {
  const int width = TwipsToPixels(kPageWidthTwips, dpi_), height = TwipsToPixels(kPageHeightTwips, dpi_);
  if (page.picture) page.picture->Draw(dc, 0, 0, width, height);
  {
    // The frame: one pixel in the window-text colour, nothing inside.
    const unique_hgdiobj pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT)));
    const unique_select_object penSelected(dc, pen.Get());
    const unique_select_object brushSelected(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, width, height);
  }

  SetBkMode(dc, TRANSPARENT);
  if (page.focus.Focused() >= 0) {
    // Windows' focus rectangle, a pixel outside the label's text.
    const PixelRect place = ItemRect(dc, page.items[static_cast<std::size_t>(page.focus.Focused())]);
    RECT rect = {place.left - 2, place.top - 1, place.left + place.width + 2, place.top + place.height + 1};
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kWhite);
    DrawFocusRect(dc, &rect);
  }
  for (const PageItem& item : page.items) {
    if (!item.isLabel || !item.visible || item.text.empty()) continue;
    const PixelRect place = ItemRect(dc, item);
    RECT rect = {place.left, place.top, place.left + place.width, place.top + place.height};
    const unique_select_object font(dc, FontOf(item.font));
    SetTextColor(dc, page.highlight.IsBlack(item.option) ? kBlack : kWhite);
    UINT format = DT_NOPREFIX | (item.wordWrap ? DT_WORDBREAK : DT_SINGLELINE) | (item.centred ? DT_CENTER : DT_LEFT);
    const std::wstring text = Widen(item.text);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  }
}

void frmMM::MouseMoved(int x, int y) {
  const PageItem* item = ItemAt(x, y);
  Page& page = CurrentPage();
  bool changed = false;
  if (item != nullptr && item->option >= 0) {
    changed = page.highlight.Hover(item->option);
  } else if (!rules_.ProgressVisible()) {
    // The option page's background resets the highlight; the progress page has no
    // such handler and keeps its last one.
    changed = page.highlight.Hover(-1);
  }
  if (changed) InvalidateRect(window_, nullptr, FALSE);
}

void frmMM::Clicked(int x, int y) {
  if (const PageItem* item = ItemAt(x, y)) Activate(*item);
}

void frmMM::Activate(const PageItem& item) {
  if (item.click == ClickAction::OpenWebsite) {
    OpenWebsite();
  } else if (item.click == ClickAction::OptionClick) {
    OptionClick(item.clickOption);
  }
}

void frmMM::KeyPressed(unsigned virtualKey) {
  Page& page = CurrentPage();
  const PageKey key = PageKeyOf(virtualKey, GetKeyState(VK_SHIFT) < 0);
  if (key == PageKey::Activate) {
    // A copy: the run that it may start switches pages.
    if (page.focus.Focused() >= 0) Activate(PageItem(page.items[static_cast<std::size_t>(page.focus.Focused())]));
    return;
  }
  if (page.focus.Move(key)) {
    InvalidateRect(window_, nullptr, FALSE);
    if (page.access) page.access->Focus(static_cast<std::size_t>(page.focus.Focused()));
  }
}

void frmMM::OptionClick(int index) {
  if (index >= 0 && index <= 2) {
    RunSequence(index);
  } else if (index == 3) {
    if (MayClose(RunRules::CloseRequest::ByUser)) Unload();
  }
}

void frmMM::RunSequence(int option) {
  // One run at a time: a click that arrives while a run waits (between its packages
  // too) is turned away, as one that arrives during a package is.
  if (!rules_.StartRun()) {
    ShowMessage(RunRules::BusyMessage());
    return;
  }
  try {
    machine_.Log().Write("run of option " + std::to_string(option));
    lastOutcome_ = sequence_.RunInstallation(option);
    machine_.Log().Write("run of option " + std::to_string(option) + " ended: exit code " +
                         std::to_string(ExitCodeOf(lastOutcome_)));
  } catch (const std::exception& failure) {
    lastOutcome_ = InstallationOutcome::ProductFailed;
    machine_.Log().Write("run of option " + std::to_string(option) + " failed: " + ErrorDescription(failure));
    ShowError(ErrorDescription(failure));
  }
  if (rules_.EndRun()) Unload();
}

void frmMM::LayKit() {
  rules_.StartRun();
  try {
    lastOutcome_ = KitLayout(context_, machine_.Seams(), *this).Lay(context_.Settings().LayoutFolder);
  } catch (const std::exception& failure) {
    lastOutcome_ = InstallationOutcome::PrerequisiteFailed;
    ShowError(ErrorDescription(failure));
  }
  rules_.EndRun();
}

void frmMM::OpenWebsite() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  ProcessStart start;
  start.commandLine = WebsiteCommandLine(Narrow(folder), context_.Settings().ProductName);
  start.showWindow = SW_SHOWMINIMIZED;
  ProcessHandle process = 0, thread = 0;
  // Not waited for: the browser lives on its own.
  if (machine_.Seams().processes.StartProcess(start, process, thread) == 0) {
    machine_.Seams().processes.Close(thread);
    machine_.Seams().processes.Close(process);
  }
}

bool frmMM::MayClose(RunRules::CloseRequest request) {
  const RunRules::CloseDecision decision = rules_.DecideClose(request);
  if (decision.refusal) ShowMessage(*decision.refusal);
  return decision.accepted;
}

void frmMM::Unload() {
  // Inside a run the window goes once the event handler that started it has returned.
  if (rules_.Unload() && window_ != nullptr) DestroyWindow(window_);
}

void frmMM::ShowError(const std::string& description) { ShowMessage(SetupMessageBox(description, MessageIcon::Error)); }

void frmMM::ShowProgressTexts() {
  SetItemText(progress_.items, kDescriptionLabel, rules_.Description());
  SetItemText(progress_.items, kDownloadLabel, rules_.DownloadLine());
  if (progressBar_) progressBar_->Show(rules_.Bar());
  if (options_.access && progress_.access) {
    options_.access->Show(!rules_.ProgressVisible());
    progress_.access->Show(rules_.ProgressVisible());
    progress_.access->SetLiveText(rules_.DownloadLine());
  }
  if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

void frmMM::SetInstallationProgress(bool bVisible, const std::string& sInstallationDescription) {
  rules_.SetInstallationProgress(bVisible, sInstallationDescription);
  ShowProgressTexts();
  if (window_ != nullptr) UpdateWindow(window_);
  ProcessPendingEvents();
}

void frmMM::SetDownloadProgress(const std::string& text, std::uint64_t received, std::uint64_t total) {
  rules_.SetDownloadProgress(text, received, total);
  ShowProgressTexts();
}

void frmMM::CloseMainWindow() {
  if (MayClose(RunRules::CloseRequest::ByLogic)) Unload();
}

MessageAnswer frmMM::ShowMessage(const MessageBoxRequest& request) {
  MessageBoxRequest owned = request;
  owned.caption = ApplicationTitle();
  const std::optional<MessageAnswer> unseen = rules_.AnswerWithoutABox(owned);
  const MessageAnswer answer = unseen ? *unseen : Win32MessageBox(window_, &machine_.Log()).Show(owned);
  machine_.Log().Write(std::string(unseen ? "message (not shown): " : "message: ") + owned.text + " -> " +
                       AnswerName(answer));
  return answer;
}

void frmMM::SetBusyPointer(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void frmMM::ProcessPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that ends the program
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace kelvano
