// The tag selection template as the built module carries it: the bytes of its resource,
// read back field by field.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TagSelectTemplate.h"
#include "device/Texts.h"
#include "platform/Text.h"
#include "platform/win32/WideWin32.h"
#include "support/Gbk.h"

namespace {

// Reads an extended dialog template; past the end it reads zeros, and `at` tells the overrun.
struct TemplateReader {
  const uint8_t* bytes;
  size_t size;
  size_t at = 0;

  uint16_t Word() {
    uint16_t value = 0;
    if (at + 2 <= size) std::memcpy(&value, bytes + at, 2);
    at += 2;
    return value;
  }
  uint32_t Dword() {
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
  }
  std::u16string String() {
    std::u16string text;
    for (uint16_t c = Word(); c != 0 && at <= size; c = Word()) text.push_back(static_cast<char16_t>(c));
    return text;
  }
  // A name or, after 0xFFFF, an ordinal written as "#n".
  std::u16string NameOrOrdinal() {
    if (at + 2 > size || bytes[at] != 0xFF || bytes[at + 1] != 0xFF) return String();
    Word();
    return platform::Utf8ToWide("#" + std::to_string(Word()));
  }
};

// One control as a line: id, class, caption, the class's own style bits (low 16), rectangle.
std::string Describe(uint32_t id, const std::u16string& windowClass, const std::u16string& caption, uint32_t style,
                     int x, int y, int cx, int cy) {
  std::ostringstream line;
  line << id << " " << platform::WideToUtf8(windowClass) << " \"" << platform::WideToUtf8(caption) << "\" style 0x"
       << std::hex << style << std::dec << " " << x << "," << y << " " << cx << "x" << cy;
  return line.str();
}

// How the resource compiler writes each kind of control: its class (0x80 buttons, 0x81 edits)
// and its style; and the captions by role, in the code page of the texts.
const std::map<platform::ControlKind, std::pair<std::u16string, uint32_t>> kKinds = {
    {platform::ControlKind::Button, {u"#128", BS_PUSHBUTTON}},
    {platform::ControlKind::DefaultButton, {u"#128", BS_DEFPUSHBUTTON}},
    {platform::ControlKind::Edit, {u"#129", ES_AUTOHSCROLL | ES_LEFT}},
    {platform::ControlKind::CheckBox, {u"#128", BS_AUTOCHECKBOX}},
    {platform::ControlKind::Custom, {u"QorvGridCtrl", 0}}};
const std::map<platform::ControlRole, const char*> kCaptions = {
    {platform::ControlRole::Import, texts::kTagImport},   {platform::ControlRole::FindButton, texts::kFindNext},
    {platform::ControlRole::KeepCheck, texts::kKeepUnselected}, {platform::ControlRole::Ok, texts::kOk},
    {platform::ControlRole::Cancel, texts::kCancel}};

TEST(TagSelectTemplate, ModuleCarriesTheDialogWithItsControlsCaptionsAndFont) {
  const platform::DialogTemplate dialog = DEVICE::TagSelectionTemplate();
  const HMODULE module = ::LoadLibraryExW(platform::win32::AsWide(platform::Utf8ToWide(ADS_DRIVER_PATH)), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(module) << ADS_DRIVER_PATH;
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(dialog.id), MAKEINTRESOURCEW(5));
  ASSERT_TRUE(found);
  TemplateReader in{static_cast<const uint8_t*>(::LockResource(::LoadResource(module, found))),
                    ::SizeofResource(module, found)};

  EXPECT_EQ(in.Word(), 1);       // version
  EXPECT_EQ(in.Word(), 0xFFFF);  // extended template
  in.Dword();                    // help ID
  EXPECT_EQ(in.Dword(), 0u);     // extended style
  EXPECT_EQ(in.Dword(), static_cast<uint32_t>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
  const uint16_t count = in.Word();
  in.at += 4;  // x, y
  EXPECT_EQ(in.Word(), dialog.units.cx);
  EXPECT_EQ(in.Word(), dialog.units.cy);
  EXPECT_EQ(in.NameOrOrdinal(), u"");  // no menu
  EXPECT_EQ(in.NameOrOrdinal(), u"");  // the dialog class
  EXPECT_EQ(in.String(), Gbk(texts::kDialogTitle));
  EXPECT_EQ(in.Word(), 10);  // points
  in.at += 4;                // weight, italic, character set
  EXPECT_EQ(in.String(), u"System");

  std::vector<std::string> controls;
  for (uint16_t i = 0; i < count && in.at <= in.size; ++i) {
    in.at = ((in.at + 3) & ~size_t{3}) + 8;  // aligned; help ID, extended style
    const uint32_t style = in.Dword();
    const int16_t x = in.Word(), y = in.Word(), cx = in.Word(), cy = in.Word();
    const uint32_t id = in.Dword();
    std::u16string windowClass = in.NameOrOrdinal();
    const std::u16string caption = in.NameOrOrdinal();
    in.at += in.Word();  // creation data
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), static_cast<uint32_t>(WS_CHILD | WS_VISIBLE)) << id;
    // The resource compiler writes class names in capitals; the window system looks them up
    // without regard to case.
    if (::CompareStringOrdinal(platform::win32::AsWide(windowClass), -1, L"QorvGridCtrl", -1, TRUE) == CSTR_EQUAL) {
      windowClass = u"QorvGridCtrl";
      EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP),
                static_cast<uint32_t>(WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP));
    }
    controls.push_back(Describe(id, windowClass, caption, style & 0xFFFF, x, y, cx, cy));
  }
  ASSERT_LE(in.at, in.size);

  // The resource holds the template the other backends get, control for control in focus order.
  std::vector<std::string> expected;
  for (const platform::ControlTemplate& c : dialog.controls) {
    const auto& [windowClass, style] = kKinds.at(c.kind);
    const auto caption = kCaptions.find(c.role);
    expected.push_back(Describe(c.id, windowClass, caption == kCaptions.end() ? u"" : Gbk(caption->second), style,
                                c.x, c.y, c.cx, c.cy));
  }
  EXPECT_EQ(controls, expected);
  ::FreeLibrary(module);
}

}  // namespace
