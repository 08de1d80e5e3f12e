// The tag selection dialog as a real window: adshost opens it from the module's template, the
// test acts on it as a user would, through window messages, and reads the channels it made.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TagSeletList.h"
#include "device/Texts.h"
#include "platform/ProcessServices.h"
#include "platform/Text.h"
#include "platform/win32/GridWindowWin32.h"
#include "platform/win32/WideWin32.h"
#include "support/Gbk.h"
#include "support/ReadFile.h"

namespace {

namespace fs = std::filesystem;
using DEVICE::CTagSeletList;
using platform::win32::GridPart;

const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class TagDialogWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() / ("adshost-window-" + std::to_string(stamp));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  platform::ProgramRun Host(std::vector<std::string> arguments, const std::string& input = "") {
    std::ofstream(dir_ / "in", std::ios::binary) << input;
    arguments.insert(arguments.begin(), {"--project", "p.adsproj"});
    return {ADS_HOST_PATH, arguments, dir_.string(), (dir_ / "in").string(), (dir_ / "out").string(),
            (dir_ / "err").string()};
  }
  std::string Output() const { return Slurp(dir_ / "out") + Slurp(dir_ / "err"); }

  // The tag names of the project's channels, in order.
  std::vector<std::string> ChannelNames() {
    EXPECT_EQ(platform::RunProgram(Host({"channels"})), 0);
    std::vector<std::string> names;
    const std::string channels = Slurp(dir_ / "out");
    for (size_t at = channels.find('\n'); at != std::string::npos && at + 1 < channels.size();) {
      const size_t end = channels.find('\n', at + 1);
      const std::string line = channels.substr(at + 1, end - at - 1);
      size_t field = 0;
      for (int i = 0; i < 8; ++i) field = line.find('\t', field) + 1;
      names.push_back(line.substr(field, line.find('\t', field) - field));
      at = end;
    }
    return names;
  }

  // Waits up to 30 s for the dialog window of the host. It exists before its controls do; it
  // is shown once they are made.
  static HWND WaitForDialog() {
    const DWORD start = ::GetTickCount();
    for (;;) {
      const HWND dialog = ::FindWindowW(L"#32770", W(Gbk(texts::kDialogTitle)));
      if (dialog && ::IsWindowVisible(dialog)) return dialog;
      if (::GetTickCount() - start > 30000) return nullptr;
      ::Sleep(50);
    }
  }

  fs::path dir_;
};

// The virtual screen's system has no font with Chinese characters for window captions: the
// screenshot's title is drawn with the font that the tests install for the dialog's texts.
void UseChineseCaptionFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  if (wcscmp(metrics.lfCaptionFont.lfFaceName, L"WenQuanYi Micro Hei") == 0) return;
  wcscpy(metrics.lfCaptionFont.lfFaceName, L"WenQuanYi Micro Hei");
  metrics.lfCaptionFont.lfCharSet = GB2312_CHARSET;
  ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

// The few GDI+ functions that encode a bitmap as PNG, taken from the system's library at run
// time so that the test program links against nothing more.
struct GdiplusStartupInput {
  UINT32 version = 1;
  void* debugEventCallback = nullptr;
  BOOL suppressBackgroundThread = FALSE;
  BOOL suppressExternalCodecs = FALSE;
};
using Startup = int(WINAPI*)(ULONG_PTR*, const GdiplusStartupInput*, void*);
using Shutdown = void(WINAPI*)(ULONG_PTR);
using CreateBitmapFromHbitmap = int(WINAPI*)(HBITMAP, HPALETTE, void**);
using SaveImageToFile = int(WINAPI*)(void*, const wchar_t*, const CLSID*, const void*);
using DisposeImage = int(WINAPI*)(void*);

