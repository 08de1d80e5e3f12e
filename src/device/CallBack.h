#pragma once
// A command that one of the device's dialogs can run; Execute tells whether anything changed.

namespace DEVICE {

class stCallBack {
 public:
  virtual bool Execute() = 0;

 protected:
  ~stCallBack() = default;  // never deleted through the interface
};

}  // namespace DEVICE
