#pragma once
// frmMM, the setup's one window: the option page and the progress page stacked in a
// 650 x 450 client area, the run state that the installation logic talks to, and the
// quiet run at its first activation. The pages are painted here, labels included, over
// their stretched pictures.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "packages/win32/win32_machine.h"
#include "sequence/installation_sequence.h"
#include "sequence/kit_layout.h"
#include "startup/settings.h"
#include "system/run_state.h"
#include "system/win32/unique_handle.h"
#include "ui/run_rules.h"
#include "ui/setup_pages.h"
#include "ui/win32/accessible_items.h"
#include "ui/win32/progress_bar.h"

namespace kelvano {

class frmMM : public RunState {
 public:
  frmMM(const SetupContext& context, Win32Machine& machine, std::string executablePath);
  ~frmMM() override;
  frmMM(const frmMM&) = delete;
  frmMM& operator=(const frmMM&) = delete;

  // Creates and shows the window and returns when it has been unloaded. Raises when the
  // window cannot be created.
  void ShowAndRun();
  // How the last run of the installation sequence (or the kit layout) ended.
  InstallationOutcome LastOutcome() const { return lastOutcome_; }

  // The run state, its rules kept by RunRules.
  bool InstallationRunning() const override { return rules_.InstallationRunning(); }
  void SetInstallationRunning(bool running) override { rules_.SetInstallationRunning(running); }
  void SetInstallationProgress(bool bVisible, const std::string& sInstallationDescription) override;
  void SetDownloadProgress(const std::string& text, std::uint64_t received, std::uint64_t total) override;
  void CloseMainWindow() override;
  MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
  void SetBusyPointer(bool busy) override;
  void ProcessPendingEvents() override;

 private:
  struct Page {
    Page(std::vector<PageItem> pageItems, std::shared_ptr<Picture> pagePicture)
        : items(std::move(pageItems)), picture(std::move(pagePicture)), focus(items) {}
    std::vector<PageItem> items;
    std::shared_ptr<Picture> picture;
    OptionHighlight highlight;
    KeyboardFocus focus;
    std::unique_ptr<AccessibleItems> access;  // once the window exists
  };

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  Page& CurrentPage() { return rules_.ProgressVisible() ? progress_ : options_; }
  void Paint(HDC target);
  void PaintPage(HDC dc, const Page& page);
  PixelRect ItemRect(HDC dc, const PageItem& item) const;
  const PageItem* ItemAt(int x, int y);
  void MouseMoved(int x, int y);
  void Clicked(int x, int y);
  // What a click on the item does; Enter and Space on the focused item do it too.
  void Activate(const PageItem& item);
  void KeyPressed(unsigned virtualKey);
  // The pages' OptionClick: 0-2 run the sequence, 3 closes.
  void OptionClick(int index);
  void RunSequence(int option);
  void LayKit();
  void OpenWebsite();
  // Decides a close request by the rules, showing the box of a refusal.
  bool MayClose(RunRules::CloseRequest request);
  void ShowProgressTexts();
  void Unload();
  void ShowError(const std::string& description);
  HFONT FontOf(LabelFont font) const;
  // Lays the window out for this many dots per inch: fonts, the bar's place, the places
  // of what screen readers find.
  void UseDpi(int dpi);
  void PlaceAccessibleItems(Page& page);

  const SetupContext& context_;
  Win32Machine& machine_;
  InstallationSequence sequence_;
  HWND window_ = nullptr;
  int dpi_ = kDefaultDpi;
  unique_hfont optionFont_, descriptionFont_, closeFont_;
  unique_hicon bigIcon_, smallIcon_;
  HCURSOR handCursor_ = nullptr;
  Page options_, progress_;
  std::unique_ptr<ProgressBar> progressBar_;  // once the window exists
  RunRules rules_;
  bool busy_ = false;
  bool firstActivation_ = true;
  InstallationOutcome lastOutcome_ = InstallationOutcome::Nothing;
};

}  // namespace kelvano
