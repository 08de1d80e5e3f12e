// Random small symbol files through the whole import, as the custom command runs it: what must
// hold for any file about the tag tree, the channels a full selection yields and the saved data.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "device/Texts.h"
#include "dialog/ScriptedSession.h"
#include "platform/Text.h"
#include "tag/ITree.h"

namespace {

// Symbol files from a seed: structures, arrays of one to three dimensions with negative and
// zero-length bounds, aliases, string, unknown and self-containing types, and symbols with
// dotted and indexed names drawn from small pools, so that names repeat, differ in case only
// and stand both plain and with deeper paths.
struct SymbolFileGenerator {
  std::mt19937 rng;
  std::vector<std::string> types;

  std::string File() {
    for (uint32_t i = Below(6); i > 0; --i) types.push_back(Pick({"T1", "t1", "T2", "MAIN", "v", "Arr"}));
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PlcProjectInfo><DataTypes>";
    for (size_t i = 0; i < types.size(); ++i) xml += DataType(i);
    xml += "</DataTypes><Symbols>";
    for (uint32_t i = 1 + Below(8); i > 0; --i)
      xml += "<Symbol><Name>" + SymbolName() + "</Name><Type>" + TypeRef(types.size()) + "</Type>" + Comment() +
             "</Symbol>";
    return xml + "</Symbols></PlcProjectInfo>";
  }
  uint32_t Below(size_t n) { return static_cast<uint32_t>(rng() % n); }
  std::string Pick(std::initializer_list<const char*> items) { return items.begin()[Below(items.size())]; }

