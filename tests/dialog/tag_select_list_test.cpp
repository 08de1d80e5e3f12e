// The tag selection dialog over a small hand-made tag tree, driven headless by the scripted
// dialog backend.
#include "TagSeletList.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "device/Texts.h"
#include "platform/ScriptedDialog.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace {

using DEVICE::CTagSeletList;
using Names = std::vector<std::u16string>;

constexpr int32_t kNotSelectable = -1;

// A tag node with everything given explicitly; the full name is what becomes a channel name.
class Node final : public DEVICE::ITree, public DEVICE::ILabel {
 public:
  Node(Node* parent, std::string name, std::string full, std::string type, int32_t dataType)
      : parent_(parent), name_(std::move(name)), full_(std::move(full)), type_(std::move(type)), dataType_(dataType) {}

  Node& Add(std::string name, std::string full, std::string type, int32_t dataType) {
    children_.push_back(std::make_unique<Node>(this, std::move(name), std::move(full), std::move(type), dataType));
    return *children_.back();
  }

  DEVICE::ILabel* GetLabel() override { return this; }
  DEVICE::ITree* GetParent() override { return parent_; }
  uint32_t GetChildCount() const override { return static_cast<uint32_t>(children_.size()); }
  DEVICE::ITree* GetChild(uint32_t index) override {
    return index < children_.size() ? children_[index].get() : nullptr;
  }
  DEVICE::ITree* Find(const std::string& fullName) override {
    for (auto& child : children_) {
      if (child->full_ == fullName) return child.get();
      if (auto* found = child->Find(fullName)) return found;
    }
    return nullptr;
  }

  std::string GetName() const override { return name_; }
  std::string GetComment() const override { return "c:" + name_; }
  int32_t GetDataType() const override { return dataType_; }
  std::string GetPathName() const override { return full_; }
  std::string GetLongName() const override { return full_; }
  bool IsInArray() const override { return false; }
  std::string GetFullName() const override { return full_; }
  std::string GetTypeName() const override { return type_; }

 private:
  Node* parent_;
  std::string name_, full_, type_;
  int32_t dataType_;
  std::vector<std::unique_ptr<Node>> children_;
};

// MAIN { arr [0..2] OF INT, s { a BOOL, t TIME (not selectable) }, u { x (not selectable) } },
// g DINT, alias (not selectable), copy { a second node named "g" }.
std::unique_ptr<Node> SampleTree() {
  auto root = std::make_unique<Node>(nullptr, "", "", "QORV_ROOT", kNotSelectable);
  Node& main = root->Add("MAIN", "MAIN", "MAIN", kNotSelectable);
  Node& arr = main.Add("arr", "MAIN.arr", "ARRAY [0..2] OF INT", kNotSelectable);
  for (int i = 0; i < 3; ++i) arr.Add("[" + std::to_string(i) + "]", "MAIN.arr[" + std::to_string(i) + "]", "INT", 3);
  Node& s = main.Add("s", "MAIN.s", "ST", kNotSelectable);
  s.Add("a", "MAIN.s.a", "BOOL", 0);
  s.Add("t", "MAIN.s.t", "", kNotSelectable);
  main.Add("u", "MAIN.u", "U", kNotSelectable).Add("x", "MAIN.u.x", "", kNotSelectable);
  root->Add("g", "g", "DINT", 7);
  root->Add("alias", "alias", "", kNotSelectable);
  root->Add("copy", "copy", "COPY", kNotSelectable).Add("g", "g", "DINT", 7);
  return root;
}

// Counts the import button's presses and swaps in the next tree when told to succeed.
class FakeImport final : public DEVICE::stCallBack {
 public:
  bool Execute() override {
    ++runs;
    if (!succeed) return false;
    dialog->SetTagTree(next);
    return true;
  }
  CTagSeletList* dialog = nullptr;
  DEVICE::ITree* next = nullptr;
  bool succeed = true;
  int runs = 0;
};

