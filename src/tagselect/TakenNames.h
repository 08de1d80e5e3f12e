#pragma once
// The names the dialog's OK yields, each once, in the order they come.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tag/ITree.h"

namespace DEVICE {

// Receives the labels of the leaves the dialog's OK yields, in row order, repeats included.
struct SelectedLeafSink {
  virtual void Take(ILabel& label) = 0;

 protected:
  ~SelectedLeafSink() = default;
};

// Appends the wide full name of each label taken to `names`, unless an equal name was taken
// before. A table of the names' positions, keyed by the hash of the narrow full name, finds
// repeats: a candidate is compared as wide text and, when equal, confirmed on the narrow full
// name of the label it came from (two narrow names may convert to the same wide one).
// Everything is allocated once, from the `expected` count of a first walk: on a million names
// the page faults of growing buffers cost more than the walk. A name waits a few names before
// it is placed, while the table's memory for it is fetched: the table is far larger than the
// caches, and that load was the largest single cost of OK. Call Finish after the last name.
class TakenNames final : public SelectedLeafSink {
 public:
  // Throws std::length_error when `expected` is beyond what the table can index.
  TakenNames(std::vector<std::u16string>& names, size_t expected);

  void Take(ILabel& label) override;
  // Places the names still waiting, oldest first.
  void Finish();

 private:
  static constexpr size_t kAhead = 8;
  struct Candidate {
    ILabel* label = nullptr;
    std::string name;
    std::u16string wide;
    uint64_t hash = 0;
  };

  void Place(Candidate& candidate);
  void Grow();

  std::vector<std::u16string>& names_;
  const size_t base_;
  std::vector<ILabel*> labels_;
  std::vector<uint64_t> slots_;
  std::array<Candidate, kAhead> waiting_;
  size_t waitingCount_ = 0;
  size_t next_ = 0;
};

}  // namespace DEVICE
