#pragma once
// Reading and writing the host's device byte stream. The stream switches between reading and
// writing on demand; a switch cuts the stored bytes back to the position reached and restarts
// at 0. Writes never shrink the stored bytes, so older bytes past the written data stay.
#include <cstddef>
#include <cstdint>

#include "driver/AdsDriverApi.h"

namespace driver {

// Growth step of the stored bytes when a write runs past their end.
inline constexpr size_t kStreamGrowth = 16534;

bool StreamRead(hostapi::DevDataStream& stream, void* dest, size_t n);
bool StreamWrite(hostapi::DevDataStream& stream, const void* src, size_t n);

}  // namespace driver