class TagSelectList : public testing::Test {
 protected:
  TagSelectList() : backend_(ui_, [this](const std::string& line) { output_.push_back(line); }) {
    platform::SetUserInterface(&ui_);
    platform::SetDialogBackend(&backend_);
    dialog_ = std::make_unique<CTagSeletList>();
    dialog_->SetTagTree(tree_.get());
  }
  ~TagSelectList() override {
    platform::SetDialogBackend(nullptr);
    platform::SetUserInterface(nullptr);
  }

  int Run(const std::string& script) {
    output_.clear();
    backend_.AddScript(script);
    return dialog_->DoModal();
  }
  Names Selected() {
    Names names;
    dialog_->GetSelectTag(names);
    return names;
  }
  const grid::CTreeGridCtrl& Grid() const { return dialog_->Grid(); }
  int RowOf(const std::u16string& fullName) const {
    for (int row = 1; row < Grid().RowCount(); ++row)
      if (Grid().AccessibleName(row) == fullName) return row;
    return -1;
  }
  std::u16string SelectedName() const { return Grid().AccessibleName(Grid().SelectedRow()); }

  std::unique_ptr<Node> tree_ = SampleTree();
  platform::ScriptedUserInterface ui_;
  std::vector<std::string> output_;
  platform::ScriptedDialogBackend backend_;
  std::unique_ptr<CTagSeletList> dialog_;
};

TEST_F(TagSelectList, RowsAppearLazilyWithTheirTextsAndStates) {
  ASSERT_EQ(Run("rows\nexpand MAIN\nexpand MAIN.arr\nrows\ncancel"), 2);
  // row, level, check, tree-cell state, display name, type, comment. Inner rows carry exactly
  // the collapsed marker; the placeholder rows under them are hidden and not listed.
  const std::vector<std::string> expected{
      "1\t0\t0\t0x0800\tMAIN\tMAIN\tc:MAIN",      "3\t0\t0\t0x0008\tg\tDINT\tc:g",
      "4\t0\t0\t0x2008\talias\t\tc:alias",        "5\t0\t0\t0x0800\tcopy\tCOPY\tc:copy",
      "1\t0\t0\t0x0400\tMAIN\tMAIN\tc:MAIN",      "2\t1\t0\t0x0400\tarr\tARRAY [0..2] OF INT\tc:arr",
      "3\t2\t0\t0x0008\tarr[0]\tINT\tc:[0]",      "4\t2\t0\t0x0008\tarr[1]\tINT\tc:[1]",
      "5\t2\t0\t0x0008\tarr[2]\tINT\tc:[2]",      "6\t1\t0\t0x0800\ts\tST\tc:s",
      "8\t1\t0\t0x0800\tu\tU\tc:u",               "10\t0\t0\t0x0008\tg\tDINT\tc:g",
      "11\t0\t0\t0x2008\talias\t\tc:alias",       "12\t0\t0\t0x0800\tcopy\tCOPY\tc:copy"};
  EXPECT_EQ(output_, expected);
  const auto& grid = Grid();
  EXPECT_EQ(grid.GetItemText(grid.GetItemForRow(7), 1), platform::AnsiToWide(texts::kDefaultItem));
  EXPECT_TRUE(grid.IsRowHidden(7));
  // Unselectable rows are grey; the leaf's check box is disabled, the inner row's is not.
  EXPECT_EQ(grid.CellTextColour(11, 1), 0x7F7F7Fu);
  EXPECT_EQ(grid.CellTextColour(8, 1), 0x7F7F7Fu);
  EXPECT_EQ(grid.CellTextColour(10, 1), 0u);
  // Every cell is read-only; column 0 holds the node.
  EXPECT_EQ(grid.CellState(10, 3) & grid::kStateReadOnly, grid::kStateReadOnly);
  EXPECT_EQ(grid.GetItemData(grid.GetItemForRow(10), 0), tree_->Find("g"));

  // Expanding again (double-click collapses, a second one expands) inserts nothing twice.
  ASSERT_EQ(Run("dblclick MAIN\ndblclick MAIN\nrows\ncancel"), 2);
  EXPECT_EQ(output_.size(), 4u);  // a new dialog run starts from the top rows again
}

