#include "TagSeletList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "device/Texts.h"
#include "platform/ScriptedDialog.h"
#include "platform/Text.h"

namespace {

using DEVICE::CDevSelectTag;
using platform::Rect;

// A tag tree held in a deque so that node addresses stay put; -1 marks an unselectable label.
class FakeTree final {
 public:
  struct Node final : DEVICE::ITree, DEVICE::ILabel {
    FakeTree* owner = nullptr;
    Node* parent = nullptr;
    std::vector<Node*> children;
    std::string name, type, comment;
    int32_t dataType = -1;
    bool labelled = true;

    DEVICE::ILabel* GetLabel() override { return labelled ? this : nullptr; }
    DEVICE::ITree* GetParent() override { return parent; }
    uint32_t GetChildCount() const override { return static_cast<uint32_t>(children.size()); }
    DEVICE::ITree* GetChild(uint32_t i) override { return i < children.size() ? children[i] : nullptr; }
    DEVICE::ITree* Find(const std::string& fullName) override { return owner->Find(fullName); }
    std::string GetName() const override { return name; }
    std::string GetComment() const override { return comment; }
    int32_t GetDataType() const override { return dataType; }
    std::string GetPathName() const override { return GetFullName(); }
    std::string GetLongName() const override { return GetFullName(); }
    bool IsInArray() const override { return !name.empty() && name[0] == '['; }
    std::string GetFullName() const override {
      if (!parent || !parent->parent) return name;
      return parent->GetFullName() + (IsInArray() ? "" : ".") + name;
    }
    std::string GetTypeName() const override { return type; }
  };

  FakeTree() { root_.owner = this; }
  Node* Root() { return &root_; }
  Node* Add(Node* parent, std::string name, int32_t dataType, std::string type = "T", std::string comment = "") {
    Node& node = nodes_.emplace_back();
    node.owner = this;
    node.parent = parent;
    node.name = std::move(name);
    node.dataType = dataType;
    node.type = std::move(type);
    node.comment = std::move(comment);
    parent->children.push_back(&node);
    index_.clear();
    return &node;
  }
  DEVICE::ITree* Find(const std::string& fullName) {
    if (index_.empty())
      for (auto& node : nodes_) index_.emplace(node.GetFullName(), &node);
    auto found = index_.find(fullName);
    return found == index_.end() ? nullptr : found->second;
  }

 private:
  Node root_;
  std::deque<Node> nodes_;
  std::unordered_map<std::string, Node*> index_;
};

// A: x, y, bad(-1) | B: arr[0], arr[1], z | C | N: n1(-1) | a node without label
std::unique_ptr<FakeTree> SampleTree() {
  auto tree = std::make_unique<FakeTree>();
  auto* a = tree->Add(tree->Root(), "A", -1, "ST_A", "struct a");
  tree->Add(a, "x", 2, "INT", "the x");
  tree->Add(a, "y", 2, "INT");
  tree->Add(a, "bad", -1, "");
  auto* b = tree->Add(tree->Root(), "B", -1, "ST_B");
  auto* arr = tree->Add(b, "arr", -1, "ARRAY [0..1] OF INT");
  tree->Add(arr, "[0]", 2, "INT");
  tree->Add(arr, "[1]", 2, "INT");
  tree->Add(b, "z", 0, "BOOL");
  tree->Add(tree->Root(), "C", 0, "BOOL");
  auto* n = tree->Add(tree->Root(), "N", -1, "ST_N");
  tree->Add(n, "n1", -1, "");
  tree->Add(tree->Root(), "hidden", 0)->labelled = false;
  return tree;
}

// The scripted backend installed for one test; a message box is printed as the host does it.
class PrintingUi final : public platform::ScriptedUserInterface {
 public:
  explicit PrintingUi(std::vector<std::string>& out) : out_(out) {}
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override {
    ScriptedUserInterface::ShowMessageBox(text, icon);
    out_.push_back("MESSAGE\t" + platform::WideToUtf8(text));
  }

