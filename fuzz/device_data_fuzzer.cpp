// Sectioned device data: the reader accepts or refuses, and every section it hands out lies
// inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/DevSerialize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DevDeserialize reader;
  utils::memoryRef view(data, size);
  if (!reader.Load(view)) return 0;
  for (uint32_t number : {1u, 99u, 100u, 0u, 0xFFFFFFFFu}) {
    utils::MemoryBuffer section;
    if (reader.GetSection(number, section) && section.Size() > size) std::abort();
  }
  return 0;
}
