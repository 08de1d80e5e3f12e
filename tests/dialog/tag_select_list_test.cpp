#include "TagSeletList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "ScriptedSession.h"
#include "support/Numbered.h"
#include "device/Texts.h"
#include "platform/ScriptedDialog.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace {

using DEVICE::CDevSelectTag;
using platform::Rect;
using Scripted = dialog_tests::ScriptedSession;

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
    // Built from the top down without recursion: the deep-tree test nests 20,000 levels.
    std::string GetFullName() const override {
      std::vector<const Node*> path;
      for (const Node* at = this; at->parent; at = at->parent) path.push_back(at);
      std::string full;
      for (auto it = path.rbegin(); it != path.rend(); ++it) {
        if (!full.empty() && !(*it)->IsInArray()) full += '.';
        full += (*it)->name;
      }
      return full;
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

// OK yields a full name once, where it first occurs; names whose bytes differ stay apart even
// when they may read the same as wide text (a lone 0xFF byte of GBK reads as "?" through
// iconv, as a private-use character through Windows).
TEST(TagSelectDialog, RepeatedNamesComeOnceButDifferentBytesStay) {
  Scripted s;
  FakeTree tree;
  auto* d = tree.Add(tree.Root(), "D", -1, "ST_D");
  for (const char* name : {"x", "q?", "x", "q\xff", "q?"}) tree.Add(d, name, 2, "INT");
  CDevSelectTag selector;
  selector.SetTagTree(tree.Root());
  selector.SetSelectTag({});
  s.Run(selector, "click D\nok");
  EXPECT_EQ(Names(selector), (std::vector<std::u16string>{u"D.x", u"D.q?", platform::AnsiToWide("D.q\xff")}));
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
    EXPECT_EQ(std::tie(last.font->face, last.font->height, last.font->weight, last.font->charSet,
                       last.font->pitchAndFamily),
              std::make_tuple(u"宋体", c.fontHeight, 400, 134, 0x22));
    EXPECT_EQ(last.focus, 10001);
    const auto& grid = selector.Dialog().Grid();
    EXPECT_EQ(grid.RowCount(), 1);  // no tree: header only
    EXPECT_EQ((std::vector<int>{grid.ColumnWidth(0), grid.ColumnWidth(1), grid.ColumnWidth(2), grid.ColumnWidth(3)}),
              (std::vector<int>{0, c.nameColumn, c.otherColumns, c.otherColumns}));
    EXPECT_EQ(Names(selector), std::vector<std::u16string>{});
  }
  const std::pair<int, double> factors[] = {{96, 1.0},  {143, 1.0}, {144, 1.25}, {215, 1.25}, {216, 2.0},
                                            {287, 2.0}, {288, 2.5}, {335, 2.5},  {336, 3.0},  {600, 3.0}};
  for (const auto& [ppi, factor] : factors) EXPECT_EQ(DEVICE::detail::ScaleFactorFor(ppi), factor) << ppi;
}

