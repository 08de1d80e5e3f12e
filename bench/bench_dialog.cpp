// The tag selection dialog on the scripted backend over the tree of the 1,000,000-node file:
// opening it, a search that matches about 5,000 leaves and stepping through them, and OK with
// every top-level row checked. A timing backend wraps the scripted one and measures each
// dialog event on its own, so the script's own work (finding rows by name) is not counted.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TagSeletList.h"
#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "tagselect/TagPattern.h"
#include "bench_data.h"
#include "bench_import_steps.h"
#include "bench_tree.h"
#include "ui/ScriptedDialog.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kWantedMatches = 5000;
constexpr int kOk = 1;

// Forwards the dialog's events and adds up the time spent in each, by command id; the
// initialisation is recorded under id 0.
class TimedEvents final : public platform::DialogEvents {
 public:
  TimedEvents(platform::DialogEvents& inner, std::map<int, double>& seconds) : inner_(inner), seconds_(seconds) {}

  bool OnInitDialog() override {
    const auto start = Clock::now();
    const bool result = inner_.OnInitDialog();
    Add(0, start);
    return result;
  }
  void OnCommand(int id) override {
    const auto start = Clock::now();
    inner_.OnCommand(id);
    Add(id, start);
  }
  bool PreTranslateKeyDown(unsigned virtualKey) override { return inner_.PreTranslateKeyDown(virtualKey); }
  void OnSize(int cx, int cy) override { inner_.OnSize(cx, cy); }

 private:
  void Add(int id, Clock::time_point start) {
    seconds_[id] += std::chrono::duration<double>(Clock::now() - start).count();
  }

  platform::DialogEvents& inner_;
  std::map<int, double>& seconds_;
};

// A surface that hands everything to the scripted one and times the events of its run.
class TimedSurface final : public platform::DialogSurface {
 public:
  TimedSurface(std::unique_ptr<platform::DialogSurface> inner, std::map<int, double>& seconds)
      : inner_(std::move(inner)), seconds_(seconds) {}

  int RunModal(platform::DialogEvents& events) override {
    TimedEvents timed(events, seconds_);
    return inner_->RunModal(timed);
  }
  void EndDialog(int code) override { inner_->EndDialog(code); }
  bool HasControl(int id) const override { return inner_->HasControl(id); }
  std::u16string GetText(int id) const override { return inner_->GetText(id); }
  void SetText(int id, const std::u16string& text) override { inner_->SetText(id, text); }
  void Enable(int id, bool enabled) override { inner_->Enable(id, enabled); }
  bool IsEnabled(int id) const override { return inner_->IsEnabled(id); }
  void Show(int id, bool visible) override { inner_->Show(id, visible); }
  int GetCheck(int id) const override { return inner_->GetCheck(id); }
  void SetCheck(int id, int check) override { inner_->SetCheck(id, check); }
  platform::Rect GetRect(int id) const override { return inner_->GetRect(id); }
  void SetRect(int id, const platform::Rect& rect) override { inner_->SetRect(id, rect); }
  void SetFocus(int id) override { inner_->SetFocus(id); }
  platform::Rect GetWindowRect() const override { return inner_->GetWindowRect(); }
  void SetWindowSize(int width, int height) override { inner_->SetWindowSize(width, height); }
  platform::Size GetClientSize() const override { return inner_->GetClientSize(); }
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override {
    inner_->ShowMessageBox(text, icon);
  }
  int ScreenPixelsPerInchY() const override { return inner_->ScreenPixelsPerInchY(); }
  void CreateFont(const platform::FontRequest& request) override { inner_->CreateFont(request); }
  void AttachGrid(int id, grid::GridView* grid) override { inner_->AttachGrid(id, grid); }

 private:
  std::unique_ptr<platform::DialogSurface> inner_;
  std::map<int, double>& seconds_;
};

// Installed as the dialog backend while it lives; counts the script's error lines.
class TimedBackend final : public platform::DialogBackend {
 public:
  explicit TimedBackend(const std::string& script)
      : scripted_(ui_, [this](const std::string& line) {
          if (line.rfind("ERROR", 0) == 0) ++errors_;
        }) {
    scripted_.AddScript(script);
    platform::SetDialogBackend(this);
  }
  ~TimedBackend() override { platform::SetDialogBackend(nullptr); }
  TimedBackend(const TimedBackend&) = delete;
  TimedBackend& operator=(const TimedBackend&) = delete;

  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& dialogTemplate) override {
    return std::make_unique<TimedSurface>(scripted_.CreateSurface(dialogTemplate), seconds_);
  }
  int ScreenPixelsPerInchY() const override { return scripted_.ScreenPixelsPerInchY(); }

  double Seconds(int id) const {
    const auto found = seconds_.find(id);
    return found == seconds_.end() ? 0 : found->second;
  }
  int errors() const { return errors_; }

 private:
  hostui::ScriptedUserInterface ui_;
  hostui::ScriptedDialogBackend scripted_;
  std::map<int, double> seconds_;
  int errors_ = 0;
};

