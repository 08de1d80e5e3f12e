#include "tagselect/TakenNames.h"

#include <functional>
#include <stdexcept>
#include <string_view>

#include "platform/System.h"
#include "platform/Text.h"

namespace DEVICE {

namespace {

constexpr size_t kMaxNames = 0x7FFFFFFF;
constexpr uint64_t kEmpty = ~uint64_t{0};

// A slot holds the upper half of the name's hash and, below it, the name's index.
uint64_t Slot(uint64_t hash, size_t index) { return (hash & 0xFFFFFFFF00000000u) | index; }

uint64_t Hash(std::string_view name) { return std::hash<std::string_view>{}(name); }

}  // namespace

TakenNames::TakenNames(std::vector<std::u16string>& names, size_t expected) : names_(names), base_(names.size()) {
  if (expected >= kMaxNames) throw std::length_error("too many tag names");
  names_.reserve(base_ + expected);
  platform::AdviseBulkFill(names_.data() + base_, expected * sizeof(std::u16string));
  labels_.reserve(expected);
  platform::AdviseBulkFill(labels_.data(), expected * sizeof(ILabel*));
  size_t slots = 1024;
  while (slots < 2 * expected) slots *= 2;
  slots_.reserve(slots);
  platform::AdviseBulkFill(slots_.data(), slots * sizeof(uint64_t));
  slots_.assign(slots, kEmpty);
}

void TakenNames::Take(ILabel& label) {
  Candidate& candidate = waiting_[next_];
  if (waitingCount_ == kAhead)
    Place(candidate);
  else
    ++waitingCount_;
  candidate.label = &label;
  candidate.name = label.GetFullName();
  candidate.hash = Hash(candidate.name);
  candidate.wide = platform::AnsiToWide(candidate.name);
  platform::PrefetchForRead(&slots_[static_cast<size_t>(candidate.hash) & (slots_.size() - 1)]);
  next_ = (next_ + 1) % kAhead;
}

void TakenNames::Finish() {
  for (size_t i = 0; i < waitingCount_; ++i) Place(waiting_[(next_ + kAhead - waitingCount_ + i) % kAhead]);
  waitingCount_ = 0;
}

void TakenNames::Place(Candidate& candidate) {
  if (2 * (labels_.size() + 1) > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  for (size_t at = static_cast<size_t>(candidate.hash) & mask;; at = (at + 1) & mask) {
    const uint64_t slot = slots_[at];
    if (slot == kEmpty) {
      slots_[at] = Slot(candidate.hash, labels_.size());
      labels_.push_back(candidate.label);
      names_.push_back(std::move(candidate.wide));
      return;
    }
    if ((slot ^ candidate.hash) >> 32 != 0) continue;
    const size_t index = static_cast<uint32_t>(slot);
    if (names_[base_ + index] == candidate.wide && labels_[index]->GetFullName() == candidate.name) return;
  }
}

// Only when more names come than were counted: doubles the table.
void TakenNames::Grow() {
  if (labels_.size() >= kMaxNames / 2) throw std::length_error("too many tag names");
  std::vector<uint64_t> slots(2 * slots_.size(), kEmpty);
  const size_t mask = slots.size() - 1;
  for (size_t i = 0; i < labels_.size(); ++i) {
    const uint64_t hash = Hash(labels_[i]->GetFullName());
    size_t at = static_cast<size_t>(hash) & mask;
    while (slots[at] != kEmpty) at = (at + 1) & mask;
    slots[at] = Slot(hash, i);
  }
  slots_ = std::move(slots);
}

}  // namespace DEVICE