// Forwards to a scripted surface and, after each press of "find next", logs the full name of
// the selected row ("-" when the press selected none) and whether the button was enabled.
class FindLogSurface final : public platform::DialogSurface, public platform::DialogEvents {
 public:
  FindLogSurface(std::unique_ptr<platform::DialogSurface> inner, std::vector<std::string>& log)
      : inner_(std::move(inner)), log_(log) {}
  int RunModal(platform::DialogEvents& events) override {
    outer_ = &events;
    return inner_->RunModal(*this);
  }
  bool OnInitDialog() override { return outer_->OnInitDialog(); }
  bool PreTranslateKeyDown(unsigned key) override { return outer_->PreTranslateKeyDown(key); }
  void OnSize(int cx, int cy) override { outer_->OnSize(cx, cy); }
  void OnCommand(int id) override {
    if (id == 10003 && grid_) grid_->SelectRow(-1);
    outer_->OnCommand(id);
    if (id != 10003 || !grid_) return;
    const int row = grid_->SelectedRow();
    log_.push_back((row < 0 ? "-" : platform::WideToUtf8(grid_->AccessibleName(row))) +
                   (inner_->IsEnabled(10003) ? "" : " (disabled)"));
  }
  void Enable(int id, bool on) override {
    if (id == 10003 && on == inner_->IsEnabled(id)) log_.push_back("enable twice");
    inner_->Enable(id, on);
  }
  void AttachGrid(int id, platform::GridControl* grid) override {
    grid_ = grid;
    inner_->AttachGrid(id, grid);
  }
  void EndDialog(int code) override { inner_->EndDialog(code); }
  bool HasControl(int id) const override { return inner_->HasControl(id); }
  std::u16string GetText(int id) const override { return inner_->GetText(id); }
  void SetText(int id, const std::u16string& t) override { inner_->SetText(id, t); }
  bool IsEnabled(int id) const override { return inner_->IsEnabled(id); }
  void Show(int id, bool v) override { inner_->Show(id, v); }
  int GetCheck(int id) const override { return inner_->GetCheck(id); }
  void SetCheck(int id, int c) override { inner_->SetCheck(id, c); }
  Rect GetRect(int id) const override { return inner_->GetRect(id); }
  void SetRect(int id, const Rect& r) override { inner_->SetRect(id, r); }
  void SetFocus(int id) override { inner_->SetFocus(id); }
  Rect GetWindowRect() const override { return inner_->GetWindowRect(); }
  void SetWindowSize(int w, int h) override { inner_->SetWindowSize(w, h); }
  platform::Size GetClientSize() const override { return inner_->GetClientSize(); }
  void ShowMessageBox(const std::u16string& t, platform::MessageBoxIcon i) override { inner_->ShowMessageBox(t, i); }
  int ScreenPixelsPerInchY() const override { return inner_->ScreenPixelsPerInchY(); }
  void CreateFont(const platform::FontRequest& f) override { inner_->CreateFont(f); }

 private:
  std::unique_ptr<platform::DialogSurface> inner_;
  std::vector<std::string>& log_;
  platform::DialogEvents* outer_ = nullptr;
  platform::GridControl* grid_ = nullptr;
};

class FindLogBackend final : public platform::DialogBackend {
 public:
  explicit FindLogBackend(platform::DialogBackend& inner) : inner_(inner) {}
  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& t) override {
    return std::make_unique<FindLogSurface>(inner_.CreateSurface(t), log);
  }
  int ScreenPixelsPerInchY() const override { return inner_.ScreenPixelsPerInchY(); }
  std::vector<std::string> log;

 private:
  platform::DialogBackend& inner_;
};

// Replaces the tree on success, releasing the old one, and tells the selector.
class FakeImport final : public DEVICE::stCallBack {
 public:
  FakeImport(CDevSelectTag& selector, std::unique_ptr<FakeTree>& tree) : selector_(selector), tree_(tree) {}
  bool Execute() override {
    if (++runs < 2) return false;  // the first import fails
    tree_ = SampleTree();
    tree_->Add(tree_->Root(), "D", 2, "INT");
    selector_.SetTagTree(tree_->Root());
    return true;
  }
  int runs = 0;

 private:
  CDevSelectTag& selector_;
  std::unique_ptr<FakeTree>& tree_;
};

TEST(TagSelectDialog, FindCyclesWrapsRestartsAndSurvivesImport) {
  Scripted s;
  FindLogBackend logging(s.backend);
  platform::SetDialogBackend(&logging);
  auto tree = SampleTree();
  CDevSelectTag selector;
  selector.SetTagTree(tree->Root());
  selector.SetSelectTag({u"C"});
  FakeImport import(selector, tree);
  selector.SetImportCallBack(&import);
  s.Run(selector,
        "find a\nfind A\nfind a\nfind a\nfind a\nfind a\nfind a\n"  // A's leaves, then arr's; none; again
        "find arr\nfind\nfind [xz]\nfind [xz]\nfind q\n"
        "click A\nimport\nrows\nfind a\nfind a\nimport\nfind a\nrows\nok");
  EXPECT_EQ(logging.log,
            (std::vector<std::string>{"A.x", "A.y", "A.bad", "B.arr[0]", "B.arr[1]", "-", "A.x", "B.arr[0]", "-",
                                      "A.x", "B.z", "-", "A.x", "A.y", "A.x"}));
  EXPECT_EQ(import.runs, 2);
  // A failed import keeps the view and its checks; a successful one shows the new tree with the
  // checks of the names given at open.
  ASSERT_GE(s.out.size(), 6u);
  EXPECT_EQ(s.out[0], "1\t0\t2\t0x0400\tA\tST_A\tstruct a");
  EXPECT_EQ(s.out.back(), "10\t0\t0\t0x0008\tD\tINT\t");
  EXPECT_EQ(s.out[s.out.size() - 3], "7\t0\t1\t0x0008\tC\tBOOL\t");  // the new search expanded A
  EXPECT_EQ(Names(selector), std::vector<std::u16string>{u"C"});
}

