#include "utils/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>

#include "utils/stream_io.h"

using utils::MemoryBuffer;
using utils::memoryRef;

TEST(memoryRef, ReadsWithinSizeAndRefusesPastEnd) {
  const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  memoryRef ref(bytes, 8);
  unsigned char out[8] = {};
  EXPECT_TRUE(ref.Read(out, 8));
  EXPECT_EQ(0, std::memcmp(out, bytes, 8));
  EXPECT_FALSE(ref.Read(out, 1));
  EXPECT_EQ(4294967295u, ref.SeekRead(8));  // refused, and the position stays
  EXPECT_EQ(8u, ref.ReadPos());
  EXPECT_EQ(7u, ref.SeekRead(7));
  EXPECT_FALSE(ref.Read(out, 2));  // a failed read copies nothing and keeps the position
  EXPECT_EQ(7u, ref.ReadPos());
  EXPECT_TRUE(memoryRef().Read(out, 0));
}

TEST(MemoryBuffer, GrowsByShortfallOrDoubling) {
  MemoryBuffer buffer;
  const unsigned char bytes[16] = {};
  buffer.Write(bytes, 3);
  EXPECT_EQ(3u, buffer.Capacity());
  buffer.Write(bytes, 1);
  EXPECT_EQ(6u, buffer.Capacity());
  buffer.Write(bytes, 10);  // shortfall 8 exceeds the capacity 6: exactly what is needed
  EXPECT_EQ(std::make_tuple(14u, 14u, 14u), std::make_tuple(buffer.Capacity(), buffer.Size(), buffer.WritePos()));
}

TEST(MemoryBuffer, SeeksReturnThePreviousPosition) {
  // Reading: the size itself is a valid position, past it is refused.
  MemoryBuffer buffer;
  const unsigned char bytes[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  buffer.Write(bytes, 8);
  EXPECT_EQ(0u, buffer.SeekRead(8));
  EXPECT_EQ(8u, buffer.SeekRead(9));  // refused, still reports the previous position
  EXPECT_EQ(8u, buffer.SeekRead(2));
  unsigned char out[2];
  ASSERT_TRUE(buffer.Read(out, 2));
  EXPECT_EQ(7, out[0]);

  // Writing beyond the capacity grows it and the size; moving back does not shrink.
  MemoryBuffer written;
  written.Write(bytes, 2);
  EXPECT_EQ(2u, written.SeekWrite(10));
  EXPECT_EQ(std::make_tuple(2u + 2 * 10, 10u), std::make_tuple(written.Capacity(), written.Size()));
  written.Write(bytes, 2);
  EXPECT_EQ(12u, written.SeekWrite(0));
  EXPECT_EQ(12u, written.Size());
  EXPECT_EQ(0, std::memcmp(written.Data() + 10, bytes, 2));
}

TEST(MemoryBuffer, MoveLeavesSourceEmpty) {
  MemoryBuffer source;
  source.Write("abcd", 4);
  MemoryBuffer target(std::move(source));
  EXPECT_EQ(std::make_tuple(nullptr, 0u, 0u, 0u),
            std::make_tuple(source.Data(), source.Size(), source.Capacity(), source.WritePos()));
  MemoryBuffer other;
  other = std::move(target);
  EXPECT_EQ(std::make_tuple(4u, 'c', 0u), std::make_tuple(other.Size(), static_cast<char>(other.Data()[2]), target.Size()));
}

TEST(StreamIo, LittleEndianIntegersAndCountedStrings) {
  MemoryBuffer buffer;
  utils::WriteU32(buffer, 0x01020304);
  utils::WriteString(buffer, "ab");
  const unsigned char expected[] = {4, 3, 2, 1, 2, 0, 0, 0, 'a', 'b'};
  ASSERT_EQ(sizeof expected, buffer.Size());
  EXPECT_EQ(0, std::memcmp(expected, buffer.Data(), sizeof expected));
  uint32_t value = 0;
  std::string text;
  EXPECT_TRUE(utils::ReadU32(buffer, value) && utils::ReadString(buffer, text));
  EXPECT_EQ(std::make_pair(0x01020304u, std::string("ab")), std::make_pair(value, text));

  // A count that runs past the end is refused before anything is allocated.
  const unsigned char hostile[] = {0xFF, 0xFF, 0xFF, 0x7F, 'x'};
  memoryRef ref(hostile, sizeof hostile);
  EXPECT_FALSE(utils::ReadString(ref, text));
}
