#include "driver/DataStream.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/System.h"

namespace driver {
namespace {

// Switches a stream that is in mode `from` to mode `to`; a switch keeps only the bytes before
// the position and restarts at 0.
void SwitchMode(hostapi::DevDataStream& stream, uint32_t from, uint32_t to) {
  if (stream.mode != from) return;
  stream.mode = to;
  if (stream.position > 0 && static_cast<size_t>(stream.position) < stream.bytes.size())
    stream.bytes.resize(static_cast<size_t>(stream.position));
  stream.position = 0;
}

// The end of n bytes at the position, when it is representable as a position.
bool EndOf(const hostapi::DevDataStream& stream, size_t n, size_t& end) {
  if (stream.position < 0) return false;
  end = static_cast<size_t>(stream.position) + n;
  return end >= n && end <= static_cast<size_t>(INT32_MAX);
}

}  // namespace

bool StreamRead(hostapi::DevDataStream& stream, void* dest, size_t n) {
  SwitchMode(stream, hostapi::kStreamWriting, hostapi::kStreamReading);
  size_t end = 0;
  if (!EndOf(stream, n, end) || end > stream.bytes.size()) return false;
  if (n != 0) std::memcpy(dest, stream.bytes.data() + stream.position, n);
  stream.position = static_cast<int32_t>(end);
  return true;
}

bool StreamWrite(hostapi::DevDataStream& stream, const void* src, size_t n) {
  SwitchMode(stream, hostapi::kStreamReading, hostapi::kStreamWriting);
  size_t end = 0;
  if (!EndOf(stream, n, end)) return false;
  if (stream.bytes.size() < end) {
    const size_t grown = std::max(stream.bytes.size() + kStreamGrowth, end);
    if (grown > stream.bytes.capacity())  // at least doubled, so that many small writes stay linear
      platform::ReserveForFill(stream.bytes, std::max(grown, 2 * stream.bytes.capacity()));
    stream.bytes.resize(grown, 0);
  }
  if (n != 0) std::memcpy(stream.bytes.data() + stream.position, src, n);
  stream.position = static_cast<int32_t>(end);
  return true;
}

}  // namespace driver