TEST_F(TagSelectList, ChecksFromTheOpeningNamesAndWhatOkReturns) {
  dialog_->SetSelectNames({u"MAIN.arr[1]", u"g", u"no.such.tag"});
  // A partly checked row that was never expanded yields just the leaves selected at opening.
  ASSERT_EQ(Run("ok"), 1);
  EXPECT_EQ(Selected(), (Names{u"MAIN.arr[1]", u"g"}));
  EXPECT_EQ(Grid().RowCheck(1), grid::kPartlyChecked);

  // Expanding shows the check states below; children of a partly checked row keep their own.
  ASSERT_EQ(Run("expand MAIN.arr\nrows\ncancel"), 2);
  EXPECT_EQ(output_[1].substr(0, 6), "2\t1\t2\t");  // arr partly checked
  EXPECT_EQ(output_[2].substr(0, 6), "3\t2\t0\t");  // arr[0]
  EXPECT_EQ(output_[3].substr(0, 6), "4\t2\t1\t");  // arr[1]
  EXPECT_EQ(Selected(), (Names{u"MAIN.arr[1]", u"g"}));  // Cancel keeps the names

  // A checked row whose children were never expanded yields every selectable leaf below it, in
  // tree order; a tag reachable from two checked rows comes once, at its first place.
  ASSERT_EQ(Run("click MAIN\nclick copy\nclick alias\nok"), 1);
  EXPECT_EQ(Selected(), (Names{u"MAIN.arr[0]", u"MAIN.arr[1]", u"MAIN.arr[2]", u"MAIN.s.a", u"g"}));

  // The last OK's names open checked; unchecking one drops it, and clicking the partly checked
  // MAIN checks all of it again.
  const Names underMain{u"MAIN.arr[0]", u"MAIN.arr[1]", u"MAIN.arr[2]", u"MAIN.s.a"};
  ASSERT_EQ(Run("click g\nclick MAIN.arr[0]\nok"), 1);
  EXPECT_EQ(Selected(), (Names{u"MAIN.arr[1]", u"MAIN.arr[2]", u"MAIN.s.a"}));
  ASSERT_EQ(Run("click MAIN\nok"), 1);
  EXPECT_EQ(Selected(), underMain);
}

TEST_F(TagSelectList, EnterAndEscapeDoNotCloseAndTheLimitKeepsTheDialogOpen) {
  ASSERT_EQ(Run("key enter\nkey escape"), 2);  // closed only because the script ran out
  EXPECT_TRUE(output_.empty());

  dialog_->SetMaxSelectCount(1);
  ASSERT_EQ(Run("click g\nclick MAIN.s.a\nok\ncancel"), 2);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, platform::AnsiToWide(texts::kTooManyTags));
  EXPECT_EQ(ui_.messages()[0].icon, platform::MessageBoxIcon::Stop);
  // The names already hold the refused choice.
  EXPECT_EQ(Selected(), (Names{u"MAIN.s.a", u"g"}));
  ASSERT_EQ(Run("click MAIN.s.a\nok"), 1);
  EXPECT_EQ(Selected(), Names{u"g"});
}

