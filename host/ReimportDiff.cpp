#include "ReimportDiff.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <utility>
#include <set>

#include "ChannelList.h"
#include "Commands.h"
#include "DialogProbe.h"
#include "GridWalk.h"
#include "ReportLines.h"
#include "platform/Text.h"

namespace adshost {
namespace {

using platform::WideToUtf8;
constexpr size_t kMaxSuggestions = 3;

struct Channel {
  int32_t dataKind = -1;
  std::u16string type;
};
using Channels = std::map<std::u16string, Channel>;

Channels Describe(const hostapi::ChlInfoArray& records, const std::map<std::u16string, std::u16string>& types) {
  Channels channels;
  for (const auto& record : records) {
    const auto type = types.find(record.tagName);
    channels[record.tagName] = {record.dataKind, type == types.end() ? std::u16string() : type->second};
  }
  return channels;
}

std::string KindAndType(const Channel& channel) {
  return std::to_string(channel.dataKind) + "/" + WideToUtf8(channel.type);
}

// The part of a segment the dialog's search matches against a tag's own name: an array
// element's own name is only its index.
std::u16string SearchText(const std::u16string& segment) { return segment.substr(0, segment.find(u'[')); }

std::vector<std::u16string> SplitSegments(const std::u16string& name) {
  std::vector<std::u16string> segments;
  std::u16string rest = name;
  for (;;) {
    const std::u16string last = LastSegment(rest);
    segments.insert(segments.begin(), last);
    if (last.size() >= rest.size()) return segments;
    rest.resize(rest.size() - last.size() - 1);
  }
}

// Tags of the imported tree shown under the same name as a dropped channel's last segment, by
// segment.
using Candidates = std::map<std::u16string, std::vector<std::u16string>>;

Candidates FindCandidates(ProbeDialog& dialog, const std::vector<std::u16string>& dropped) {
  Candidates candidates;
  std::set<std::u16string> texts;
  for (const auto& name : dropped) {
    const std::u16string segment = LastSegment(name);
    candidates.emplace(segment, std::vector<std::u16string>());
    if (!SearchText(segment).empty()) texts.insert(SearchText(segment));
  }
  for (const auto& text : texts)
    for (const auto& row : SearchTags(dialog, text))
      if (auto found = candidates.find(row.shownName); found != candidates.end() &&
          std::find(found->second.begin(), found->second.end(), row.fullName) == found->second.end())
        found->second.push_back(row.fullName);
  return candidates;
}

std::vector<std::string> Suggestions(const std::u16string& dropped, int32_t dataKind,
                                     const std::vector<std::u16string>& candidates,
                                     const std::map<std::u16string, int32_t>& kinds) {
  std::vector<std::pair<size_t, std::u16string>> ranked;
  for (const auto& candidate : candidates) {
    const auto kind = kinds.find(candidate);
    // An unresolved channel's kind is not known: any kind may fit it.
    if (candidate == dropped || kind == kinds.end() || (dataKind >= 0 && kind->second != dataKind)) continue;
    ranked.emplace_back(SegmentDistance(dropped, candidate), candidate);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> best;
  for (size_t i = 0; i < ranked.size() && i < kMaxSuggestions; ++i) best.push_back(WideToUtf8(ranked[i].second));
  return best;
}

struct Reimport {
  std::vector<std::u16string> messages;  // of a failed import
  std::map<std::u16string, std::u16string> oldTypes;
};

// Opens the dialog on the current tree, reads the channels' types, imports the file and
// confirms with the channels the dialog opened with.
Reimport ImportAndConfirm(Session& session, const std::u16string& file, const std::vector<std::u16string>& names) {
  Reimport result;
  const bool ran = RunDialogProbe(session, [&](ProbeDialog& dialog) {
    if (grid::GridView* grid = dialog.Grid()) result.oldTypes = RevealTypes(*grid, names);
    result.messages = dialog.Import(file);
    if (result.messages.empty()) dialog.Ok();
  });
  if (!ran && result.messages.empty()) result.messages.push_back(u"the tag selection did not run");
  return result;
}

struct NewTree {
  std::map<std::u16string, std::u16string> types;  // of the kept channels
  Candidates candidates;                           // for the dropped ones
};

// A second look at the imported tree, cancelled, so that expanding rows cannot change what the
// confirmation returned.
NewTree LookAtNewTree(Session& session, const std::vector<std::u16string>& kept,
                      const std::vector<std::u16string>& dropped) {
  NewTree tree;
  if (kept.empty() && dropped.empty()) return tree;
  RunDialogProbe(session, [&](ProbeDialog& dialog) {
    if (grid::GridView* grid = dialog.Grid()) tree.types = RevealTypes(*grid, kept);
    tree.candidates = FindCandidates(dialog, dropped);
    dialog.Cancel();
  });
  return tree;
}

struct DiffArguments {
  std::string file;
  bool json = false;
};

std::optional<DiffArguments> ParseArguments(const std::vector<std::string>& arguments) {
  DiffArguments parsed;
  for (const auto& word : arguments) {
    if (word == "--json" && !parsed.json) {
      parsed.json = true;
    } else {
      if (!parsed.file.empty()) return std::nullopt;
      parsed.file = word;
    }
  }
  if (parsed.file.empty()) return std::nullopt;
  return parsed;
}

// The lines for the channels before and after, and whether any was dropped or changed.
std::pair<std::vector<ReportLine>, bool> Compare(const std::vector<std::u16string>& oldNames, const Channels& old,
                                                 const std::vector<std::u16string>& newNames, const Channels& now,
                                                 Candidates& candidates,
                                                 const std::map<std::u16string, int32_t>& kinds) {
  std::vector<ReportLine> lines;
  bool differs = false;
  for (const auto& name : oldNames) {
    const Channel& was = old.at(name);
    const std::string utf8 = WideToUtf8(name);
    const auto is = now.find(name);
    if (is == now.end()) {
      lines.push_back({"dropped", {{"name", utf8}}, "suggestions",
                       Suggestions(name, was.dataKind, candidates[LastSegment(name)], kinds)});
    } else if (was.dataKind != is->second.dataKind || was.type != is->second.type) {
      lines.push_back(
          {"changed", {{"name", utf8}, {"old", KindAndType(was)}, {"new", KindAndType(is->second)}}, {}, {}});
    } else {
      lines.push_back({"kept", {{"name", utf8}}, {}, {}});
    }
    differs = differs || lines.back().kind != "kept";
  }
  for (const auto& name : newNames)
    if (!old.count(name)) lines.push_back({"added", {{"name", WideToUtf8(name)}}, {}, {}});
  return {std::move(lines), differs};
}

}  // namespace

size_t SegmentDistance(const std::u16string& a, const std::u16string& b) {
  const auto left = SplitSegments(a);
  const auto right = SplitSegments(b);
  size_t distance = left.size() > right.size() ? left.size() - right.size() : right.size() - left.size();
  for (size_t i = 0; i < std::min(left.size(), right.size()); ++i) distance += left[i] != right[i];
  return distance;
}

int RunDiff(Session& session, const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseArguments(arguments);
  if (!parsed) {
    err << "adshost: usage: diff NEW.tpy [--json]\n";
    return kExitUsage;
  }
  if (!std::ifstream(parsed->file, std::ios::binary)) {
    err << "adshost: cannot read " << parsed->file << '\n';
    return kExitUsage;
  }
  const hostapi::ChlInfoArray before = ChannelRecords(session);
  const std::vector<std::u16string> oldNames = ChannelNames(before);
  const Reimport reimport = ImportAndConfirm(session, platform::Utf8ToWide(parsed->file), oldNames);
  if (!reimport.messages.empty()) {
    err << "adshost: cannot import " << parsed->file << ": " << WideToUtf8(reimport.messages.front()) << '\n';
    return kExitUsage;
  }
  const hostapi::ChlInfoArray after = ChannelRecords(session);
  const std::vector<std::u16string> newNames = ChannelNames(after);
  const std::set<std::u16string> newSet(newNames.begin(), newNames.end());
  std::vector<std::u16string> kept, dropped;
  for (const auto& name : oldNames) (newSet.count(name) ? kept : dropped).push_back(name);

  NewTree tree = LookAtNewTree(session, kept, dropped);
  const Channels now = Describe(after, tree.types);
  std::vector<std::u16string> unknownKinds;
  for (const auto& [segment, names] : tree.candidates)
    for (const auto& name : names)
      if (!now.count(name)) unknownKinds.push_back(name);
  auto kinds = DataKindsByAdding(session, unknownKinds);
  for (const auto& [name, channel] : now) kinds.emplace(name, channel.dataKind);

  const auto [lines, differs] =
      Compare(oldNames, Describe(before, reimport.oldTypes), newNames, now, tree.candidates, kinds);
  const int status = differs ? kExitFailure : kExitSuccess;
  out << (parsed->json ? FormatLinesJson(lines, status) : FormatLinesText(lines));
  return status;
}

}  // namespace adshost
