#include "device/Property.h"

#include <gtest/gtest.h>

namespace {

using DEVICE::EnumPropertyConfig;
using DEVICE::GeneralPropertyConfig;
using DEVICE::StringPropertyConfig;

std::shared_ptr<DEVICE::stProperty> MakeUnsigned(const char* name, unsigned value, unsigned lo, unsigned hi) {
  auto config = std::make_shared<GeneralPropertyConfig<unsigned>>(name, value);
  config->minimum = lo;
  config->maximum = hi;
  return std::make_shared<PropertyWraper<unsigned int>>(config);
}

std::shared_ptr<DEVICE::stProperty> MakeEnum(const char* name, unsigned index, std::vector<std::string> items) {
  auto config = std::make_shared<EnumPropertyConfig>(name, index);
  for (auto& item : items) config->AddItem(item);
  return std::make_shared<PropertyWraper<EnumPropertyConfig>>(config);
}

std::shared_ptr<DEVICE::stProperty> MakeString(const char* name, std::string text) {
  return std::make_shared<PropertyWraper<StringPropertyConfig>>(std::make_shared<StringPropertyConfig>(name, text));
}

TEST(Property, UnsignedRangeIsInclusiveAndRefusalKeepsValue) {
  auto p = MakeUnsigned("max", 200, 1, 500);
  EXPECT_FALSE(p->SetUInt(0) || p->SetUInt(501));
  EXPECT_TRUE(p->GetUInt() == 200u && p->SetUInt(1) && p->SetUInt(500));
  EXPECT_EQ(p->GetUInt(), 500u);
  EXPECT_EQ(p->GetRange(), std::make_pair(1.0, 500.0));
}

// Items by text and listing are checked through the module's property exports.
TEST(Property, EnumerationIndexStaysInsideTheItems) {
  auto p = MakeEnum("port", 0, {"a", "b", "c"});
  EXPECT_TRUE(p->SetUInt(2) && !p->SetUInt(3));
  EXPECT_EQ(p->GetString(), "c");
  EXPECT_EQ(p->GetRange(), std::make_pair(0.0, 0.0));
  EXPECT_EQ(MakeEnum("e", 7, {"a", "b"})->GetString(), "");  // the initial index is never checked
}

TEST(Property, EnumerationConfigRefusesDuplicateItems) {
  EnumPropertyConfig config("e", 0);
  EXPECT_TRUE(config.AddItem("x") && !config.AddItem("x"));
  EXPECT_EQ(config.Items().size(), 1u);
}

// The number setters hand a string an empty text, which it refuses like any empty text.
TEST(Property, StringRefusesEmptyTextEvenThroughNumbers) {
  auto p = MakeString("ip", "abc");
  EXPECT_FALSE(p->SetUInt(5) || p->SetDouble(1.5));
  EXPECT_EQ(p->GetString(), "abc");
}

TEST(Property, CloneIsIndependentAndKeepsConstraints) {
  auto p = MakeUnsigned("n", 7, 1, 10);
  auto clone = p->Clone();
  EXPECT_TRUE(clone->SetUInt(9) && !clone->SetUInt(11));  // the range came along
  EXPECT_EQ(p->GetUInt(), 7u);
  auto e = MakeEnum("e", 0, {"a", "b"});
  auto eclone = e->Clone();
  eclone->SetString("b");  // the items came along
  EXPECT_EQ(std::make_pair(e->GetUInt(), eclone->GetUInt()), std::make_pair(0u, 1u));
}

TEST(PropertySet, AddLookupAndSet) {
  DevicePropertyConfigWraper set;
  auto a = MakeUnsigned("a", 1, 1, 5);
  auto b = MakeString("b", "x");
  auto c = MakeEnum("c", 0, {"p", "q"});
  for (const auto& p : {b, a, c}) EXPECT_EQ(set.AddProperty(p), 0u);
  EXPECT_EQ(set.AddProperty(MakeString("b", "other")), 1u);
  EXPECT_EQ(set.AddProperty(nullptr), 4u);
  EXPECT_EQ(set.GetProperty("b"), b);  // the first one added, itself
  EXPECT_TRUE(set.GetProperty("zz") == nullptr && set.GetVersion("zz") == 4294967295u);
  // The stored property takes the value of the one given; a value it refuses still reports
  // true and changes nothing.
  EXPECT_TRUE(set.SetProperty("a", MakeUnsigned("a", 4, 0, 100)) && set.SetProperty("a", MakeUnsigned("a", 99, 0, 100)));
  EXPECT_EQ(a->GetUInt(), 4u);
  EXPECT_TRUE(set.SetProperty("c", MakeEnum("c", 1, {"p", "q"})));
  EXPECT_EQ(c->GetString(), "q");
  EXPECT_FALSE(set.SetProperty("zz", a) || set.SetProperty("a", nullptr));
}

}  // namespace
