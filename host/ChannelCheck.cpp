#include "ChannelCheck.h"

#include <set>

#include "ChannelList.h"
#include "Commands.h"
#include "ReportLines.h"
#include "platform/Text.h"

namespace adshost {

int RunCheck(Session& session, const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const bool json = arguments.size() == 1 && arguments[0] == "--json";
  if (!arguments.empty() && !json) {
    err << "adshost: usage: check [--json]\n";
    return kExitUsage;
  }
  std::vector<ReportLine> lines;
  std::set<std::u16string> unresolved;
  const hostapi::ChlInfoArray records = ChannelRecords(session);
  for (size_t i = 0; i < records.size(); ++i) {
    const std::u16string& name = records[i].tagName;
    if (!LooksUnresolved(records[i]) || TreeKnowsChannel(session, name)) continue;
    unresolved.insert(name);
    lines.push_back({"unresolved", {{"index", std::to_string(i)}, {"name", platform::WideToUtf8(name)}}, {}, {}});
  }
  // The generate check reports the first unknown channel by its name; any other report is the
  // device asking for its tags to be imported again.
  const size_t reportsBefore = session.site.Reports().size();
  const bool generates = session.api.SvrGenerate(session.handle) == 1;
  const auto& reports = session.site.Reports();
  for (size_t i = reportsBefore; i < reports.size(); ++i) {
    if (unresolved.count(reports[i].object)) continue;
    lines.push_back({"reimport",
                     {{"object", platform::WideToUtf8(reports[i].object)},
                      {"message", platform::WideToUtf8(reports[i].message)}},
                     {},
                     {}});
  }
  const int status = generates ? kExitSuccess : kExitFailure;
  out << (json ? FormatLinesJson(lines, status) : FormatLinesText(lines));
  return status;
}

}  // namespace adshost