template <typename Function>
Function Get(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

// Writes the screen's pixels of the window's rectangle, frame included, to a PNG file. False
// when they cannot be taken or written.
bool SaveWindowPng(HWND window, const std::wstring& path) {
  RECT rect{};
  if (!::GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return false;
  const HMODULE gdiplus = ::LoadLibraryW(L"gdiplus.dll");
  if (!gdiplus) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  bool saved = false;
  const auto startup = Get<Startup>(gdiplus, "GdiplusStartup");
  const auto shutdown = Get<Shutdown>(gdiplus, "GdiplusShutdown");
  const auto fromHbitmap = Get<CreateBitmapFromHbitmap>(gdiplus, "GdipCreateBitmapFromHBITMAP");
  const auto save = Get<SaveImageToFile>(gdiplus, "GdipSaveImageToFile");
  const auto dispose = Get<DisposeImage>(gdiplus, "GdipDisposeImage");
  const GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (startup && shutdown && fromHbitmap && save && dispose && startup(&token, &input, nullptr) == 0) {
    // The PNG encoder's class identifier.
    const CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    void* image = nullptr;
    if (fromHbitmap(bitmap, nullptr, &image) == 0) {
      saved = save(image, path.c_str(), &png, nullptr) == 0;
      dispose(image);
    }
    shutdown(token);
  }
  ::FreeLibrary(gdiplus);
  ::DeleteObject(bitmap);
  return saved;
}

LRESULT RowState(HWND grid, int row) { return ::SendMessageW(grid, platform::win32::kGridRowState, row, 0); }

// Presses the left button on a part of a row, where the window itself says the part is.
void Click(HWND grid, int row, GridPart part) {
  const LRESULT centre = ::SendMessageW(grid, platform::win32::kGridPartCentre, row, static_cast<LPARAM>(part));
  ASSERT_NE(centre, -1) << "row " << row << " part " << static_cast<int>(part) << " not in view";
  const LRESULT hit = ::SendMessageW(grid, platform::win32::kGridHitTest, 0, centre);
  ASSERT_EQ(platform::win32::GridHitRow(hit), row);
  ASSERT_EQ(platform::win32::GridHitPart(hit), part);
  ::SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  ::SendMessageW(grid, WM_LBUTTONUP, 0, centre);
}

TEST_F(TagDialogWindow, ExpandCheckAndConfirmMakeTheChannelsAndTheCloseBoxKeepsThem) {
  // The tree comes from a scripted import; the project keeps it for the next session.
  const std::string example = std::string(ADS_SOURCE_DIR) + "/examples/demo.tpy";
  ASSERT_EQ(platform::RunProgram(Host({"select", "--script", "-"}, "import " + example + "\nok\n")), 0) << Output();

  UseChineseCaptionFont();
  auto host = platform::StartProgram(Host({"select"}));
  ASSERT_TRUE(host);
  const HWND dialog = WaitForDialog();
  ASSERT_TRUE(dialog) << "no dialog window; " << Output();
  const HWND grid = ::GetDlgItem(dialog, CTagSeletList::kGridId);
  ASSERT_TRUE(grid);

  // The template's controls, laid out for the dialog's outer size; the keep box is hidden.
  wchar_t className[32] = {};
  ::GetClassNameW(grid, className, 32);
  EXPECT_STREQ(className, L"QorvGridCtrl");
  for (int id : {CTagSeletList::kImportButton, CTagSeletList::kSearchEdit, CTagSeletList::kFindButton, 1, 2})
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, id))) << id;
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, CTagSeletList::kKeepCheck)));
  RECT window{}, client{}, gridRect{};
  ::GetWindowRect(dialog, &window);
  ::GetClientRect(dialog, &client);
  ::GetWindowRect(grid, &gridRect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&gridRect), 2);
  EXPECT_EQ(window.right - window.left, 600);
  EXPECT_EQ(window.bottom - window.top, 450);
  EXPECT_EQ(gridRect.left, 8);
  EXPECT_EQ(gridRect.right, client.right - 8);

  // Row 1 is MAIN with its placeholder child hidden below it; row 3 is gCounter.
  EXPECT_EQ(RowState(grid, 1), platform::win32::kGridRowHasChildren);
  EXPECT_EQ(RowState(grid, 2) & platform::win32::kGridRowHidden, platform::win32::kGridRowHidden);
  Click(grid, 1, GridPart::ExpandButton);
  EXPECT_EQ(RowState(grid, 1), platform::win32::kGridRowHasChildren | platform::win32::kGridRowExpanded);
  // The children's rows were made on expanding: row 2 is now MAIN.fbMotor, a collapsed node.
  EXPECT_EQ(RowState(grid, 2), platform::win32::kGridRowHasChildren);

  Click(grid, 2, GridPart::CheckBox);
  EXPECT_EQ(RowState(grid, 2) & 3, 1);
  EXPECT_EQ(RowState(grid, 1) & 3, 2);  // MAIN is partly checked now

  // Enter and Escape do not close it.
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) ::PostMessageW(::GetDlgItem(dialog, CTagSeletList::kSearchEdit), WM_KEYDOWN, key, 0);
  ::Sleep(500);
  ASSERT_TRUE(::IsWindowVisible(dialog));

  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::SetForegroundWindow(dialog);
  ::Sleep(300);
  EXPECT_TRUE(SaveWindowPng(dialog, ADS_SCREENSHOT_PATH));

  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
  EXPECT_EQ(host->Wait(), 0) << Output();
  // Every selectable leaf of the block; tRamp has no type and is not selectable.
  const std::vector<std::string> chosen{"MAIN.fbMotor.bEnable", "MAIN.fbMotor.bBusy", "MAIN.fbMotor.nSpeed",
                                        "MAIN.fbMotor.fCurrent"};
  EXPECT_EQ(ChannelNames(), chosen);

  // Opened again, the channels show checked (MAIN partly); the close box cancels and keeps them.
  host = platform::StartProgram(Host({"select"}));
  ASSERT_TRUE(host);
  const HWND again = WaitForDialog();
  ASSERT_TRUE(again) << Output();
  EXPECT_EQ(RowState(::GetDlgItem(again, CTagSeletList::kGridId), 1) & 3, 2);
  ::PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_EQ(host->Wait(), 0) << Output();
  EXPECT_EQ(ChannelNames(), chosen);
}

}  // namespace
