// The tag selection dialog on the scripted backend over the 1,000,000-node tree: opening it, a
// search that matches about 5,000 leaves stepped through to its end, and OK with everything
// checked.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TagSeletList.h"
#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "bench_data.h"
#include "bench_import_steps.h"
#include "platform/ScriptedDialog.h"

namespace {

constexpr size_t kWantedMatches = 5000;

struct Fixture {
  Fixture() {
    const bench::Dataset& data = bench::GetDataset("tree-1m");
    if (auto parser = bench::ReadFile(data)) device.SetFileParser(parser);
    tree = device.GetTagTree();
    if (!tree) return;
    for (uint32_t i = 0; i < tree->GetChildCount(); ++i) topNames.push_back(tree->GetChild(i)->GetLabel()->GetName());
    ChoosePattern();
  }

  // The leaves a search for the text finds, counted the way the dialog collects them: a node
  // whose own name matches gives the leaves of its subtree; one that does not is searched on.
  size_t Matches(const std::string& pattern) const {
    size_t found = 0;
    std::vector<DEVICE::ITree*> pending{tree};
    while (!pending.empty()) {
      DEVICE::ITree* node = pending.back();
      pending.pop_back();
      for (uint32_t i = 0; i < node->GetChildCount(); ++i) {
        DEVICE::ITree* child = node->GetChild(i);
        if (DEVICE::detail::MatchPattern(pattern, child->GetLabel()->GetName())) {
          found += Leaves(child);
        } else {
          pending.push_back(child);
        }
      }
    }
    return found;
  }
  static size_t Leaves(DEVICE::ITree* top) {
    size_t leaves = 0;
    std::vector<DEVICE::ITree*> pending{top};
    while (!pending.empty()) {
      DEVICE::ITree* node = pending.back();
      pending.pop_back();
      if (node->GetChildCount() == 0) ++leaves;
      for (uint32_t i = 0; i < node->GetChildCount(); ++i) pending.push_back(node->GetChild(i));
    }
    return leaves;
  }

  // Among the own names of the first two levels, the one whose search comes closest to the
  // wanted number of matches.
  void ChoosePattern() {
    std::vector<std::string> candidates;
    for (uint32_t i = 0; i < tree->GetChildCount() && candidates.size() < 200; ++i) {
      DEVICE::ITree* top = tree->GetChild(i);
      candidates.push_back(top->GetLabel()->GetName());
      for (uint32_t j = 0; j < top->GetChildCount() && j < 20; ++j)
        candidates.push_back(top->GetChild(j)->GetLabel()->GetName());
    }
    size_t bestDistance = SIZE_MAX;
    for (const auto& name : candidates) {
      if (name.find_first_of("*?[") != std::string::npos) continue;
      const size_t count = Matches("*" + name + "*");
      const size_t distance = count > kWantedMatches ? count - kWantedMatches : kWantedMatches - count;
      if (distance < bestDistance) {
        bestDistance = distance;
        searchText = name;
        searchMatches = count;
      }
    }
  }

  Beckhoff::BeckhoffDeviceCtrl device;
  DEVICE::ITree* tree = nullptr;
  std::vector<std::string> topNames;
  std::string searchText;
  size_t searchMatches = 0;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Runs one dialog over the tree with the script; the number of names OK returned.
size_t RunDialog(DEVICE::ITree* tree, const std::string& script) {
  platform::ScriptedUserInterface ui;
  platform::ScriptedDialogBackend backend(ui, nullptr);
  platform::SetDialogBackend(&backend);
  backend.AddScript(script);
  DEVICE::CTagSeletList dialog;
  dialog.SetTagTree(tree);
  dialog.DoModal();
  platform::SetDialogBackend(nullptr);
  std::vector<std::u16string> names;
  return dialog.GetSelectTag(names);
}

void Open(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.tree) return state.SkipWithError("no tree");
  for (auto _ : state) benchmark::DoNotOptimize(RunDialog(f.tree, "cancel"));
  state.counters["top_rows"] = static_cast<double>(f.topNames.size());
}

void SearchAndStep(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.tree || f.searchText.empty()) return state.SkipWithError("no tree");
  std::string script;
  for (size_t i = 0; i < f.searchMatches; ++i) script += "find " + f.searchText + "\n";
  script += "cancel";
  for (auto _ : state) benchmark::DoNotOptimize(RunDialog(f.tree, script));
  state.counters["matches"] = static_cast<double>(f.searchMatches);
}

void OkWithEverythingChecked(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.tree) return state.SkipWithError("no tree");
  std::string script;
  for (const auto& name : f.topNames) script += "click " + name + "\n";
  script += "ok";
  size_t names = 0;
  for (auto _ : state) names = RunDialog(f.tree, script);
  state.counters["names"] = static_cast<double>(names);
}

BENCHMARK(Open)->Name("dialog/open/tree-1m")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SearchAndStep)->Name("dialog/search_5000/tree-1m")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OkWithEverythingChecked)->Name("dialog/ok_all/tree-1m")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