 private:
  std::vector<std::string>& out_;
};

struct Scripted {
  std::vector<std::string> out;
  PrintingUi ui{out};
  platform::ScriptedDialogBackend backend{ui, [this](const std::string& line) { out.push_back(line); }};
  explicit Scripted(int ppi = 96) {
    backend.SetScreenPixelsPerInchY(ppi);
    platform::SetDialogBackend(&backend);
    platform::SetUserInterface(&ui);
  }
  ~Scripted() {
    platform::SetDialogBackend(nullptr);
    platform::SetUserInterface(nullptr);
  }
  std::vector<std::string> Run(CDevSelectTag& selector, const std::string& script, bool expectOk = true) {
    out.clear();
    backend.AddScript(script);
    EXPECT_EQ(selector.DoModal(), expectOk);
    return out;
  }
};

std::vector<std::u16string> Names(CDevSelectTag& selector) {
  std::vector<std::u16string> names;
  selector.GetSelectTag(names);
  return names;
}

TEST(TagSelectDialog, LazyRowsGreyRowsAndExpansion) {
  Scripted s;
  auto tree = SampleTree();
  CDevSelectTag selector;
  selector.SetTagTree(tree->Root());
  auto out = s.Run(selector, "rows\nexpand A\ndblclick B\nexpand B.arr\nrows\ncollapse A\nexpand A\ndblclick B\nrows\nok");
  const std::vector<std::string> expected = {
      // at open: one row per labelled top-level node, placeholders hidden
      "1\t0\t0\t0x0800\tA\tST_A\tstruct a", "3\t0\t0\t0x0800\tB\tST_B\t", "5\t0\t0\t0x0008\tC\tBOOL\t",
      "6\t0\t0\t0x0800\tN\tST_N\t",
      // A, B and B.arr expanded: placeholders replaced by the children, array elements as arr[i]
      "1\t0\t0\t0x0400\tA\tST_A\tstruct a", "2\t1\t0\t0x0008\tx\tINT\tthe x", "3\t1\t0\t0x0008\ty\tINT\t",
      "4\t1\t0\t0x2008\tbad\t\t", "5\t0\t0\t0x0400\tB\tST_B\t", "6\t1\t0\t0x0400\tarr\tARRAY [0..1] OF INT\t",
      "7\t2\t0\t0x0008\tarr[0]\tINT\t", "8\t2\t0\t0x0008\tarr[1]\tINT\t", "9\t1\t0\t0x0008\tz\tBOOL\t",
      "10\t0\t0\t0x0008\tC\tBOOL\t", "11\t0\t0\t0x0800\tN\tST_N\t",
      // expanding again adds nothing; a double-click collapses an expanded row
      "1\t0\t0\t0x0400\tA\tST_A\tstruct a", "2\t1\t0\t0x0008\tx\tINT\tthe x", "3\t1\t0\t0x0008\ty\tINT\t",
      "4\t1\t0\t0x2008\tbad\t\t", "5\t0\t0\t0x0800\tB\tST_B\t", "10\t0\t0\t0x0008\tC\tBOOL\t",
      "11\t0\t0\t0x0800\tN\tST_N\t"};
  EXPECT_EQ(out, expected);
  const auto& grid = selector.Dialog().Grid();
  EXPECT_EQ(grid.RowCount(), 13);  // header, 11 rows, N's placeholder
  EXPECT_EQ(grid.CellTextColour(4, 1), 0x7F7F7Fu);   // bad
  EXPECT_EQ(grid.CellTextColour(11, 1), 0x7F7F7Fu);  // N: nothing selectable below
  EXPECT_EQ(grid.CellTextColour(2, 1), 0u);
  EXPECT_TRUE(grid.IsRowHidden(12));
  EXPECT_EQ(grid.CellText(12, 1), u"QORV Default item");
}

TEST(TagSelectDialog, InitialChecksAndSelectionOnOk) {
  Scripted s;
  auto tree = SampleTree();
  CDevSelectTag selector;
  selector.SetTagTree(tree->Root());
  const std::vector<std::u16string> initial = {u"C", u"missing.tag", u"B.arr[0]", u"A.x"};
  selector.SetSelectTag(initial);
  // Cancel keeps the names given; OK at once yields the existing ones in row order.
  auto out = s.Run(selector, "rows\ncancel", false);
  EXPECT_EQ(out, (std::vector<std::string>{"1\t0\t2\t0x0800\tA\tST_A\tstruct a", "3\t0\t2\t0x0800\tB\tST_B\t",
                                           "5\t0\t1\t0x0008\tC\tBOOL\t", "6\t0\t0\t0x0800\tN\tST_N\t"}));
  EXPECT_EQ(Names(selector), initial);
  s.Run(selector, "ok");
  EXPECT_EQ(Names(selector), (std::vector<std::u16string>{u"A.x", u"B.arr[0]", u"C"}));

  // Children of partly checked rows keep their own checks; a disabled row stays cleared.
  selector.SetSelectTag({u"A.x", u"B.arr[0]"});
  out = s.Run(selector, "expand A\nexpand B.arr\nrows\ncancel", false);
  EXPECT_EQ(out[1], "2\t1\t1\t0x0008\tx\tINT\tthe x");
  EXPECT_EQ(out[2], "3\t1\t0\t0x0008\ty\tINT\t");
  EXPECT_EQ(out[3], "4\t1\t0\t0x2008\tbad\t\t");
  EXPECT_EQ(out[5], "6\t1\t2\t0x0400\tarr\tARRAY [0..1] OF INT\t");
  EXPECT_EQ(out[6], "7\t2\t1\t0x0008\tarr[0]\tINT\t");
  EXPECT_EQ(out[7], "8\t2\t0\t0x0008\tarr[1]\tINT\t");

  // Checks travel down and up; unexpanded checked rows yield every selectable leaf below;
  // a leaf reachable from two checked rows comes once, where it first occurs.
  const struct {
    const char* script;
    std::vector<std::u16string> names;
  } cases[] = {
      {"click A\nok", {u"A.x", u"A.y"}},
      {"click N\nclick B\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {"click B\nexpand B.arr\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {"click B.z\nok", {u"B.z"}},
      {"click B.z\nclick B.arr\nrows\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {"expand A\nclick A\nok", {u"A.x", u"A.y"}},
      {"expand A\nclick A\nclick A\nok", {}},
      {"click A.y\nclick C\nok", {u"A.y", u"C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    selector.SetSelectTag({});
    s.Run(selector, c.script);
    EXPECT_EQ(Names(selector), c.names);
  }
  const auto& grid = selector.Dialog().Grid();
  EXPECT_EQ(grid.RowCheck(1), 2);  // A: two of three checked, bad disabled
}

TEST(TagSelectDialog, SelectionLimitKeysAndKeepCheck) {
  Scripted s;
  auto tree = SampleTree();
  CDevSelectTag selector;
  selector.SetTagTree(tree->Root());
  selector.SetMaxSelectCount(1);
  auto out = s.Run(selector, "click A\nok\nkey enter\nkey escape\nclick A\nclick C\nok");
  ASSERT_EQ(s.ui.messages().size(), 1u);
  EXPECT_EQ(s.ui.messages()[0].text, platform::AnsiToWide(texts::kTooManyTags));
  EXPECT_EQ(s.ui.messages()[0].icon, platform::MessageBoxIcon::Stop);
  EXPECT_EQ(out, std::vector<std::string>{"MESSAGE\t" + platform::WideToUtf8(s.ui.messages()[0].text)});
  EXPECT_EQ(Names(selector), std::vector<std::u16string>{u"C"});

  const auto& last = s.backend.LastSurface();
  EXPECT_EQ(last.endCode, 1);
  EXPECT_FALSE(last.controls.at(1008).visible);
  EXPECT_EQ(last.controls.at(1008).check, 1);
  EXPECT_FALSE(selector.GetDiscardUnselected());
  selector.SetDiscardUnselected(true);
  s.Run(selector, "key enter\nok");
  EXPECT_EQ(s.backend.LastSurface().controls.at(1008).check, 0);
  EXPECT_TRUE(selector.GetDiscardUnselected());
}

TEST(TagSelectDialog, LayoutFontAndScaleFactor) {
  const struct {
    int ppi;
    int fontHeight, nameColumn, otherColumns, windowCx, windowCy;
    std::map<int, Rect> rects;
  } cases[] = {
      {96, -13, 392, 75, 600, 450,
       {{3, {8, 8, 83, 32}}, {10001, {195, 8, 708, 32}}, {10003, {716, 8, 791, 32}}, {10002, {8, 40, 792, 560}},
        {2, {717, 568, 792, 592}}, {1, {634, 568, 709, 592}}, {1008, {8, 568, 308, 592}}}},
      {144, -16, 612, 93, 750, 562,
       {{3, {10, 10, 103, 40}}, {10001, {242, 10, 686, 40}}, {10003, {696, 10, 789, 40}}, {10002, {10, 50, 790, 550}},
        {2, {697, 560, 790, 590}}, {1, {594, 560, 687, 590}}, {1008, {10, 560, 382, 590}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ppi);
    Scripted s(c.ppi);
    CDevSelectTag selector;
    s.Run(selector, "cancel", false);
    const auto& at = s.backend.LastSurface();
    EXPECT_EQ(at.window.Width(), c.windowCx);
    EXPECT_EQ(at.window.Height(), c.windowCy);
    s.Run(selector, "size 800 600\nok");
    const auto& last = s.backend.LastSurface();
    for (const auto& [id, rect] : c.rects) EXPECT_EQ(last.controls.at(id).rect, rect) << id;
    ASSERT_TRUE(last.font.has_value());
    EXPECT_EQ(last.font->face, u"宋体");
    EXPECT_EQ(last.font->height, c.fontHeight);
    EXPECT_EQ(last.font->weight, 400);
    EXPECT_EQ(last.font->charSet, 134);
    EXPECT_EQ(last.font->pitchAndFamily, 0x22);
    EXPECT_EQ(last.focus, 10001);
    const auto& grid = selector.Dialog().Grid();
    EXPECT_EQ(grid.RowCount(), 1);  // no tree: header only
    EXPECT_EQ(grid.ColumnWidth(0), 0);
    EXPECT_EQ(grid.ColumnWidth(1), c.nameColumn);
    EXPECT_EQ(grid.ColumnWidth(2), c.otherColumns);
    EXPECT_EQ(grid.ColumnWidth(3), c.otherColumns);
    EXPECT_EQ(Names(selector), std::vector<std::u16string>{});
  }
  const std::pair<int, double> factors[] = {{96, 1.0},  {143, 1.0}, {144, 1.25}, {215, 1.25}, {216, 2.0},
                                            {287, 2.0}, {288, 2.5}, {335, 2.5},  {336, 3.0},  {600, 3.0}};
  for (const auto& [ppi, factor] : factors) EXPECT_EQ(DEVICE::detail::ScaleFactorFor(ppi), factor) << ppi;
}

}  // namespace
