#include "TagSeletList.h"

#include <gtest/gtest.h>

#include <functional>
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
  const grid::CTreeGridCtrl& Grid() const { return selector.Dialog().Grid(); }
  // Runs `script` handing each trace line to `onTrace` as it is written.
  void RunTraced(const std::string& script, const std::function<void(const std::string&)>& onTrace) {
    platform::SetDebugSink(onTrace);
    Run(script);
    platform::SetDebugSink(nullptr);
  }
  // The operation a trace line names, and whether it is the line of its entry.
  static std::string Op(const std::string& line) {
    const size_t at = line.find("::CTagSeletList::") + 17;
    return line.substr(at, line.find(']', at) - at);
  }
  static bool Begins(const std::string& line) { return line.find("\"begin\"") != std::string::npos; }

  Scripted s;
  std::unique_ptr<FakeTree> tree = SampleTree();
  CDevSelectTag selector;
};

// Placeholders stay hidden; array elements read arr[i]; expanding again adds nothing and a
// double-click collapses an expanded row.
TEST_F(TagSelectDialog, RowsAreCreatedWhenTheirParentIsFirstExpanded) {
  EXPECT_EQ(Run("expand A\ndblclick B\nexpand B.arr\nrows\ncollapse A\nexpand A\ndblclick B\nok"),
            (std::vector<std::string>{
                "1\t0\t0\t0x0400\tA\tST_A\tstruct a", "2\t1\t0\t0x0008\tx\tINT\tthe x", "3\t1\t0\t0x0008\ty\tINT\t",
                "4\t1\t0\t0x2008\tbad\t\t", "5\t0\t0\t0x0400\tB\tST_B\t", "6\t1\t0\t0x0400\tarr\tARRAY [0..1] OF INT\t",
                "7\t2\t0\t0x0008\tarr[0]\tINT\t", "8\t2\t0\t0x0008\tarr[1]\tINT\t", "9\t1\t0\t0x0008\tz\tBOOL\t",
                "10\t0\t0\t0x0008\tC\tBOOL\t", "11\t0\t0\t0x0800\tN\tST_N\t"}));
  EXPECT_EQ(Grid().RowCount(), 13);  // header, 11 rows, N's placeholder
  EXPECT_TRUE(Grid().IsRowHidden(6) && !Grid().IsRowHidden(4) && Grid().IsRowHidden(12));
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
  std::vector<int> checks;
  for (const auto& row : Run("rows\nexpand A\nexpand B.arr\nrows\ncancel", false))
    checks.push_back(row[row.find('\t', row.find('\t') + 1) + 1] - '0');  // the third column
  EXPECT_EQ(checks, (std::vector<int>{2, 2, 1, 0, /* expanded: */ 2, 1, 0, 0, 2, 2, 1, 0, 0, 1, 0}));
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
      {{u"C", u"missing.tag", u"A.x"}, "ok", {u"A.x", u"C"}},
      {{}, "click A\nok", {u"A.x", u"A.y"}},
      {{}, "click N\nclick B\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {{}, "click B\nexpand B.arr\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {{}, "click B.z\nclick B.arr\nrows\nok", {u"B.arr[0]", u"B.arr[1]", u"B.z"}},
      {{}, "expand A\nclick A\nok", {u"A.x", u"A.y"}},
  };
  for (const auto& c : cases) {
    selector.SetSelectTag(c.initial);
    Run(c.script);
    EXPECT_EQ(Names(), c.names) << c.script;
  }
}

TEST_F(TagSelectDialog, MoreNamesThanTheLimitKeepTheDialogOpen) {
  selector.SetMaxSelectCount(1);
  EXPECT_TRUE(Run("click A\nok\nclick A\nclick C\nok").empty());
  ASSERT_EQ(s.ui.messages().size(), 1u);
  EXPECT_EQ(std::tie(s.ui.messages()[0].text, s.ui.messages()[0].icon),
            std::make_tuple(platform::AnsiToWide(texts::kTooManyTags), platform::MessageBoxIcon::Stop));
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"C"});
}

