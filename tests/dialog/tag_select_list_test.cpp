#include "TagSeletList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "ScriptedSession.h"
#include "support/FakeTagTree.h"
#include "support/Numbered.h"
#include "device/Texts.h"
#include "ui/ScriptedDialog.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace {

using DEVICE::CDevSelectTag;
using platform::Rect;
using Scripted = dialog_tests::ScriptedSession;
using FakeTree = testing_support::FakeTagTree;
using testing_support::SampleTree;

// A dialog over the sample tree, run by script lines.
class TagSelectDialog : public testing::Test {
 protected:
  TagSelectDialog() { selector.SetTagTree(tree->Root()); }

  std::vector<std::string> Run(const std::string& script, bool expectOk = true) {
    return s.Run(selector, script, expectOk);
  }
  std::vector<std::u16string> Names() {
    std::vector<std::u16string> names;
    selector.GetSelectTag(names);
    return names;
  }
  // The names OK yields after `script`, starting from the names `initial`.
  std::vector<std::u16string> Pick(const std::vector<std::u16string>& initial, const std::string& script) {
    selector.SetSelectTag(initial);
    Run(script);
    return Names();
  }
  const grid::CTreeGridCtrl& Grid() const { return selector.Dialog().Grid(); }

  Scripted s;
  std::unique_ptr<FakeTree> tree = SampleTree();
  CDevSelectTag selector;
};

TEST_F(TagSelectDialog, RowsAreCreatedWhenTheirParentIsFirstExpanded) {
  const auto out = Run("rows\nexpand A\ndblclick B\nexpand B.arr\nrows\ncollapse A\nexpand A\ndblclick B\nrows\nok");
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
  EXPECT_EQ(Grid().RowCount(), 13);  // header, 11 rows, N's placeholder
  EXPECT_TRUE(Grid().IsRowHidden(12));
  EXPECT_EQ(Grid().CellText(12, 1), u"QORV Default item");
}

TEST_F(TagSelectDialog, RowsWithNothingSelectableAreGrey) {
  Run("expand A\nok");
  const std::pair<int, uint32_t> colours[] = {{4, 0x7F7F7F}, {8, 0x7F7F7F}, {2, 0}};  // bad, N, x
  for (const auto& [row, colour] : colours) EXPECT_EQ(Grid().CellTextColour(row, 1), colour) << row;
}

// A given name checks its row and partly checks the rows above, expanded or not; cancel keeps
// the names.
TEST_F(TagSelectDialog, NamesGivenCheckTheirRowsAndCancelKeepsThem) {
  const std::vector<std::u16string> initial = {u"C", u"missing.tag", u"B.arr[0]", u"A.x"};
  selector.SetSelectTag(initial);
  EXPECT_EQ(Run("rows\nexpand A\nexpand B.arr\nrows\ncancel", false),
            (std::vector<std::string>{
                "1\t0\t2\t0x0800\tA\tST_A\tstruct a", "3\t0\t2\t0x0800\tB\tST_B\t", "5\t0\t1\t0x0008\tC\tBOOL\t",
                "6\t0\t0\t0x0800\tN\tST_N\t",  // at open
                "1\t0\t2\t0x0400\tA\tST_A\tstruct a", "2\t1\t1\t0x0008\tx\tINT\tthe x", "3\t1\t0\t0x0008\ty\tINT\t",
                "4\t1\t0\t0x2008\tbad\t\t", "5\t0\t2\t0x0400\tB\tST_B\t", "6\t1\t2\t0x0400\tarr\tARRAY [0..1] OF INT\t",
                "7\t2\t1\t0x0008\tarr[0]\tINT\t", "8\t2\t0\t0x0008\tarr[1]\tINT\t", "9\t1\t0\t0x0008\tz\tBOOL\t",
                "10\t0\t1\t0x0008\tC\tBOOL\t", "11\t0\t0\t0x0800\tN\tST_N\t"}));
  EXPECT_EQ(Names(), initial);
}

