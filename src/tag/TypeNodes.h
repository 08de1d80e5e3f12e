#pragma once
// The type nodes the tag tree walks: elementary types, arrays and structures, each able to
// name, find and type its children and to write itself in the saved form.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "utils/NameIndex.h"
#include "utils/memory.h"

class ITagDataType {
 public:
  virtual std::string GetName() const = 0;
  virtual std::string GetComment() const = 0;
  virtual uint32_t GetTypeCode() const = 0;
  virtual uint32_t GetByteSize() const = 0;
  virtual uint32_t GetMode() const = 0;
  virtual uint32_t GetChildCount() const = 0;
  // The child's index, or -1.
  virtual int64_t FindChild(const std::string& text) const = 0;
  virtual std::string GetChildName(uint32_t index) const = 0;
  virtual ITagDataType* GetChildType(uint32_t index) const = 0;
  // Writes the node; 0, or -1 without a stream.
  virtual int32_t Serialize(utils::imemorywrite* stream) const = 0;
  virtual ~ITagDataType() = default;
};

class BasicType : public ITagDataType {
 public:
  BasicType(std::string name, std::string comment, uint32_t code, uint32_t size)
      : name_(std::move(name)), comment_(std::move(comment)), code_(code), size_(size) {}

  std::string GetName() const override { return name_; }
  std::string GetComment() const override { return comment_; }
  uint32_t GetTypeCode() const override { return code_; }
  uint32_t GetByteSize() const override { return size_; }
  uint32_t GetMode() const override { return mode_; }
  uint32_t GetChildCount() const override { return 0; }
  int64_t FindChild(const std::string&) const override { return -1; }
  std::string GetChildName(uint32_t) const override { return {}; }
  ITagDataType* GetChildType(uint32_t) const override { return nullptr; }
  int32_t Serialize(utils::imemorywrite* stream) const override;

  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::string comment_;
  uint32_t code_;
  uint32_t size_;
  uint32_t mode_ = 2;
};

class ArrayType final : public BasicType {
 public:
  using Dimensions = std::vector<std::pair<uint32_t, uint32_t>>;  // (LBound, UBound)

  ArrayType(std::string name, std::string comment, uint32_t code, uint32_t size, ITagDataType* element,
            Dimensions dimensions)
      : BasicType(std::move(name), std::move(comment), code, size), element_(element), dimensions_(std::move(dimensions)) {}

  // Product of the dimension sizes in unsigned 32-bit arithmetic; 1 without dimensions.
  uint32_t GetChildCount() const override;
  int64_t FindChild(const std::string& text) const override;
  std::string GetChildName(uint32_t index) const override;
  ITagDataType* GetChildType(uint32_t) const override { return element_; }
  int32_t Serialize(utils::imemorywrite* stream) const override;

 private:
  ITagDataType* element_;
  Dimensions dimensions_;
};

class StructType final : public BasicType {
 public:
  struct Member {
    std::string Name;
    ITagDataType* Type;
    std::string Comment;
    uint32_t Index;
  };

  using BasicType::BasicType;

  // Room for `count` members in all, so that adding them moves none.
  void ReserveMembers(size_t count) {
    members_.reserve(count);
    byName_.Reserve(count);
  }
  void AddMember(std::string name, ITagDataType* type, std::string comment);

  uint32_t GetChildCount() const override { return static_cast<uint32_t>(members_.size()); }
  int64_t FindChild(const std::string& text) const override;
  std::string GetChildName(uint32_t index) const override;
  ITagDataType* GetChildType(uint32_t index) const override;
  int32_t Serialize(utils::imemorywrite* stream) const override;

 private:
  std::vector<Member> members_;
  utils::NameIndex byName_;
};