TEST_F(TagSelectDialog, TheHiddenKeepCheckShowsTheDiscardFlagInverted) {
  for (bool discard : {false, true}) {
    selector.SetDiscardUnselected(discard);
    Run("ok");
    EXPECT_EQ(std::make_pair(s.backend.LastSurface().controls.at(1008).visible, s.backend.LastSurface().controls.at(1008).check),
              std::make_pair(false, discard ? 0 : 1));
  }
}

// At 144 pixels per inch (factor 1.25); other resolutions take the same arithmetic.
TEST(TagSelectLayout, SizesFontAndColumnsFollowTheScreenResolution) {
  Scripted s(144);
  CDevSelectTag selector;
  s.Run(selector, "cancel", false);
  EXPECT_EQ(std::make_pair(s.backend.LastSurface().window.Width(), s.backend.LastSurface().window.Height()),
            std::make_pair(750, 562));
  s.Run(selector, "size 800 600\nfind x\nok");  // a search without a tree finds nothing
  const auto& last = s.backend.LastSurface();
  const std::map<int, Rect> rects = {{3, {10, 10, 103, 40}},     {10001, {242, 10, 686, 40}}, {10003, {696, 10, 789, 40}},
                                     {10002, {10, 50, 790, 550}}, {2, {697, 560, 790, 590}},   {1, {594, 560, 687, 590}},
                                     {1008, {10, 560, 382, 590}}};
  for (const auto& [id, rect] : rects) EXPECT_EQ(last.controls.at(id).rect, rect) << id;
  ASSERT_TRUE(last.font.has_value());
  EXPECT_EQ(std::tie(last.font->face, last.font->height, last.font->weight, last.font->charSet, last.font->pitchAndFamily),
            std::make_tuple(u"宋体", -16, 400, 134, 0x22));
  EXPECT_EQ(last.focus, 10001);
  const auto& grid = selector.Dialog().Grid();
  EXPECT_EQ(grid.RowCount(), 1);  // no tree: header only
  EXPECT_EQ((std::vector<int>{grid.ColumnWidth(0), grid.ColumnWidth(1), grid.ColumnWidth(2), grid.ColumnWidth(3)}),
            (std::vector<int>{0, 612, 93, 93}));
}

TEST(TagSelectLayout, ScaleFactorStepsWithThePixelsPerInch) {
  const std::pair<int, double> factors[] = {{143, 1.0}, {144, 1.25}, {216, 2.0}, {288, 2.5}, {336, 3.0}};
  for (const auto& [ppi, factor] : factors) EXPECT_EQ(DEVICE::detail::ScaleFactorFor(ppi), factor) << ppi;
}

// Hands the scripted surfaces out as they are, keeping a view of the last one to look at it
// while its dialog runs.
struct SurfaceView final : platform::DialogBackend {
  explicit SurfaceView(platform::DialogBackend& inner) : inner(inner) { platform::SetDialogBackend(this); }
  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& dialogTemplate) override {
    auto created = inner.CreateSurface(dialogTemplate);
    surface = created.get();
    return created;
  }
  int ScreenPixelsPerInchY() const override { return inner.ScreenPixelsPerInchY(); }
  platform::DialogBackend& inner;
  platform::DialogSurface* surface = nullptr;
};

