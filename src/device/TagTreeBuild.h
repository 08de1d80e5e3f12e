#pragma once
// The outcome of rebuilding a device's tag tree from a parsed symbol file, returned by the
// call that did it: no refusal when the new tree replaced the old one; otherwise the message
// (ANSI) saying why the device kept its previous tree.
#include <functional>
#include <memory>

class Fileparser;

namespace DEVICE {

struct [[nodiscard]] TagTreeBuild {
  const char* refusal = nullptr;
  bool Built() const { return refusal == nullptr; }
};

// What the import command asks of its device: rebuild the tree from the parser.
using TagTreeBuilder = std::function<TagTreeBuild(std::shared_ptr<Fileparser>)>;

}  // namespace DEVICE
