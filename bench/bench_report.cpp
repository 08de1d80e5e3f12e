#include <cstdio>
#include <string>
#include <vector>

#include "bench_results.h"
#include "bench_xml_sets.h"

namespace bench {

std::optional<Median> Results::Find(const std::string& name) const {
  const auto it = medians_.find(name);
  if (it == medians_.end()) return std::nullopt;
  return it->second;
}

std::optional<double> Results::Seconds(const std::string& name) const {
  const auto m = Find(name);
  if (!m) return std::nullopt;
  return m->seconds;
}

std::optional<double> Results::Counter(const std::string& name, const std::string& counter) const {
  const auto m = Find(name);
  if (!m) return std::nullopt;
  const auto it = m->counters.find(counter);
  if (it == m->counters.end()) return std::nullopt;
  return it->second;
}

namespace {

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Ms(std::optional<double> seconds) {
  return seconds ? Format("%.1f", *seconds * 1e3) : "–";
}

std::string Verdict(std::optional<double> value, double limit) {
  if (!value) return "not run";
  return *value <= limit ? "met" : "**missed**";
}

std::string Ratio(std::optional<double> ours, std::optional<double> theirs) {
  if (!ours || !theirs || *theirs <= 0) return "–";
  return Format("%.2f", *ours / *theirs);
}

std::optional<double> Divide(std::optional<double> a, std::optional<double> b) {
  if (!a || !b || *b <= 0) return std::nullopt;
  return *a / *b;
}

void XmlTable(const Results& r, std::string& out) {
  out += "### XML document load (bytes in memory)\n\n";
  out += "| File | MB | XmlDocument ms | MB/s | pugixml wide ms | ours/pugixml (≤ 1.25) | libxml2 ms "
         "| ours/libxml2 (≤ 0.50) | pugixml narrow ms |\n";
  out += "|---|---|---|---|---|---|---|---|---|\n";
  for (const XmlSet& set : XmlSets()) {
    const std::string name = DatasetName(set);
    const auto ours = r.Seconds("xml/XmlDocument/" + name);
    const auto pugi = r.Seconds("xml/pugixml_wide/" + name);
    const auto narrow = r.Seconds("xml/pugixml_narrow/" + name);
    const auto libxml = r.Seconds("xml/libxml2/" + name);
    auto mb = r.Counter("xml/XmlDocument/" + name, "MB");
    if (!mb) mb = r.Counter("xml/libxml2/" + name, "MB");
    const auto vsPugi = Divide(ours, pugi);
    const auto vsLibxml = Divide(ours, libxml);
    out += "| " + name + " | " + (mb ? Format("%.1f", *mb) : "–") + " | " + Ms(ours) + " | " +
           (mb && ours ? Format("%.0f", *mb / *ours) : "–") + " | " + Ms(pugi) + " | " +
           Ratio(ours, pugi) + (vsPugi ? std::string(" ").append(Verdict(vsPugi, 1.25)) : "") + " | " + Ms(libxml) + " | " +
           Ratio(ours, libxml) + (vsLibxml ? std::string(" ").append(Verdict(vsLibxml, 0.5)) : "") + " | " + Ms(narrow) +
           " |\n";
  }
  out += "\n";
}

void ImportTable(const Results& r, std::string& out) {
  out += "### Import: LoadFile, both passes, SetFileParser\n\n";
  out += "| File | MB | symbols | tree nodes | time ms | read ms | tree ms | peak heap MB | tree bytes/node (≤ 64) | "
         "type table + tree bytes/node | target |\n";
  out += "|---|---|---|---|---|---|---|---|---|---|---|\n";
  for (const char* preset : {"symbols-100k", "array-10k-structs", "tree-1m"}) {
    const std::string name = std::string("import/") + preset;
    const auto seconds = r.Seconds(name);
    const auto c = [&](const char* counter) { return r.Counter(name, counter); };
    const auto show = [](std::optional<double> v, const char* format) {
      return v ? Format(format, *v) : std::string("–");
    };
    std::string target = "–";
    if (std::string(preset) == "tree-1m") target = std::string("< 1500 ms: ").append(Verdict(seconds, 1.5));
    // The tree's own bytes come from the tree half measured alone.
    const auto perNode = r.Counter("import/tree/" + std::string(preset), "tree_bytes_per_node");
    if (perNode) target.append(", ≤ 64 B/node: ").append(Verdict(perNode, 64));
    out += "| " + std::string(preset) + " | " + show(c("MB"), "%.1f") + " | " + show(c("symbols"), "%.0f") +
           " | " + show(c("nodes"), "%.0f") + " | " + Ms(seconds) + " | " + Ms(r.Seconds("import/parse/" + std::string(preset))) + " | " +
           Ms(r.Seconds("import/tree/" + std::string(preset))) + " | " + show(c("peak_heap_MB"), "%.0f") +
           " | " + show(perNode, "%.1f") + " | " + show(c("kept_bytes_per_node"), "%.1f") +
           " | " + target + " |\n";
  }
  out += "\n";
}

void TimedRows(const Results& r, std::string& out, const char* title,
               const std::vector<std::pair<std::string, double>>& rows) {
  out += std::string("### ") + title + "\n\n| Operation | ms | target ms | |\n|---|---|---|---|\n";
  for (const auto& [name, limit] : rows) {
    const auto seconds = r.Seconds(name);
    out += "| " + name + " | " + Ms(seconds) + " | " + (limit > 0 ? Format("%.0f", limit * 1e3) : "–") +
           " | " + (limit > 0 ? Verdict(seconds, limit) : "") + " |\n";
  }
  out += "\n";
}

}  // namespace

std::string FormatReport(const Results& r, const MachineInfo& m) {
  std::string out;
  out += "Machine: " + m.cpu + ", " + std::to_string(m.cpus) + " CPUs at " + Format("%.0f", m.mhz) +
         " MHz; build " + m.buildType + "; medians of " + std::to_string(m.repetitions) +
         " repetitions.\n\n";
  XmlTable(r, out);
  ImportTable(r, out);
  TimedRows(r, out, "Run buffer and channel check (100,000 channels)",
            {{"runbuffer/save", 0}, {"runbuffer/load", 0}, {"runbuffer/save+load", 0.1}, {"checkchannels", 0.1}});
  TimedRows(r, out, "Tag selection dialog on the 1,000,000-node tree (scripted backend)",
            {{"dialog/open", 0.05}, {"dialog/search_and_step", 0}, {"dialog/ok_all_checked", 0.3}});
  out += "Dialog times are those of the dialog's own event handlers (opening, every Find press, OK); "
         "the scripted backend's row lookups are not counted.\n";
  return out;
}

}  // namespace bench