// 1 + 1000 + 999,000 nodes, and a chain 20,000 deep: opening, checking everything and OK.
TEST(TagSelectDialog, BigAndDeepTrees) {
  Scripted s;
  FakeTree big;
  auto* top = big.Add(big.Root(), "Big", -1);
  for (int i = 0; i < 1000; ++i) {
    auto* mid = big.Add(top, Numbered("m", i), -1);
    for (int j = 0; j < 999; ++j) big.Add(mid, Numbered("v", j), 2);
  }
  CDevSelectTag selector;
  selector.SetTagTree(big.Root());
  const auto start = std::chrono::steady_clock::now();
  s.Run(selector, "click Big\nok");
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("1,000,000 nodes: open, check all, OK in %.2f s\n", seconds);
  const auto names = Names(selector);
  ASSERT_EQ(names.size(), 999000u);
  EXPECT_EQ(names.front(), u"Big.m0.v0");
  EXPECT_EQ(names.back(), u"Big.m999.v998");

  FakeTree deep;
  FakeTree::Node* at = deep.Root();
  for (int i = 0; i < 20000; ++i) at = deep.Add(at, "d", -1);
  at->dataType = 2;
  CDevSelectTag chain;
  chain.SetTagTree(deep.Root());
  s.Run(chain, "click d\nok");
  EXPECT_EQ(Names(chain).size(), 1u);
}

TEST(TagPattern, MatchesLikeShellWildcardsWithoutEscapesAndCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*arr*", "MAIN_ARR", true}, {"*a?c*", "xabcx", true},   {"*a?c*", "ac", false},
      {"*[0-2]*", "v1", true},     {"*[!0-2]*", "111", false}, {"*[^a]*", "b", true},
      {"*\\*", "a\\", true},       {"*[*", "x[", true},        {"*]*", "]", true},
      {"a*b*c", "aXbYc", true},    {"a*b*c", "aXbY", false},   {"", "", true},
      {"*", "", true},             {"*[]]*", "]", true},       {"*[a-]*", "-", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DEVICE::detail::MatchPattern(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

TEST(TagSelectTrace, EveryTracedOperationWritesBeginAndEndLines) {
  Scripted s;
  std::vector<std::string> trace;
  platform::SetDebugSink([&trace](const std::string& line) { trace.push_back(line); });
  s.backend.AddScript("size 800 600\nfind x\nok");
  DEVICE::CTagSeletList dialog;
  dialog.DoModal();
  platform::SetDebugSink(nullptr);

  const std::regex format(
      R"re(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]\[src\\TagSeletList\]\[DEVICE::CTagSeletList::\w+\]\[\d+\] "(begin|end)"\n)re");
  ASSERT_FALSE(trace.empty());
  for (const auto& line : trace) EXPECT_TRUE(std::regex_match(line, format)) << line;
  EXPECT_NE(trace.front().find("::OnInitDialog]"), std::string::npos);
  EXPECT_NE(trace.front().find("\"begin\""), std::string::npos);
  size_t begins = 0;
  for (const auto& line : trace) begins += line.find("\"begin\"") != std::string::npos;
  EXPECT_EQ(2 * begins, trace.size());  // every entry line has its return line
}

}  // namespace