// Checks travel down and up; unexpanded checked rows yield every selectable leaf below; a leaf
// reachable from two checked rows comes once, where it first occurs; names given at open that
// name no row are dropped.
TEST_F(TagSelectDialog, OkYieldsTheCheckedSelectableLeavesInRowOrder) {
  const struct {
    std::vector<std::u16string> initial;
    const char* script;
    std::vector<std::u16string> names;
  } cases[] = {
      {{u"C", u"missing.tag", u"B.arr[0]", u"A.x"}, "ok", {u"A.x", u"B.arr[0]", u"C"}},
      {{}, "click A\nok", {u"A.x", u"A.y"}},
      {{}, "click N\nclick B\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {{}, "click B\nexpand B.arr\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {{}, "click B.z\nok", {u"B.z"}},
      {{}, "click B.z\nclick B.arr\nrows\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {{}, "expand A\nclick A\nok", {u"A.x", u"A.y"}},
      {{}, "expand A\nclick A\nclick A\nok", {}},
      {{}, "click A.y\nclick C\nok", {u"A.y", u"C"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Pick(c.initial, c.script), c.names) << c.script;
  EXPECT_EQ(Grid().RowCheck(1), 2);  // A: two of three checked, bad disabled
}

TEST_F(TagSelectDialog, MoreNamesThanTheLimitKeepTheDialogOpen) {
  selector.SetMaxSelectCount(1);
  const auto out = Run("click A\nok\nclick A\nclick C\nok");
  ASSERT_EQ(s.ui.messages().size(), 1u);
  EXPECT_EQ(s.ui.messages()[0].text, platform::AnsiToWide(texts::kTooManyTags));
  EXPECT_EQ(s.ui.messages()[0].icon, platform::MessageBoxIcon::Stop);
  EXPECT_EQ(out, std::vector<std::string>{"MESSAGE\t" + platform::WideToUtf8(s.ui.messages()[0].text)});
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"C"});
}

TEST_F(TagSelectDialog, EnterAndEscapeDoNothing) {
  EXPECT_EQ(Pick({}, "key enter\nkey escape\nclick C\nok"), std::vector<std::u16string>{u"C"});
  EXPECT_EQ(s.backend.LastSurface().endCode, 1);
}

TEST_F(TagSelectDialog, TheHiddenKeepCheckShowsTheDiscardFlagInverted) {
  Run("ok");
  EXPECT_FALSE(s.backend.LastSurface().controls.at(1008).visible);
  EXPECT_EQ(s.backend.LastSurface().controls.at(1008).check, 1);
  selector.SetDiscardUnselected(true);
  Run("ok");
  EXPECT_EQ(s.backend.LastSurface().controls.at(1008).check, 0);
}

TEST(TagSelectLayout, SizesFontAndColumnsFollowTheScreenResolution) {
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
  }
}

TEST(TagSelectLayout, ScaleFactorStepsWithThePixelsPerInch) {
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
  void AttachGrid(int id, grid::GridView* grid) override {
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
  grid::GridView* grid_ = nullptr;
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

// The full name each press of "find next" selects ("-": none).
class TagSelectFind : public TagSelectDialog {
 protected:
  TagSelectFind() { platform::SetDialogBackend(&logging); }
  std::vector<std::string> Find(const std::string& script) {
    logging.log.clear();
    Run(script + "\nok");
    return logging.log;
  }
  FindLogBackend logging{s.backend};
};

TEST_F(TagSelectFind, PressesCycleThroughTheLeavesOfMatchesThenShowNoneThenWrap) {
  EXPECT_EQ(Find("find a\nfind A\nfind a\nfind a\nfind a\nfind a\nfind a"),
            (std::vector<std::string>{"A.x", "A.y", "A.bad", "B.arr[0]", "B.arr[1]", "-", "A.x"}));
}

TEST_F(TagSelectFind, OtherTextStartsANewSearch) {
  EXPECT_EQ(Find("find a\nfind arr\nfind\nfind [xz]\nfind [xz]\nfind q"),
            (std::vector<std::string>{"A.x", "B.arr[0]", "-", "A.x", "B.z", "-"}));
}

TEST_F(TagSelectFind, AnImportRebuildsTheViewWithTheChecksGivenAtOpen) {
  selector.SetSelectTag({u"C"});
  FakeImport import(selector, tree);
  selector.SetImportCallBack(&import);
  EXPECT_EQ(Find("find a\nclick A\nimport\nrows\nfind a\nfind a\nimport\nfind a\nrows"),
            (std::vector<std::string>{"A.x", "A.y", "A.bad", "A.x"}));
  EXPECT_EQ(import.runs, 2);
  // The failed import keeps the view and its checks; the successful one shows the new tree.
  ASSERT_GE(s.out.size(), 6u);
  EXPECT_EQ(s.out[0], "1\t0\t2\t0x0400\tA\tST_A\tstruct a");
  EXPECT_EQ(s.out.back(), "10\t0\t0\t0x0008\tD\tINT\t");
  EXPECT_EQ(s.out[s.out.size() - 3], "7\t0\t1\t0x0008\tC\tBOOL\t");  // the new search expanded A
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"C"});
}

// 1 + 1000 + 999,000 nodes: opening, checking everything and OK.
// The trees are the fixture's, so that they outlive the selector.
TEST_F(TagSelectDialog, AMillionNodesOpenCheckAndConfirm) {
  tree = std::make_unique<FakeTree>();
  FakeTree& big = *tree;
  auto* top = big.Add(big.Root(), "Big", -1);
  for (int i = 0; i < 1000; ++i) {
    auto* mid = big.Add(top, Numbered("m", i), -1);
    for (int j = 0; j < 999; ++j) big.Add(mid, Numbered("v", j), 2);
  }
  selector.SetTagTree(big.Root());
  const auto start = std::chrono::steady_clock::now();
  Run("click Big\nok");
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("1,000,000 nodes: open, check all, OK in %.2f s\n", seconds);
  const auto names = Names();
  ASSERT_EQ(names.size(), 999000u);
  EXPECT_EQ(names.front(), u"Big.m0.v0");
  EXPECT_EQ(names.back(), u"Big.m999.v998");
}

TEST_F(TagSelectDialog, AChain20000DeepOpensAndYieldsItsLeaf) {
  tree = std::make_unique<FakeTree>();
  FakeTree& deep = *tree;
  FakeTree::Node* at = deep.Root();
  for (int i = 0; i < 20000; ++i) at = deep.Add(at, "d", -1);
  at->dataType = 2;
  selector.SetTagTree(deep.Root());
  Run("click d\nok");
  EXPECT_EQ(Names().size(), 1u);
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

// The walks on OK and on find next go on below a node as calls of their own, each traced, and
// the trace nests as the calls do. A checked row's walk covers its child rows, which are still
// walked (and traced) when their turn comes.
TEST_F(TagSelectDialog, TheTraceHasABeginAndEndPairPerCallOfTheSelectionWalks) {
  std::vector<std::string> open;
  std::map<std::string, int> calls;
  platform::SetDebugSink([&](const std::string& line) {
    const size_t at = line.find("::CTagSeletList::") + 17;
    const std::string name = line.substr(at, line.find(']', at) - at);
    if (line.find("\"begin\"") != std::string::npos) {
      open.push_back(name);
      ++calls[name];
    } else {
      EXPECT_EQ(open.empty() ? "" : open.back(), name) << line;
      if (!open.empty()) open.pop_back();
    }
  });
  EXPECT_EQ(Pick({}, "click B\nexpand B.arr\nfind z\nok"),
            (std::vector<std::u16string>{u"B.arr[0]", u"B.arr[1]", u"B.z"}));
  platform::SetDebugSink(nullptr);
  EXPECT_TRUE(open.empty());
  EXPECT_EQ(calls["_GetSelectTag"], 1);
  EXPECT_EQ(calls["_GetSelectSubNode"], 3);  // row B: B and B.arr; row B.arr: B.arr
  EXPECT_EQ(calls["_SetSelectSubNode"], 2);  // the top rows, then the rows below B
}

}  // namespace
