// The tag selection dialog as a real window: adshost opens it from the module's template, the
// test acts on it as a user would, through window messages, and reads the channels it made.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "TagSeletList.h"
#include "device/Texts.h"
#include "platform/win32/GridWindowWin32.h"
#include "platform/win32/WideWin32.h"
#include "support/Gbk.h"
#include "support/HostSession.h"

// After the window headers: the image library needs the property types they leave out.
#include <objidl.h>
#include <gdiplus.h>

namespace {

using DEVICE::CTagSeletList;
using platform::win32::GridPart;

class TagDialogWindow : public HostSession {
 protected:
  std::unique_ptr<platform::StartedProgram> StartSelect() {
    Store(dir_ / "in", "");
    return platform::StartProgram({ADS_HOST_PATH, {"--project", "p.adsproj", "select"}, dir_.string(),
                                   (dir_ / "in").string(), (dir_ / "out").string(), (dir_ / "err").string()});
  }
  std::string Output() const { return Slurp(dir_ / "out") + Slurp(dir_ / "err"); }

  // The tag names of the project's channels in order: the ninth field of each row below the header.
  std::vector<std::string> ChannelNames() {
    const HostRun run = Host("p.adsproj", {"channels"});
    EXPECT_EQ(run.status, 0) << run.err;
    static const std::regex ninthField("\n(?:[^\t\n]*\t){8}([^\t\n]*)");
    std::vector<std::string> names;
    for (std::sregex_iterator row(run.out.begin(), run.out.end(), ninthField), end; row != end; ++row)
      names.push_back((*row)[1]);
    return names;
  }
};

// Waits up to 30 s for the dialog window of the host. It exists before its controls do; it is
// shown once they are made.
HWND WaitForDialog() {
  for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 30000; ::Sleep(50)) {
    const HWND dialog = ::FindWindowW(L"#32770", platform::win32::AsWide(Gbk(texts::kDialogTitle)));
    if (dialog && ::IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

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

// Writes the screen's pixels of the window's rectangle, frame included, to a PNG file.
bool SaveWindowPng(HWND window, const wchar_t* path) {
  RECT rect{};
  if (!::GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  const Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  bool saved = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  if (saved) {
    const CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};  // the PNG encoder
    saved = Gdiplus::Bitmap(bitmap, nullptr).Save(path, &png, nullptr) == Gdiplus::Ok;
    Gdiplus::GdiplusShutdown(token);
  }
  ::DeleteObject(bitmap);
  return saved;
}

LRESULT RowState(HWND grid, int row) { return ::SendMessageW(grid, platform::win32::kGridRowState, row, 0); }

// Presses the left button on a part of a row, where the window itself says the part is.
void ClickPart(HWND grid, int row, GridPart part) {
  const LRESULT centre = ::SendMessageW(grid, platform::win32::kGridPartCentre, row, static_cast<LPARAM>(part));
  ASSERT_NE(centre, -1) << "row " << row << " part " << static_cast<int>(part) << " not in view";
  ::SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  ::SendMessageW(grid, WM_LBUTTONUP, 0, centre);
}

TEST_F(TagDialogWindow, ExpandCheckAndConfirmMakeTheChannelsAndTheCloseBoxKeepsThem) {
  // The tree comes from a scripted import; the project keeps it for the next session.
  const HostRun imported = Select("p.adsproj", Script({}));
  ASSERT_EQ(imported.status, 0) << imported.err;
  UseChineseCaptionFont();
  auto host = StartSelect();
  ASSERT_TRUE(host);
  const HWND dialog = WaitForDialog();
  ASSERT_TRUE(dialog) << "no dialog window; " << Output();
  const HWND grid = ::GetDlgItem(dialog, CTagSeletList::kGridId);
  ASSERT_TRUE(grid);

  // The template's controls, laid out for the dialog's outer size; the keep box is hidden.
  for (int id : {CTagSeletList::kImportButton, CTagSeletList::kSearchEdit, CTagSeletList::kFindButton, 1, 2})
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, id))) << id;
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, CTagSeletList::kKeepCheck)));
  RECT window{}, client{}, gridRect{};
  ::GetWindowRect(dialog, &window);
  ::GetClientRect(dialog, &client);
  ::GetWindowRect(grid, &gridRect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&gridRect), 2);
  EXPECT_EQ(std::make_pair(window.right - window.left, window.bottom - window.top), std::make_pair(600L, 450L));
  EXPECT_EQ(std::make_pair(gridRect.left, gridRect.right), std::make_pair(8L, client.right - 8));

  // Row 1 is MAIN with its placeholder child hidden below it; row 3 is gCounter.
  using namespace platform::win32;
  EXPECT_EQ(RowState(grid, 2) & kGridRowHidden, kGridRowHidden);
  ClickPart(grid, 1, GridPart::ExpandButton);
  // The children's rows were made on expanding: row 2 is now MAIN.fbMotor, a collapsed node.
  EXPECT_EQ(RowState(grid, 2), kGridRowHasChildren);
  ClickPart(grid, 2, GridPart::CheckBox);
  EXPECT_EQ(RowState(grid, 1), kGridRowHasChildren | kGridRowExpanded | 2);  // MAIN partly checked

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
  host = StartSelect();
  ASSERT_TRUE(host);
  const HWND again = WaitForDialog();
  ASSERT_TRUE(again) << Output();
  EXPECT_EQ(RowState(::GetDlgItem(again, CTagSeletList::kGridId), 1) & 3, 2);
  ::PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_EQ(host->Wait(), 0) << Output();
  EXPECT_EQ(ChannelNames(), chosen);
}

}  // namespace
