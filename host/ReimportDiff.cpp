#include "ReimportDiff.h"

#include <algorithm>
#include <fstream>
#include <map>
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
    if (platform::GridControl* grid = dialog.Grid()) result.oldTypes = RevealTypes(*grid, names);
    result.messages = dialog.Import(file);
    if (result.messages.empty()) dialog.Ok();
  });
  if (!ran && result.messages.empty()) result.messages.push_back(u"the tag selection did not run");
  return result;
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
  std::string file;
  bool json = false;
  bool usage = false;
  for (const auto& word : arguments) {
    if (word == "--json" && !json) {
      json = true;
    } else {
      usage = usage || !file.empty();
      file = word;
    }
  }
  if (usage || file.empty()) {
    err << "adshost: usage: diff NEW.tpy [--json]\n";
    return kExitUsage;
  }
  if (!std::ifstream(file, std::ios::binary)) {
    err << "adshost: cannot read " << file << '\n';
    return kExitUsage;
  }

  const hostapi::ChlInfoArray before = ChannelRecords(session);
  const std::vector<std::u16string> oldNames = ChannelNames(before);
  const Reimport reimport = ImportAndConfirm(session, platform::Utf8ToWide(file), oldNames);
  if (!reimport.messages.empty()) {
    err << "adshost: cannot import " << file << ": " << WideToUtf8(reimport.messages.front()) << '\n';
    return kExitUsage;
  }
  const hostapi::ChlInfoArray after = ChannelRecords(session);
  const std::vector<std::u16string> newNames = ChannelNames(after);
  const std::set<std::u16string> newSet(newNames.begin(), newNames.end());

  std::vector<std::u16string> kept, dropped;
  for (const auto& name : oldNames) (newSet.count(name) ? kept : dropped).push_back(name);

  // A second look at the imported tree, cancelled: the types of the kept channels and the
  // tags that might be the dropped ones renamed.
  std::map<std::u16string, std::u16string> newTypes;
  Candidates candidates;
  if (!kept.empty() || !dropped.empty()) {
    RunDialogProbe(session, [&](ProbeDialog& dialog) {
      if (platform::GridControl* grid = dialog.Grid()) newTypes = RevealTypes(*grid, kept);
      candidates = FindCandidates(dialog, dropped);
      dialog.Cancel();
    });
  }
  const Channels oldChannels = Describe(before, reimport.oldTypes);
  const Channels newChannels = Describe(after, newTypes);
  std::vector<std::u16string> candidateNames;
  for (const auto& [segment, names] : candidates)
    for (const auto& name : names)
      if (!newChannels.count(name)) candidateNames.push_back(name);
  auto kinds = DataKindsByAdding(session, candidateNames);
  for (const auto& [name, channel] : newChannels) kinds.emplace(name, channel.dataKind);
  std::vector<ReportLine> lines;
  bool differs = false;
  for (const auto& name : oldNames) {
    const Channel& old = oldChannels.at(name);
    const std::string utf8 = WideToUtf8(name);
    if (!newSet.count(name)) {
      differs = true;
      lines.push_back({"dropped", {{"name", utf8}}, "suggestions",
                       Suggestions(name, old.dataKind, candidates[LastSegment(name)], kinds)});
      continue;
    }
    const Channel& now = newChannels.at(name);
    if (old.dataKind == now.dataKind && old.type == now.type) {
      lines.push_back({"kept", {{"name", utf8}}, {}, {}});
    } else {
      differs = true;
      lines.push_back({"changed", {{"name", utf8}, {"old", KindAndType(old)}, {"new", KindAndType(now)}}, {}, {}});
    }
  }
  const std::set<std::u16string> oldSet(oldNames.begin(), oldNames.end());
  for (const auto& name : newNames)
    if (!oldSet.count(name)) lines.push_back({"added", {{"name", WideToUtf8(name)}}, {}, {}});

  const int status = differs ? kExitFailure : kExitSuccess;
  out << (json ? FormatLinesJson(lines, status) : FormatLinesText(lines));
  return status;
}

}  // namespace adshost