  // Mostly types defined before `self`; now and then itself or a later one, making cycles.
  std::string TypeRef(size_t self) {
    switch (Below(8)) {
      case 0: return Pick({"STRING(5)", "WSTRING(3)", "STRING", "STRING(80)"});
      case 1: return Pick({"NOSUCH", "TIME", "int"});
      case 2:
        if (self < types.size() && Below(2)) return types[self];  // contains itself
        return types.empty() ? "INT" : types[Below(types.size())];
      default:
        if (self > 0 && Below(2)) return types[Below(self)];
        return Pick({"INT", "BOOL", "LREAL", "DINT", "BYTE"});
    }
  }
  std::string Comment() { return Below(2) ? "<Comment>c &amp; &#65;<![CDATA[<d>]]><!-- e --></Comment>" : ""; }
  std::string DataType(size_t index) {
    std::string xml = "<DataType><Name>" + types[index] + "</Name>";
    const uint32_t kind = Below(3);
    if (kind > 0) xml += "<Type>" + TypeRef(index) + "</Type>";
    xml += Comment() + "<BitSize>" + std::to_string(8 * Below(9)) + "</BitSize>";
    for (uint32_t d = kind == 1 ? 1 + Below(3) : 0; d > 0; --d)
      xml += "<ArrayInfo><LBound>" + Pick({"-2", "-1", "0", "1"}) + "</LBound><Elements>" + Pick({"0", "1", "2", "2"}) +
             "</Elements></ArrayInfo>";
    for (uint32_t m = kind == 0 ? 1 + Below(3) : 0; m > 0; --m)
      xml += "<SubItem><Name>" + Pick({"a", "b", "B", "x.y"}) + "</Name><Type>" + TypeRef(index) + "</Type></SubItem>";
    return xml + "</DataType>";
  }
  std::string SymbolName() {
    std::string name = Pick({"MAIN", "main", "PRG", ""});
    for (uint32_t s = 1 + Below(3); s > 0; --s) {
      name += "." + Pick({"a", "b", "A", "v"});
      if (Below(3) == 0) name += Pick({"[0]", "[1]", "[2]", "[-1]", "[0,1]", "[1,-1]"});
    }
    return name;
  }
};

// A full name with an index written from a negative number ("%u" of it).
bool HasNegativeIndex(const std::string& name) {
  for (size_t at = name.find_first_of("[,"); at != std::string::npos; at = name.find_first_of("[,", at + 1))
    if (std::strtoull(name.c_str() + at + 1, nullptr, 10) > INT32_MAX) return true;
  return false;
}

using Leaves = std::vector<std::pair<std::string, bool>>;  // full name, found by that name

// The selectable leaves below a node, in tree order. A leaf is not found by its name when an
// array on its path has a negative bound (bounds compare as unsigned), when its path passes a
// member after a like-named sibling (a name finds the first such member) or a member with an
// empty name (from a plain symbol named like a group made before it: "P.a" after "P.a.b"), or
// when it lies in an array of arrays (the indices "[0][1]" are read as one key).
void CollectLeaves(DEVICE::ITree* node, bool findable, Leaves& out) {
  if (!node) return;
  const uint32_t count = node->GetChildCount();
  for (uint32_t i = 0; i < count; ++i)
    if (DEVICE::ILabel* label = node->GetChild(i)->GetLabel()) findable = findable && !HasNegativeIndex(label->GetName());
  std::set<std::string> seen;
  for (uint32_t i = 0; i < count; ++i) {
    DEVICE::ITree* child = node->GetChild(i);
    DEVICE::ILabel* label = child->GetLabel();
    if (!label) continue;
    const bool reachable = seen.insert(label->GetName()).second && findable && !label->GetName().empty();
    if (child->GetChildCount() > 0) {
      CollectLeaves(child, reachable, out);
    } else if (label->GetDataType() != -1) {
      const std::string name = label->GetFullName();
      out.emplace_back(name, reachable && name.find("][") == std::string::npos);
    }
  }
}

TEST(SymbolFileProperty, AnyFileImportsSelectsAndSavesConsistently) {
  // Named apart from the files of other runs of this test at the same time.
  const auto path = std::filesystem::temp_directory_path() /
                    ("ads_symbol_file_property_" + std::to_string(std::random_device()()) + ".tpy");
  dialog_tests::ScriptedSession session;
  for (uint32_t seed = 1; seed <= 300 && !HasFailure(); ++seed) {
    const std::string file = SymbolFileGenerator{std::mt19937(seed), {}}.File();
    SCOPED_TRACE("seed " + std::to_string(seed) + ": " + file);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
    session.ui.ClearRecords();
    session.out.clear();
    Beckhoff::BeckhoffDeviceCtrl device;
    session.backend.AddScript("import " + path.string() + "\ncancel\n");
    ASSERT_TRUE(device.RunCustomCommand({texts::kTagImport, 0}));
    for (const auto& message : session.ui.messages()) ASSERT_NE(message.text, platform::AnsiToWide(texts::kOpenTagFileFailed));

    // Every top-level row checked: each selectable leaf once, in tree order.
    std::string script;
    Leaves leaves;
    DEVICE::ITree* root = device.GetTagTree();
    for (uint32_t i = 0; root && i < root->GetChildCount(); ++i)
      script += "click " + root->GetChild(i)->GetLabel()->GetFullName() + "\n";
    CollectLeaves(root, true, leaves);
    session.backend.AddScript(script + "ok\n");
    ASSERT_TRUE(device.RunCustomCommand({texts::kTagImport, 0}));
    std::vector<std::string> expected;
    std::set<std::string> taken;
    for (const auto& [name, findable] : leaves) {
      if (!taken.insert(name).second) continue;
      expected.push_back(name);
      DEVICE::ITree* found = findable ? device.FindTag(name) : nullptr;
      EXPECT_EQ(!findable ? name : found ? found->GetLabel()->GetFullName() : "<none>", name);
    }
    EXPECT_EQ(device.Channels().GetChannelNames(), expected);
    for (const std::string& line : session.out) EXPECT_NE(line.rfind("ERROR", 0), 0u) << line;

    // Saved, loaded (the same tree) and saved again (the same bytes).
    DEVICE::ByteArray saved, again;
    ASSERT_TRUE(device.SerializeRunBuffer(saved));
    Beckhoff::BeckhoffDeviceCtrl reloaded;
    reloaded.DeSerializeRunBuffer(saved);
    Leaves reloadedLeaves;
    CollectLeaves(reloaded.GetTagTree(), true, reloadedLeaves);
    EXPECT_TRUE(reloadedLeaves == leaves);
    ASSERT_TRUE(reloaded.SerializeRunBuffer(again));
    EXPECT_EQ(saved, again);
  }
  std::filesystem::remove(path);
}

}  // namespace