TEST_F(TagSelectList, FindNextCyclesThroughMatchingLeaves) {
  // "arr" matches the array node: its leaves are the results. After the last one a press shows
  // nothing and the next starts again; another letter case continues, another text restarts.
  const std::vector<std::pair<std::string, std::u16string>> steps{
      {"arr", u"MAIN.arr[0]"}, {"arr", u"MAIN.arr[1]"}, {"ARR", u"MAIN.arr[2]"},
      {"arr", u"MAIN.arr[2]"}, {"arr", u"MAIN.arr[0]"}, {"a?r", u"MAIN.arr[0]"},
      {"[st]", u"MAIN.s.a"},   {"[st]", u"MAIN.s.t"},   {"[st]", u"alias"},
      {"", u"alias"}};
  // The selection is read after each press: run the presses up to it in a dialog of its own.
  for (size_t i = 0; i < steps.size(); ++i) {
    std::string lines;
    for (size_t j = 0; j <= i; ++j) lines += "find " + steps[j].first + "\n";
    dialog_ = std::make_unique<CTagSeletList>();
    dialog_->SetTagTree(tree_.get());
    ASSERT_EQ(Run(lines + "cancel"), 2);
    EXPECT_EQ(SelectedName(), steps[i].second) << "after step " << i;
    EXPECT_TRUE(backend_.LastSurface().controls.at(CTagSeletList::kFindButton).enabled);
  }
}

TEST_F(TagSelectList, ImportRebuildsTheViewFromTheOpeningNames) {
  auto other = std::make_unique<Node>(nullptr, "", "", "QORV_ROOT", kNotSelectable);
  other->Add("g", "g", "INT", 3);
  other->Add("h", "h", "INT", 3);
  FakeImport import;
  import.dialog = dialog_.get();
  import.next = other.get();
  dialog_->SetImportCallBack(&import);
  dialog_->SetSelectNames({u"g"});

  // A failed import leaves the view and its checks.
  import.succeed = false;
  ASSERT_EQ(Run("click alias\nclick MAIN.s.a\nimport\nok"), 1);
  EXPECT_EQ(import.runs, 1);
  EXPECT_EQ(Selected(), (Names{u"MAIN.s.a", u"g"}));

  // A successful one shows the new tree; checks made before it are gone, the opening names
  // (here the names of the last OK) are checked again.
  import.succeed = true;
  dialog_->SetSelectNames({u"g"});
  ASSERT_EQ(Run("click g\nimport\nrows\nok"), 1);
  EXPECT_EQ(output_, (std::vector<std::string>{"1\t0\t1\t0x0008\tg\tINT\tc:g", "2\t0\t0\t0x0008\th\tINT\tc:h"}));
  EXPECT_EQ(Selected(), Names{u"g"});
}