// The full name each press of "find next" selects ("-": none), read off the trace, marked when
// the button was enabled during the search or stays disabled after it. As the import command
// the fixture fails first, then replaces the tree (releasing the old one).
class TagSelectFind : public TagSelectDialog, public DEVICE::stCallBack {
 protected:
  bool Execute() override {
    if (++imports < 2) return false;
    tree = SampleTree();
    tree->Add(tree->Root(), "D", 2, "INT");
    selector.SetTagTree(tree->Root());
    return true;
  }
  std::vector<std::string> Find(const std::string& script) {
    std::vector<std::string> log;
    bool finding = false;
    RunTraced(script + "\nok", [&](const std::string& line) {
      const bool enabled = view.surface && view.surface->IsEnabled(DEVICE::CTagSeletList::kFindButton);
      if (Op(line) == "_FindString") finding = Begins(line);
      if (Op(line) == "_FindString" && finding) log.push_back("-");
      if (Op(line) == "_FindString" && !finding && !enabled) log.back() += " (disabled)";
      if (Op(line) == "_SetRowSeletct" && !Begins(line) && finding)
        log.back() = platform::WideToUtf8(Grid().AccessibleName(Grid().SelectedRow())) + (enabled ? " (enabled)" : "");
    });
    return log;
  }
  SurfaceView view{s.backend};
  int imports = 0;
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
  selector.SetImportCallBack(this);
  EXPECT_EQ(Find("find a\nclick A\nimport\nrows\nfind a\nfind a\nimport\nfind a\nrows"),
            (std::vector<std::string>{"A.x", "A.y", "A.bad", "A.x"}));
  // The failed import keeps the view and its checks; the successful one shows the new tree.
  ASSERT_GE(s.out.size(), 6u);
  EXPECT_EQ(s.out[0], "1\t0\t2\t0x0400\tA\tST_A\tstruct a");
  EXPECT_EQ(s.out.back(), "10\t0\t0\t0x0008\tD\tINT\t");
  EXPECT_EQ(s.out[s.out.size() - 3], "7\t0\t1\t0x0008\tC\tBOOL\t");  // the new search expanded A
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"C"});
}

// 1 + 1000 + 999,000 nodes: opening, checking everything and OK. The trees are the fixture's,
// so that they outlive the selector.
TEST_F(TagSelectDialog, AMillionNodesOpenCheckAndConfirm) {
  tree = std::make_unique<FakeTree>();
  auto* top = tree->Add(tree->Root(), "Big", -1);
  for (int i = 0; i < 1000; ++i) {
    auto* mid = tree->Add(top, Numbered("m", i), -1);
    for (int j = 0; j < 999; ++j) tree->Add(mid, Numbered("v", j), 2);
  }
  selector.SetTagTree(tree->Root());
  Run("click Big\nok");
  const auto names = Names();
  ASSERT_EQ(names.size(), 999000u);
  EXPECT_EQ(std::tie(names.front(), names.back()), std::tie(u"Big.m0.v0", u"Big.m999.v998"));
}

TEST_F(TagSelectDialog, AChain20000DeepOpensAndYieldsItsLeaf) {
  tree = std::make_unique<FakeTree>();
  FakeTree::Node* at = tree->Root();
  for (int i = 0; i < 20000; ++i) at = tree->Add(at, "d", -1);
  at->dataType = 2;
  selector.SetTagTree(tree->Root());
  Run("click d\nok");
  EXPECT_EQ(Names().size(), 1u);
}

// Every line has the trace's format and the first enters OnInitDialog. The walks on OK and on
// find next go on below a node as calls of their own, each traced with a begin and an end line,
// nested as the calls are. A checked row's walk covers its child rows, which are still walked
// (and traced) when their turn comes.
TEST_F(TagSelectDialog, TheTraceHasABeginAndEndPairPerCallOfTheSelectionWalks) {
  std::vector<std::string> trace;
  RunTraced("click B\nexpand B.arr\nfind z\nok", [&](const std::string& line) { trace.push_back(line); });
  const std::regex format(
      R"re(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]\[src\\TagSeletList\]\[DEVICE::CTagSeletList::\w+\]\[\d+\] "(begin|end)"\n)re");
  ASSERT_FALSE(trace.empty());
  EXPECT_TRUE(Op(trace.front()) == "OnInitDialog" && Begins(trace.front()));
  std::vector<std::string> open;
  std::map<std::string, int> calls;
  for (const auto& line : trace) {
    EXPECT_TRUE(std::regex_match(line, format)) << line;
    if (Begins(line)) {
      open.push_back(Op(line));
      ++calls[Op(line)];
    } else {
      ASSERT_EQ(open.empty() ? "" : open.back(), Op(line)) << line;
      open.pop_back();
    }
  }
  EXPECT_TRUE(open.empty());
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"B.arr[0]", u"B.arr[1]", u"B.z"}));
  EXPECT_EQ(calls["_GetSelectTag"], 1);
  EXPECT_EQ(calls["_GetSelectSubNode"], 3);  // row B: B and B.arr; row B.arr: B.arr
  EXPECT_EQ(calls["_SetSelectSubNode"], 2);  // the top rows, then the rows below B
}

}  // namespace
