#include "Commands.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>

#include "ChannelCheck.h"
#include "ChannelList.h"
#include "DialogScript.h"
#include "DriverModule.h"
#include "HostUi.h"
#include "ProjectCheck.h"
#include "ProjectDump.h"
#include "ProgramFiles.h"
#include "ProjectFile.h"
#include "PropertyCheck.h"
#include "ReimportDiff.h"
#include "ReportLines.h"
#include "Session.h"
#include "platform/Text.h"

namespace adshost {
namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

// Tags of the bundled example that the demo checks.
constexpr const char* kDemoTags[] = {"MAIN.fbMotor.bEnable", "MAIN.aValues[3]", "MAIN.aAxis[0].fPos", "gCounter"};

struct Context {
  const Options& options;
  const DriverApi& api;
  std::ostream& out;
  std::ostream& err;
  const std::vector<uint8_t>& previous;  // the project file's bytes as read, kept as FILE.bak on saving
};

int Fail(std::ostream& err, int status, const std::string& message) {
  err << "adshost: " << message << '\n';
  return status;
}

int ExportStatus(Context& c, bool succeeded, const std::string& what) {
  if (succeeded) return kExitSuccess;
  return Fail(c.err, kExitFailure, what + " reported failure");
}

std::string Number(const char* format, auto value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// Saves the device and writes the project file; the status of the command otherwise.
int SaveAndFinish(Context& c, Session& session, int status) {
  std::string error;
  if (!SaveProjectFile(c.options.project, c.previous, session.Save(), error)) return Fail(c.err, kExitUsage, error);
  return status;
}

int Info(Context& c, Session& session) {
  const DriverApi& api = c.api;
  std::u16string displayName, runtimeU, runtimeE, helpName;
  uint32_t word1 = 0, word2 = 0, helpWord = 0, dataVersion = 0;
  bool ok = api.SvrGetDevInfo(displayName, word1, word2, 0, runtimeU) == 1;
  ok = api.SvrGetDevInfo(displayName, word1, word2, 1, runtimeE) == 1 && ok;
  ok = api.SvrDoHelp(helpName, helpWord) == 1 && ok;
  double version = 0, minor = 0, versionEx = 0, minorEx = 0;
  ok = api.SvrGetDevVersion(session.handle, version, 0, 0, minor) == 1 && ok;
  ok = api.SvrGetDevVersionEx(versionEx, minorEx, dataVersion) == 1 && ok;
  hostapi::ParentConfig parent;
  ok = api.SvrGetParentCofig(parent) == 1 && ok;
  const std::pair<const char*, std::string> lines[] = {
      {"displayName", WideToUtf8(displayName)},
      {"runtimeModuleU", WideToUtf8(runtimeU)},
      {"runtimeModuleE", WideToUtf8(runtimeE)},
      {"helpName", WideToUtf8(helpName)},
      {"helpWord", Number("0x%08X", helpWord)},
      {"version", Number("%g", version)},
      {"minorVersion", Number("%g", minor)},
      {"dataVersion", std::to_string(dataVersion)},
      {"parent.remoteIp", WideToUtf8(parent.remoteIp)},
      {"parent.localIp", WideToUtf8(parent.localIp)},
      {"parent.port", std::to_string(parent.port)},
      {"parent.option1", std::to_string(parent.option1)},
      {"parent.option2", std::to_string(parent.option2)},
      {"parent.option3", std::to_string(parent.option3)},
  };
  for (const auto& [key, value] : lines) c.out << key << '\t' << value << '\n';
  return ExportStatus(c, ok, "an identity export");
}

int Props(Context& c, Session& session) {
  hostapi::WideStringArray names, values;
  hostapi::ByteArray flags;
  const bool ok = c.api.SvrGetProperty(session.handle, names, values, flags) == 1;
  for (size_t i = 0; i < names.size(); ++i)
    c.out << WideToUtf8(names[i]) << '\t' << WideToUtf8(i < values.size() ? values[i] : u"") << '\t'
          << (i < flags.size() ? int{flags[i]} : 0) << '\n';
  return ExportStatus(c, ok, "SvrGetProperty");
}

int Enum(Context& c, Session& session) {
  if (c.options.arguments.size() != 1) return Fail(c.err, kExitUsage, "enum needs one property name");
  hostapi::WideStringArray items;
  const bool ok = c.api.SvrEnumPropertyValue(session.handle, Utf8ToWide(c.options.arguments[0]), items) == 1;
  for (const auto& item : items) c.out << WideToUtf8(item) << '\n';
  return ExportStatus(c, ok, "SvrEnumPropertyValue");
}

// Reads the properties back after SvrSetProperty: each one whose value differs from the one
// asked for (the last one asked, when a name comes twice) was refused by the device, which
// keeps its old value. Failure when there is one.
int ReportRefusedValues(Context& c, Session& session, const hostapi::WideStringArray& names,
                        const hostapi::WideStringArray& values) {
  hostapi::WideStringArray listedNames, listedValues;
  hostapi::ByteArray flags;
  if (c.api.SvrGetProperty(session.handle, listedNames, listedValues, flags) != 1)
    return Fail(c.err, kExitFailure, "SvrGetProperty reported failure");
  std::map<std::u16string, std::u16string> asked;
  for (size_t i = 0; i < names.size(); ++i) asked[names[i]] = values[i];
  int status = kExitSuccess;
  for (size_t i = 0; i < listedNames.size(); ++i) {
    const auto wanted = asked.find(listedNames[i]);
    const bool enumeration = i < flags.size() && flags[i] == 1;
    const std::string kept = WideToUtf8(i < listedValues.size() ? listedValues[i] : u"");
    if (wanted == asked.end() || KeptAsAsked(WideToUtf8(wanted->second), kept, enumeration)) continue;
    std::string message = "the device refused ";
    message.append(WideToUtf8(listedNames[i])).append("=").append(WideToUtf8(wanted->second));
    message.append(" and kept ").append(kept);
    if (enumeration) {
      hostapi::WideStringArray items;
      c.api.SvrEnumPropertyValue(session.handle, listedNames[i], items);
      message += "; choices:";
      for (const auto& item : items) message.append(" ").append(WideToUtf8(item));
    }
    status = Fail(c.err, kExitFailure, message);
  }
  return status;
}

int Set(Context& c, Session& session) {
  if (c.options.arguments.empty()) return Fail(c.err, kExitUsage, "set needs NAME=VALUE");
  hostapi::WideStringArray names, values;
  for (const auto& word : c.options.arguments) {
    const auto assignment = ParseAssignment(word);
    if (!assignment) return Fail(c.err, kExitUsage, "not NAME=VALUE: " + word);
    names.push_back(Utf8ToWide(assignment->name));
    values.push_back(Utf8ToWide(assignment->value));
  }
  const bool ok = c.api.SvrSetProperty(session.handle, names, values) == 1;
  const int status = ok ? ReportRefusedValues(c, session, names, values) : ExportStatus(c, ok, "SvrSetProperty");
  return SaveAndFinish(c, session, status);
}

bool ReadScript(const std::string& source, std::vector<std::string>& lines, std::string& error) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (source != "-") {
    file.open(source);
    if (!file) {
      error = "cannot read script " + source;
      return false;
    }
    in = &file;
  }
  for (std::string line; std::getline(*in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

// Runs the custom command with the dialog the installed backend draws.
int RunCustomCommand(Context& c, Session& session, std::unique_ptr<DialogScript> backend) {
  hostapi::CustomUiArray entries;
  c.api.SvrGetCustomUI(0, entries);
  if (entries.empty()) return Fail(c.err, kExitFailure, "the module offers no custom command");
  const bool ok = c.api.SvrShowCustomUI(session.handle, entries.front().name) == 1;
  backend.reset();
  return ExportStatus(c, ok, "SvrShowCustomUI");
}

// Runs the custom command with the dialog driven by the script lines.
int RunScriptedSelect(Context& c, Session& session, const std::vector<std::string>& lines) {
  std::string error;
  auto script = InstallDialogScript(lines, [&c](const std::string& line) { c.out << line << '\n'; }, error);
  if (!script) return Fail(c.err, kExitUsage, error);
  return RunCustomCommand(c, session, std::move(script));
}

// Saves the selection, after telling which channels it removed and added.
int FinishSelect(Context& c, Session& session, const std::vector<std::u16string>& before, int status) {
  if (status == kExitUsage) return status;
  c.out << FormatLinesText(SelectionChange(before, ChannelNames(ChannelRecords(session))));
  return SaveAndFinish(c, session, status);
}

int Select(Context& c, Session& session) {
  const auto& args = c.options.arguments;
  const std::vector<std::u16string> before = ChannelNames(ChannelRecords(session));
  if (args.empty()) {
    std::string error;
    auto dialog = InstallInteractiveDialog(error);
    if (!dialog) return Fail(c.err, kExitUsage, error + "; use select --script FILE");
    return FinishSelect(c, session, before, RunCustomCommand(c, session, std::move(dialog)));
  }
  if (args.size() != 2 || args[0] != "--script") return Fail(c.err, kExitUsage, "usage: select [--script FILE|-]");
  std::vector<std::string> lines;
  std::string error;
  if (!ReadScript(args[1], lines, error)) return Fail(c.err, kExitUsage, error);
  return FinishSelect(c, session, before, RunScriptedSelect(c, session, lines));
}

void PrintChannels(std::ostream& out, const hostapi::ChlInfoArray& records) {
  out << "index\tvalue1\tvalue2\tvalue3\taddress\tvalue4\tvalue5\tdataKind\ttagName\tvarName\tcomment\n";
  for (const auto& r : records)
    out << r.index << '\t' << r.value1 << '\t' << r.value2 << '\t' << r.value3 << '\t' << WideToUtf8(r.address)
        << '\t' << r.value4 << '\t' << r.value5 << '\t' << r.dataKind << '\t' << WideToUtf8(r.tagName) << '\t'
        << WideToUtf8(r.varName) << '\t' << WideToUtf8(r.comment) << '\n';
}

int Channels(Context& c, Session& session) {
  hostapi::ChlInfoArray records;
  const int32_t count = c.api.SvrGetChlInfo(session.handle, {}, records);
  PrintChannels(c.out, records);
  return count >= 0 ? kExitSuccess : Fail(c.err, kExitFailure, "SvrGetChlInfo reported failure");
}

int Add(Context& c, Session& session) {
  if (c.options.arguments.size() != 1) return Fail(c.err, kExitUsage, "add needs one tag name");
  hostapi::SChlInfo record;
  record.address = Utf8ToWide(c.options.arguments[0]);
  const int32_t result = c.api.SvrSetChlInfo(session.handle, record);
  if (result == 0) return Fail(c.err, kExitFailure, "no tag named " + c.options.arguments[0]);
  c.out << "channels\t" << result - 1 << '\n';
  return SaveAndFinish(c, session, kExitSuccess);
}

int Delete(Context& c, Session& session) {
  hostapi::WordArray indices;
  for (const auto& word : c.options.arguments) {
    const auto index = ParseIndex(word);
    if (!index) return Fail(c.err, kExitUsage, "not a channel index: " + word);
    indices.push_back(*index);
  }
  const bool ok = c.api.SvrDeleteChlInfo(session.handle, indices) == 1;
  return SaveAndFinish(c, session, ExportStatus(c, ok, "SvrDeleteChlInfo"));
}

int Check(Context& c, Session& session) { return RunCheck(session, c.options.arguments, c.out, c.err); }

// Works on the loaded device without saving it, so the project file stays as it was.
int Diff(Context& c, Session& session) { return RunDiff(session, c.options.arguments, c.out, c.err); }

int Generate(Context& c, Session& session) {
  if (c.api.SvrGenerate(session.handle) == 1) {
    c.out << "generate\tok\n";
    return kExitSuccess;
  }
  c.out << "generate\trefused\n";
  return Fail(c.err, kExitFailure, "the configuration must not be generated");
}

std::string DemoExample(const Options& options) {
  if (!options.arguments.empty()) return options.arguments[0];
  return DefaultExamplesDir() + "/demo.tpy";
}

std::filesystem::path DemoProjectPath() {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::filesystem::temp_directory_path() / ("adshost-demo-" + std::to_string(stamp) + ".adsproj");
}

int Demo(Context& c) {
  const std::string example = DemoExample(c.options);
  if (!std::filesystem::is_regular_file(example)) return Fail(c.err, kExitUsage, "cannot read " + example);
  const auto project = DemoProjectPath();
  c.out << "== 1. a new device\n";
  std::vector<uint8_t> saved;
  {
    Session session(c.api, {}, c.err);
    Props(c, session);
    c.out << "== 2. import " << example << " and check " << std::size(kDemoTags) << " tags\n";
    std::vector<std::string> script{"import " + example};
    for (const char* tag : kDemoTags) script.push_back(std::string("click ") + tag);
    script.push_back("ok");
    if (const int status = RunScriptedSelect(c, session, script); status != kExitSuccess) return status;
    c.out << "== 3. the channel table\n";
    Channels(c, session);
    c.out << "== 4. save to " << project.string() << '\n';
    saved = session.Save();
    std::string error;
    if (!WriteProjectFile(project.string(), saved, error)) return Fail(c.err, kExitUsage, error);
    c.out << "saved\t" << saved.size() << " bytes\n";
  }
  c.out << "== 5. load again in a fresh device control\n";
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadProjectFile(project.string(), bytes, error)) return Fail(c.err, kExitUsage, error);
  Session reloaded(c.api, bytes, c.err);
  hostapi::ChlInfoArray records;
  c.out << "channels\t" << c.api.SvrGetChlInfo(reloaded.handle, {}, records) << '\n';
  c.out << "== 6. generate\n";
  const int status = Generate(c, reloaded);
  std::error_code ignored;
  std::filesystem::remove(project, ignored);
  return status;
}

int Dump(Context& c) {
  const auto& args = c.options.arguments;
  const bool json = args.size() == 1 && args[0] == "--json";
  if (!args.empty() && !json) return Fail(c.err, kExitUsage, "usage: dump [--json]");
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadProjectFile(c.options.project, bytes, error)) return Fail(c.err, kExitUsage, error);
  const DumpReport report = DecodeProject(bytes);
  c.out << (json ? FormatJson(report) : FormatText(report));
  if (!report.damage.empty())
    return Fail(c.err, kExitFailure, "damaged at offset " + std::to_string(report.damage.front().offset));
  return kExitSuccess;
}

using DeviceCommand = int (*)(Context&, Session&);

const std::map<std::string, DeviceCommand>& DeviceCommands() {
  static const std::map<std::string, DeviceCommand> commands{
      {"info", Info},       {"props", Props}, {"enum", Enum},     {"set", Set},           {"select", Select},
      {"channels", Channels}, {"add", Add},   {"delete", Delete}, {"generate", Generate}, {"check", Check},
      {"diff", Diff}};
  return commands;
}

}  // namespace

int RunCommand(const Options& options, std::ostream& out, std::ostream& err) {
  const auto& commands = DeviceCommands();
  const auto command = commands.find(options.command);
  const bool known = command != commands.end() || options.command == "demo" || options.command == "dump";
  if (!known) return Fail(err, kExitUsage, "unknown command " + options.command + "\n" + UsageText());

  if (options.command == "dump") {
    static const DriverApi none;
    Context context{options, none, out, err, {}};
    return Dump(context);
  }

  std::string error;
  auto module = DriverModule::Load(options.driver.empty() ? DefaultDriverPath() : options.driver, error);
  if (!module) return Fail(err, kExitUsage, error);
  std::vector<uint8_t> bytes;
  Context context{options, module->api(), out, err, bytes};
  if (options.command == "demo") return Demo(context);

  if (!ReadProjectFile(options.project, bytes, error)) return Fail(err, kExitUsage, error);
  if (!CheckProjectBeforeLoad(options, bytes, err)) return kExitFailure;
  Session session(module->api(), bytes, err);
  return command->second(context, session);
}

}  // namespace adshost
