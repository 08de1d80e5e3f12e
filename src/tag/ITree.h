#pragma once
// The framework's view of the tag tree: a node with its structure (ITree) and what is shown
// and used about it (ILabel). Names are narrow strings in the ANSI code page.
#include <cstdint>
#include <string>

namespace DEVICE {

class ILabel {
 public:
  virtual std::string GetName() const = 0;
  virtual std::string GetComment() const = 0;
  // The label data type; -1 when the node holds no elementary value (not selectable).
  virtual int32_t GetDataType() const = 0;
  virtual std::string GetPathName() const = 0;
  virtual std::string GetLongName() const = 0;
  virtual bool IsInArray() const = 0;
  virtual std::string GetFullName() const = 0;
  virtual std::string GetTypeName() const = 0;
  virtual ~ILabel() = default;
};

class ITree {
 public:
  virtual ILabel* GetLabel() = 0;
  virtual ITree* GetParent() = 0;
  virtual uint32_t GetChildCount() const = 0;
  virtual ITree* GetChild(uint32_t index) = 0;
  virtual ITree* Find(const std::string& fullName) = 0;
  virtual ~ITree() = default;
};

}  // namespace DEVICE
