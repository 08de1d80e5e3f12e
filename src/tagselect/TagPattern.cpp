#include "tagselect/TagPattern.h"

#include <cstdint>

namespace DEVICE {

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Matches one bracket set starting at pattern[at] == '['. Returns the index after the set,
// or npos when the set is not closed (then '[' is an ordinary character).
size_t MatchSet(std::string_view pattern, size_t at, unsigned char c, bool& matched) {
  size_t i = at + 1;
  bool negate = false;
  if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
    negate = true;
    ++i;
  }
  bool found = false;
  bool first = true;
  while (i < pattern.size() && (first || pattern[i] != ']')) {
    first = false;
    unsigned char low = Fold(static_cast<unsigned char>(pattern[i]));
    unsigned char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      high = Fold(static_cast<unsigned char>(pattern[i + 2]));
      i += 3;
    } else {
      ++i;
    }
    if (low <= c && c <= high) found = true;
  }
  if (i >= pattern.size()) return std::string_view::npos;
  matched = found != negate;
  return i + 1;
}

// Visits the nodes below `top` depth first, children in order, without recursion; visit(node)
// says whether to go on below that node.
template <typename Visit>
void WalkBelow(ITree* top, Visit visit) {
  struct Frame {
    ITree* node;
    uint32_t next;
  };
  std::vector<Frame> frames{{top, 0}};
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next >= frame.node->GetChildCount()) {
      frames.pop_back();
      continue;
    }
    ITree* child = frame.node->GetChild(frame.next++);
    if (child && visit(child)) frames.push_back({child, 0});
  }
}

void AppendLeaves(ITree* top, std::vector<ITree*>& leaves) {
  if (top->GetChildCount() == 0) {
    leaves.push_back(top);
    return;
  }
  WalkBelow(top, [&leaves](ITree* child) {
    if (child->GetChildCount() > 0) return true;
    leaves.push_back(child);
    return false;
  });
}

}  // namespace

// Iterative matching with one backtrack point: the position after the last "*" and the
// text position it currently swallows up to. Without path or period rules one point is enough.
bool MatchPattern(std::string_view pattern, std::string_view text) {
  size_t p = 0;
  size_t t = 0;
  size_t starP = std::string_view::npos;
  size_t starT = 0;
  while (t < text.size()) {
    const unsigned char c = Fold(static_cast<unsigned char>(text[t]));
    if (p < pattern.size()) {
      const char pc = pattern[p];
      if (pc == '*') {
        starP = ++p;
        starT = t;
        continue;
      }
      if (pc == '?') {
        ++p;
        ++t;
        continue;
      }
      if (pc == '[') {
        bool matched = false;
        const size_t after = MatchSet(pattern, p, c, matched);
        if (after == std::string_view::npos) {
          if (c == '[') {
            ++p;
            ++t;
            continue;
          }
        } else if (matched) {
          p = after;
          ++t;
          continue;
        }
      } else if (Fold(static_cast<unsigned char>(pc)) == c) {
        ++p;
        ++t;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void FindLeavesByPattern(ITree* node, std::string_view pattern, std::vector<ITree*>& leaves) {
  if (!node) return;
  WalkBelow(node, [&](ITree* child) {
    ILabel* label = child->GetLabel();
    if (!label || !MatchPattern(pattern, label->GetName())) return true;
    AppendLeaves(child, leaves);
    return false;
  });
}

bool SamePatternIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace DEVICE
