#pragma once
// An index from names to the position of their first occurrence in a sequence the caller keeps:
// the names are not copied, and the index holds two 32-bit words per slot in one array (open
// addressing), so a structure of a hundred thousand members costs no allocation per member.
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace utils {

class NameIndex {
 public:
  // Room for `count` names without growing.
  void Reserve(size_t count) {
    if (count > CapacityFor(slots_.size())) Rehash(SlotsFor(count));
  }

  // The position recorded for `name`, or -1. `nameAt(position)` gives the name at a position.
  template <class NameAt>
  int64_t Find(std::string_view name, const NameAt& nameAt) const {
    if (slots_.empty()) return -1;
    const uint32_t hash = HashOf(name);
    for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = slots_[i];
      if (slot.position == kEmpty) return -1;
      if (slot.hash == hash && nameAt(slot.position) == name) return slot.position;
    }
  }

  // Records `position` for `name` unless the name is there already; returns the position
  // recorded for it and whether it was this one.
  template <class NameAt>
  std::pair<uint32_t, bool> Add(std::string_view name, uint32_t position, const NameAt& nameAt) {
    if (used_ + 1 > CapacityFor(slots_.size())) Rehash(SlotsFor(used_ + 1));
    const uint32_t hash = HashOf(name);
    for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      Slot& slot = slots_[i];
      if (slot.position == kEmpty) {
        slot = {position, hash};
        ++used_;
        return {position, true};
      }
      if (slot.hash == hash && nameAt(slot.position) == name) return {slot.position, false};
    }
  }

 private:
  struct Slot {
    uint32_t position;
    uint32_t hash;
  };
  static constexpr uint32_t kEmpty = UINT32_MAX;

  static uint32_t HashOf(std::string_view name) {
    const uint64_t h = std::hash<std::string_view>{}(name);  // 32 bits on a 32-bit platform
    return static_cast<uint32_t>(h ^ (h >> 32));
  }
  // At most three quarters of the slots are used.
  static size_t CapacityFor(size_t slots) { return slots / 4 * 3; }
  static size_t SlotsFor(size_t count) {
    size_t slots = 16;
    while (CapacityFor(slots) < count) slots *= 2;
    return slots;
  }
  size_t Mask() const { return slots_.size() - 1; }

  void Rehash(size_t slots) {
    std::vector<Slot> old(slots, Slot{kEmpty, 0});
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.position == kEmpty) continue;
      size_t i = slot.hash & Mask();
      while (slots_[i].position != kEmpty) i = (i + 1) & Mask();
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  size_t used_ = 0;
};

}  // namespace utils