TEST_F(TagSelectList, LayoutFontAndTraceLines) {
  ASSERT_EQ(Run("cancel"), 2);
  EXPECT_EQ(backend_.LastSurface().window.Width(), 600);  // outer size u(600) x u(450)
  EXPECT_EQ(backend_.LastSurface().window.Height(), 450);

  std::vector<std::string> trace;
  platform::SetDebugSink([&trace](const std::string& line) { trace.push_back(line); });
  ASSERT_EQ(Run("size 800 600\ncancel"), 2);
  platform::SetDebugSink(nullptr);

  const auto& surface = backend_.LastSurface();
  const std::vector<std::pair<int, platform::Rect>> rects{
      {3, {8, 8, 83, 32}},        {10001, {195, 8, 708, 32}},  {10003, {716, 8, 791, 32}},
      {10002, {8, 40, 792, 560}}, {2, {717, 568, 792, 592}},   {1, {634, 568, 709, 592}},
      {1008, {8, 568, 308, 592}}};
  for (const auto& [id, rect] : rects) EXPECT_EQ(surface.controls.at(id).rect, rect) << id;
  EXPECT_FALSE(surface.controls.at(1008).visible);
  EXPECT_EQ(surface.controls.at(1008).check, 1);  // the discard flag is false
  EXPECT_EQ(surface.focus, 10001);
  ASSERT_TRUE(surface.font);
  EXPECT_EQ(surface.font->face, platform::AnsiToWide(texts::kFontFace));
  EXPECT_EQ(surface.font->height, -13);
  EXPECT_EQ(surface.font->weight, 400);
  EXPECT_EQ(surface.font->charSet, 134);
  EXPECT_EQ(surface.font->pitchAndFamily, 0x22);
  EXPECT_EQ(Grid().ColumnWidth(0), 0);
  EXPECT_EQ(Grid().ColumnWidth(1), 392);
  EXPECT_EQ(Grid().ColumnWidth(2), 75);
  EXPECT_EQ(Grid().ColumnHeading(1), platform::AnsiToWide(texts::kColumnTagName));

  const std::regex format(
      R"re(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]\[src\\TagSeletList\]\[DEVICE::CTagSeletList::\w+\]\[\d+\] "(begin|end)"\n)re");
  ASSERT_FALSE(trace.empty());
  for (const auto& line : trace) EXPECT_TRUE(std::regex_match(line, format)) << line;
  EXPECT_NE(trace.front().find("::OnInitDialog]"), std::string::npos);
  EXPECT_EQ(trace.size() % 2, 0u);  // every entry line has its return line

  // A screen of 144 pixels per inch scales everything by 1.25.
  backend_.SetScreenPixelsPerInchY(144);
  dialog_ = std::make_unique<CTagSeletList>();
  ASSERT_EQ(Run("cancel"), 2);
  EXPECT_EQ(backend_.LastSurface().font->height, -16);
  EXPECT_EQ(backend_.LastSurface().window.Width(), 750);
  EXPECT_EQ(Grid().ColumnWidth(1), 612);
  EXPECT_EQ(Grid().ColumnWidth(2), 93);
}

TEST_F(TagSelectList, ABigTreeOpensWithRowsOnlyForTheTopLevel) {
  auto big = std::make_unique<Node>(nullptr, "", "", "QORV_ROOT", kNotSelectable);
  for (int i = 0; i < 100; ++i) {
    const std::string name = "P" + std::to_string(i);
    Node& program = big->Add(name, name, "P", kNotSelectable);
    for (int j = 0; j < 1000; ++j) program.Add("v" + std::to_string(j), name + ".v" + std::to_string(j), "INT", 3);
  }
  dialog_->SetTagTree(big.get());
  // Every top-level row and its placeholder; the 100,000 leaves get rows only when expanded.
  ASSERT_EQ(Run("click P0\nclick P99\nok"), 1);
  EXPECT_EQ(Grid().RowCount(), 1 + 2 * 100);
  const Names names = Selected();
  ASSERT_EQ(names.size(), 2000u);
  EXPECT_EQ(names.front(), u"P0.v0");
  EXPECT_EQ(names.back(), u"P99.v999");
}

TEST(TagPattern, MatchesLikeShellWildcardsWithoutEscapesAndCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*arr*", "MAIN_ARR", true}, {"*a?c*", "xabcx", true},  {"*a?c*", "ac", false},
      {"*[0-2]*", "v1", true},     {"*[!0-2]*", "111", false}, {"*[^a]*", "b", true},
      {"*\\*", "a\\", true},       {"*[*", "x[", true},       {"*]*", "]", true},
      {"a*b*c", "aXbYc", true},    {"a*b*c", "aXbY", false},  {"", "", true},
      {"*", "", true},             {"*[]]*", "]", true},      {"*[a-]*", "-", true},
  };
  for (const auto& c : cases) EXPECT_EQ(DEVICE::detail::MatchPattern(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
  EXPECT_EQ(DEVICE::detail::ScaleFactorFor(143), 1.0);
  EXPECT_EQ(DEVICE::detail::ScaleFactorFor(215), 1.25);
  EXPECT_EQ(DEVICE::detail::ScaleFactorFor(216), 2.0);
  EXPECT_EQ(DEVICE::detail::ScaleFactorFor(335), 2.5);
  EXPECT_EQ(DEVICE::detail::ScaleFactorFor(336), 3.0);
}

}  // namespace