// How many leaves the dialog's search collects for TEXT: every node whose own name contains
// it contributes its leaves, and the walk does not descend below such a node.
size_t SearchMatches(DEVICE::ITree* root, const std::string& text) {
  const std::string pattern = "*" + text + "*";
  size_t matches = 0;
  std::vector<std::pair<DEVICE::ITree*, bool>> pending;  // node, below a match
  for (uint32_t i = root->GetChildCount(); i > 0; --i) pending.push_back({root->GetChild(i - 1), false});
  while (!pending.empty()) {
    auto [node, collected] = pending.back();
    pending.pop_back();
    if (!node) continue;
    if (!collected) {
      DEVICE::ILabel* label = node->GetLabel();
      collected = label && DEVICE::MatchPattern(pattern, label->GetName());
    }
    const uint32_t children = node->GetChildCount();
    if (children == 0) {
      if (collected) ++matches;
      continue;
    }
    for (uint32_t i = children; i > 0; --i) pending.push_back({node->GetChild(i - 1), collected});
  }
  return matches;
}

struct Fixture {
  std::unique_ptr<Beckhoff::BeckhoffDeviceCtrl> device;
  std::vector<std::string> programs;  // full names of the top-level rows
  std::string searchText;             // the candidate whose match count is closest to 5,000
  size_t matches = 0;
  size_t leaves = 0;
  bool ready = false;
};

Fixture MakeFixture() {
  Fixture f;
  auto parser = bench::ReadFile(bench::GetDataset("tree-1m"));
  if (!parser) return f;
  f.device = std::make_unique<Beckhoff::BeckhoffDeviceCtrl>();
  f.device->SetFileParser(parser);
  DEVICE::ITree* root = f.device->GetTagTree();
  if (!root) return f;
  for (uint32_t i = 0; i < root->GetChildCount(); ++i) {
    if (DEVICE::ITree* child = root->GetChild(i); child && child->GetLabel())
      f.programs.push_back(child->GetLabel()->GetFullName());
  }
  f.leaves = bench::LeafNames(root, static_cast<size_t>(-1)).size();
  size_t bestDistance = static_cast<size_t>(-1);
  for (const char* text : {"Motor1", "Valve2", "Pump3", "Axis12", "Drive4", "Sensor5", "Alarm6", "Level7", "Mixer8",
                           "1234", "123", "234", "Motor12", "Valve23"}) {
    const size_t matches = SearchMatches(root, text);
    const size_t distance = matches > kWantedMatches ? matches - kWantedMatches : kWantedMatches - matches;
    if (distance < bestDistance) {
      bestDistance = distance;
      f.searchText = text;
      f.matches = matches;
    }
  }
  f.ready = !f.programs.empty() && f.matches > 0;
  return f;
}

Fixture& Shared() {
  static Fixture fixture = MakeFixture();
  return fixture;
}

// Runs the dialog over the shared tree with SCRIPT; the backend holds the timings.
std::unique_ptr<TimedBackend> RunDialog(const Fixture& f, const std::string& script, size_t* selected = nullptr) {
  auto backend = std::make_unique<TimedBackend>(script);
  DEVICE::CTagSeletList dialog;
  dialog.SetTagTree(f.device->GetTagTree());
  dialog.DoModal();
  if (selected) {
    std::vector<std::u16string> names;
    *selected = dialog.GetSelectTag(names);
  }
  return backend;
}

void Open(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready) return state.SkipWithError("no 1,000,000-node tree");
  for (auto _ : state) {
    const auto backend = RunDialog(f, "cancel");
    if (backend->errors() != 0) return state.SkipWithError("the script failed");
    state.SetIterationTime(backend->Seconds(0));
  }
  state.counters["top_rows"] = static_cast<double>(f.programs.size());
}

void SearchAndStep(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready) return state.SkipWithError("no 1,000,000-node tree");
  std::string script;
  const size_t steps = std::min(f.matches, kWantedMatches);
  for (size_t i = 0; i < steps; ++i) script += "find " + f.searchText + "\n";
  script += "cancel\n";
  for (auto _ : state) {
    const auto backend = RunDialog(f, script);
    if (backend->errors() != 0) return state.SkipWithError("the script failed");
    state.SetIterationTime(backend->Seconds(DEVICE::CTagSeletList::kFindButton));
  }
  state.counters["matches"] = static_cast<double>(f.matches);
  state.counters["steps"] = static_cast<double>(std::min(f.matches, kWantedMatches));
}

void OkAllChecked(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready) return state.SkipWithError("no 1,000,000-node tree");
  std::string script;
  for (const std::string& program : f.programs) script += "click " + program + "\n";
  script += "ok\n";
  size_t selected = 0;
  for (auto _ : state) {
    const auto backend = RunDialog(f, script, &selected);
    if (backend->errors() != 0) return state.SkipWithError("the script failed");
    state.SetIterationTime(backend->Seconds(kOk));
  }
  if (selected != f.leaves) state.SkipWithError("OK did not yield every leaf");
  state.counters["selected"] = static_cast<double>(selected);
}

const bool registered = [] {
  benchmark::RegisterBenchmark("dialog/open", Open)->Unit(benchmark::kMillisecond)->UseManualTime();
  benchmark::RegisterBenchmark("dialog/search_and_step", SearchAndStep)->Unit(benchmark::kMillisecond)->UseManualTime();
  benchmark::RegisterBenchmark("dialog/ok_all_checked", OkAllChecked)->Unit(benchmark::kMillisecond)->UseManualTime();
  return true;
}();

}  // namespace
