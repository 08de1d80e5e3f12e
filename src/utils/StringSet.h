#pragma once
// A set of byte strings for dropping repeats from long lists of names. The strings are kept
// one after another in a single buffer and found again through an open-addressing table of
// their positions: no allocation per string, and a string is compared only when the upper
// half of its hash matches, where a node set compares long common prefixes at every level
// and frees every node on its own.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace utils {

class StringSet {
 public:
  // Adds the text; false when it is in the set already.
  bool Insert(std::string_view text) {
    const uint64_t hash = std::hash<std::string_view>{}(text);
    if (2 * (entries_.size() + 1) > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
      const uint64_t slot = slots_[at];
      if (slot == kEmpty) {
        slots_[at] = Slot(hash, entries_.size());
        entries_.push_back({bytes_.size(), text.size(), hash});
        bytes_.append(text);
        return true;
      }
      if ((slot ^ hash) >> 32 != 0) continue;
      const Entry& entry = entries_[static_cast<uint32_t>(slot)];
      if (std::string_view(bytes_).substr(entry.begin, entry.length) == text) return false;
    }
  }

  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    size_t begin;
    size_t length;
    uint64_t hash;
  };
  // A slot holds the upper half of the entry's hash and, below it, the entry's index.
  static constexpr uint64_t kEmpty = ~uint64_t{0};
  static uint64_t Slot(uint64_t hash, size_t index) { return (hash & 0xFFFFFFFF00000000u) | index; }

  // Doubles the table (at least 1024 slots) and places the entries again by their hashes.
  void Grow() {
    if (entries_.size() >= 0x7FFFFFFF) throw std::length_error("StringSet: too many strings");
    std::vector<uint64_t> slots(slots_.empty() ? 1024 : 2 * slots_.size(), kEmpty);
    const size_t mask = slots.size() - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
      size_t at = static_cast<size_t>(entries_[i].hash) & mask;
      while (slots[at] != kEmpty) at = (at + 1) & mask;
      slots[at] = Slot(entries_[i].hash, i);
    }
    slots_ = std::move(slots);
  }

  std::string bytes_;
  std::vector<Entry> entries_;
  std::vector<uint64_t> slots_;
};

}  // namespace utils
