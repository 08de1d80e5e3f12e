// The tag selection template as the built module carries it: the bytes of its resource,
// read back field by field.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "TagSelectTemplate.h"
#include "device/Texts.h"
#include "platform/Text.h"
#include "platform/win32/WideWin32.h"
#include "support/Gbk.h"

namespace {


// Reads an extended dialog template.
class TemplateReader {
 public:
  TemplateReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  uint16_t Word() {
    uint16_t value = 0;
    if (at_ + 2 <= size_) std::memcpy(&value, bytes_ + at_, 2);
    at_ += 2;
    return value;
  }
  uint32_t Dword() {
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
  }
  uint8_t Byte() { return at_ < size_ ? bytes_[at_++] : 0; }
  std::u16string String() {
    std::u16string text;
    for (uint16_t c = Word(); c != 0 && at_ <= size_; c = Word()) text.push_back(static_cast<char16_t>(c));
    return text;
  }
  // A name or, after 0xFFFF, an ordinal written as "#n".
  std::u16string NameOrOrdinal() {
    if (at_ + 2 <= size_ && bytes_[at_] == 0xFF && bytes_[at_ + 1] == 0xFF) {
      Word();
      std::u16string ordinal = u"#";
      for (char c : std::to_string(Word())) ordinal.push_back(static_cast<char16_t>(c));
      return ordinal;
    }
    return String();
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
  bool Overran() const { return at_ > size_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t at_ = 0;
};

struct Control {
  uint32_t id;
  std::u16string windowClass;
  std::u16string caption;
  uint32_t kindStyle;  // the class's own style bits (low 16)
  int16_t x, y, cx, cy;
  bool operator==(const Control&) const = default;
};

void PrintTo(const Control& c, std::ostream* os) {
  *os << c.id << " " << platform::WideToUtf8(c.windowClass) << " \"" << platform::WideToUtf8(c.caption) << "\" style 0x"
      << std::hex << c.kindStyle << std::dec << " " << c.x << "," << c.y << " " << c.cx << "x" << c.cy;
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
  const HMODULE module = ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(platform::Utf8ToWide(ADS_DRIVER_PATH).c_str()),
                                          nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(module) << ADS_DRIVER_PATH;
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(DEVICE::TagSelectionTemplate().id), MAKEINTRESOURCEW(5));
  ASSERT_TRUE(found);
  const auto* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(module, found)));
  TemplateReader in(bytes, ::SizeofResource(module, found));

  EXPECT_EQ(in.Word(), 1);       // version
  EXPECT_EQ(in.Word(), 0xFFFF);  // extended template
  in.Dword();                    // help ID
  EXPECT_EQ(in.Dword(), 0u);     // extended style
  const uint32_t style = in.Dword();
  EXPECT_EQ(style, static_cast<uint32_t>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
  const uint16_t count = in.Word();
  const int16_t frame[4] = {static_cast<int16_t>(in.Word()), static_cast<int16_t>(in.Word()),
                            static_cast<int16_t>(in.Word()), static_cast<int16_t>(in.Word())};
  EXPECT_EQ(frame[2], DEVICE::TagSelectionTemplate().units.cx);
  EXPECT_EQ(frame[3], DEVICE::TagSelectionTemplate().units.cy);
  EXPECT_EQ(in.NameOrOrdinal(), u"");  // no menu
  EXPECT_EQ(in.NameOrOrdinal(), u"");  // the dialog class
  EXPECT_EQ(in.String(), Gbk(texts::kDialogTitle));
  EXPECT_EQ(in.Word(), 10);  // points
  in.Word();                 // weight
  in.Byte();                 // italic
  in.Byte();                 // character set
  EXPECT_EQ(in.String(), u"System");

  std::vector<Control> controls;
  for (uint16_t i = 0; i < count && !in.Overran(); ++i) {
    in.AlignDword();
    Control control{};
    in.Dword();  // help ID
    in.Dword();  // extended style
    const uint32_t itemStyle = in.Dword();
    control.x = static_cast<int16_t>(in.Word());
    control.y = static_cast<int16_t>(in.Word());
    control.cx = static_cast<int16_t>(in.Word());
    control.cy = static_cast<int16_t>(in.Word());
    control.id = in.Dword();
    control.windowClass = in.NameOrOrdinal();
    control.caption = in.NameOrOrdinal();
    const uint16_t extra = in.Word();
    for (uint16_t b = 0; b < extra; ++b) in.Byte();
    EXPECT_TRUE(itemStyle & WS_CHILD) << control.id;
    EXPECT_TRUE(itemStyle & WS_VISIBLE) << control.id;
    control.kindStyle = itemStyle & 0xFFFF;
    // The resource compiler writes class names in capitals; the window system looks them up
    // without regard to case.
    if (::CompareStringOrdinal(reinterpret_cast<const wchar_t*>(control.windowClass.c_str()), -1, L"QorvGridCtrl", -1,
                               TRUE) == CSTR_EQUAL) {
      control.windowClass = u"QorvGridCtrl";
      EXPECT_EQ(itemStyle & (WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP),
                static_cast<uint32_t>(WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP));
    }
    controls.push_back(control);
  }
  ASSERT_FALSE(in.Overran());

  // The resource holds the template the other backends get, control for control in focus order.
  std::vector<Control> expected;
  for (const platform::ControlTemplate& c : DEVICE::TagSelectionTemplate().controls) {
    const auto& [windowClass, style] = kKinds.at(c.kind);
    const auto caption = kCaptions.find(c.role);
    expected.push_back({static_cast<uint32_t>(c.id), windowClass, caption == kCaptions.end() ? u"" : Gbk(caption->second),
                        style, static_cast<int16_t>(c.x), static_cast<int16_t>(c.y), static_cast<int16_t>(c.cx),
                        static_cast<int16_t>(c.cy)});
  }
  EXPECT_EQ(controls, expected);
  ::FreeLibrary(module);
}

}  // namespace
