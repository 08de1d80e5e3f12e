#pragma once
// Typed, validated device properties: value constraints (configs), the property records the
// rest of the system handles (stProperty / PropertyWraper) and the per-device property set.
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace DEVICE {

// Property type codes (what the host boundary and the serializer switch on).
enum PropertyType : uint32_t { kPropUnsigned = 0, kPropDouble = 1, kPropString = 2, kPropEnum = 3 };
// Config type codes; a different numbering from the property type codes.
enum ConfigType : uint32_t { kConfigUnsigned = 1, kConfigString = 3, kConfigEnum = 4 };

// One value slot of a config: an 8-byte number (an unsigned in its low word, or a double)
// and a text for string configs.
struct PropertyValue {
  uint64_t number = 0;
  std::string text;

  static PropertyValue FromUInt(uint32_t value) { return {value, {}}; }
  static PropertyValue FromDouble(double value) { return {std::bit_cast<uint64_t>(value), {}}; }
  static PropertyValue FromText(std::string value) { return {0, std::move(value)}; }
  uint32_t AsUInt() const { return static_cast<uint32_t>(number); }
  double AsDouble() const { return std::bit_cast<double>(number); }
};

class IPropertyConfig {
 public:
  virtual const std::string& GetName() const = 0;
  virtual uint32_t GetType() const = 0;
  virtual uint32_t GetFlag() const = 0;
  virtual void SetFlag(uint32_t flag) = 0;
  virtual bool SetValue(const PropertyValue& value) = 0;
  virtual const PropertyValue& GetValue() const = 0;
  virtual const PropertyValue& GetDefault() const = 0;

 protected:
  // Always owned by a shared pointer made for the concrete class.
  ~IPropertyConfig() = default;
};

template <typename T>
class PropertyConfig : public IPropertyConfig {
 public:
  PropertyConfig(const char* name, const T& initial) : name_(name) {
    if constexpr (std::is_same_v<T, std::string>) {
      default_.text = initial;
    } else {
      default_.number = initial;
    }
    current_ = default_;
  }

  const std::string& GetName() const override { return name_; }
  uint32_t GetType() const override {
    return std::is_same_v<T, std::string> ? kConfigString : kConfigUnsigned;
  }
  uint32_t GetFlag() const override { return flag_; }
  void SetFlag(uint32_t flag) override { flag_ = flag; }
  bool SetValue(const PropertyValue& value) override {
    if constexpr (std::is_same_v<T, std::string>) {
      if (!IsValid(value.text)) return false;
      current_.text = value.text;
    } else {
      const T number = value.AsUInt();
      if (!IsValid(number)) return false;
      current_.number = number;
    }
    return true;
  }
  const PropertyValue& GetValue() const override { return current_; }
  const PropertyValue& GetDefault() const override { return default_; }
  virtual bool IsValid(const T& value) const = 0;

 protected:
  ~PropertyConfig() = default;

 private:
  std::string name_;
  uint32_t flag_ = 1;
  PropertyValue default_;
  PropertyValue current_;
};

template <typename T>
class GeneralPropertyConfig;

template <>
class GeneralPropertyConfig<unsigned> final : public PropertyConfig<unsigned> {
 public:
  using PropertyConfig<unsigned>::PropertyConfig;
  bool IsValid(const unsigned& value) const override { return minimum <= value && value <= maximum; }
  unsigned minimum = 0;
  unsigned maximum = 0;
};

class StringPropertyConfig final : public PropertyConfig<std::string> {
 public:
  using PropertyConfig<std::string>::PropertyConfig;
  bool IsValid(const std::string& value) const override { return !value.empty(); }
};

class EnumPropertyConfig final : public PropertyConfig<unsigned> {
 public:
  using PropertyConfig<unsigned>::PropertyConfig;
  uint32_t GetType() const override { return kConfigEnum; }
  bool IsValid(const unsigned& index) const override { return index < items_.size(); }
  // Appends an item; false (and no change) when an item of exactly that text exists.
  bool AddItem(const std::string& item);
  const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

struct stProperty {
  virtual std::shared_ptr<stProperty> Clone() const = 0;
  virtual std::string GetName() const = 0;
  virtual uint32_t GetType() const = 0;
  virtual uint32_t GetUInt() const = 0;
  virtual bool SetUInt(uint32_t value) = 0;
  virtual std::string GetString() const = 0;
  virtual void SetString(const std::string& text) = 0;
  virtual double GetDouble() const = 0;
  virtual bool SetDouble(double value) = 0;
  virtual std::pair<double, double> GetRange() const = 0;
  virtual std::vector<std::string> GetEnumItems() const = 0;
  virtual std::string GetReservedText() const { return {}; }
  virtual uint32_t GetReservedWord1() const { return 2; }
  virtual uint32_t GetReservedWord2() const { return 0; }
  virtual ~stProperty() = default;
};

}  // namespace DEVICE

// The property record over one kind of config: unsigned int (a GeneralPropertyConfig),
// StringPropertyConfig or EnumPropertyConfig.
template <typename C>
class PropertyWraper final : public DEVICE::stProperty {
  using Config = std::conditional_t<std::is_same_v<C, unsigned int>, DEVICE::GeneralPropertyConfig<unsigned>, C>;

 public:
  explicit PropertyWraper(std::shared_ptr<Config> config) : config_(std::move(config)) {}

  std::shared_ptr<DEVICE::stProperty> Clone() const override {
    return std::make_shared<PropertyWraper<C>>(std::make_shared<Config>(*config_));
  }
  std::string GetName() const override { return config_->GetName(); }
  uint32_t GetType() const override {
    if constexpr (std::is_same_v<Config, DEVICE::StringPropertyConfig>) return DEVICE::kPropString;
    if constexpr (std::is_same_v<Config, DEVICE::EnumPropertyConfig>) return DEVICE::kPropEnum;
    return DEVICE::kPropUnsigned;
  }
  uint32_t GetUInt() const override { return config_->GetValue().AsUInt(); }
  bool SetUInt(uint32_t value) override { return config_->SetValue(DEVICE::PropertyValue::FromUInt(value)); }
  double GetDouble() const override { return config_->GetValue().AsDouble(); }
  bool SetDouble(double value) override { return config_->SetValue(DEVICE::PropertyValue::FromDouble(value)); }

  std::string GetString() const override {
    if constexpr (std::is_same_v<Config, DEVICE::StringPropertyConfig>) {
      return config_->GetValue().text;
    } else if constexpr (std::is_same_v<Config, DEVICE::EnumPropertyConfig>) {
      const auto& items = config_->Items();
      const uint32_t index = config_->GetValue().AsUInt();
      return index < items.size() ? items[index] : std::string();
    } else {
      return {};
    }
  }

  void SetString(const std::string& text) override {
    if constexpr (std::is_same_v<Config, DEVICE::StringPropertyConfig>) {
      if (!text.empty()) config_->SetValue(DEVICE::PropertyValue::FromText(text));
    } else if constexpr (std::is_same_v<Config, DEVICE::EnumPropertyConfig>) {
      // Every matching item is applied in order, so with duplicates the last one wins.
      const auto& items = config_->Items();
      for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) config_->SetValue(DEVICE::PropertyValue::FromUInt(static_cast<uint32_t>(i)));
    } else {
      (void)text;  // numeric properties are never set from text
    }
  }

  std::pair<double, double> GetRange() const override {
    if constexpr (std::is_same_v<Config, DEVICE::GeneralPropertyConfig<unsigned>>)
      return {static_cast<double>(config_->minimum), static_cast<double>(config_->maximum)};
    return {0.0, 0.0};
  }

  std::vector<std::string> GetEnumItems() const override {
    if constexpr (std::is_same_v<Config, DEVICE::EnumPropertyConfig>) return config_->Items();
    return {};
  }

  const Config& config() const { return *config_; }

 private:
  std::shared_ptr<Config> config_;
};

// The properties of one device: lookups by name, a listing in order of addition (the order
// given to the host and the serializer), and a version per property.
class DevicePropertyConfigWraper {
 public:
  using PropertyList = std::vector<std::pair<std::string, std::shared_ptr<DEVICE::stProperty>>>;

  static constexpr uint32_t kNoVersion = 4294967295u;

  // 0 added; 1 a property of that name exists; 4 empty pointer.
  uint32_t AddProperty(const std::shared_ptr<DEVICE::stProperty>& property);
  std::shared_ptr<DEVICE::stProperty> GetProperty(const std::string& name) const;
  bool SetProperty(const std::string& name, const std::shared_ptr<DEVICE::stProperty>& source);
  PropertyList GetPropertyList() const { return listing_; }
  uint32_t GetVersion(const std::string& name) const;

 private:
  std::unordered_map<std::string, std::shared_ptr<DEVICE::stProperty>> index_;
  PropertyList listing_;
  std::unordered_map<std::string, uint32_t> versions_;
};
