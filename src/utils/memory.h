#pragma once
// Byte streams over blocks in memory: a read-only view over bytes owned by someone else
// (memoryRef) and a growable owned buffer (MemoryBuffer). Sizes and positions are 64-bit.
#include <cstdint>

namespace utils {

class imemory {
 public:
  virtual uint64_t Size() const = 0;
  virtual const unsigned char* Data() const = 0;
  virtual uint64_t ReadPos() const = 0;

 protected:
  ~imemory() = default;
};

class imemoryread : public imemory {
 public:
  virtual uint64_t SeekRead(uint64_t pos) = 0;
  virtual bool Read(void* dst, uint64_t n) = 0;

 protected:
  ~imemoryread() = default;
};

class imemorywrite : public imemoryread {
 public:
  virtual uint64_t WritePos() const = 0;
  virtual uint64_t SeekWrite(uint64_t pos) = 0;
  virtual void Write(const void* src, uint64_t n) = 0;
  virtual unsigned char* Buffer() = 0;

 protected:
  ~imemorywrite() = default;
};

// Returned by memoryRef::SeekRead for a position outside the data: 0xFFFFFFFF, not all ones.
inline constexpr uint64_t kSeekFailed = 4294967295u;

class memoryRef final : public imemoryread {
 public:
  memoryRef() = default;
  memoryRef(const void* data, uint64_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}

  uint64_t Size() const override { return size_; }
  const unsigned char* Data() const override { return data_; }
  uint64_t ReadPos() const override { return readPos_; }
  uint64_t SeekRead(uint64_t pos) override;
  bool Read(void* dst, uint64_t n) override;

 private:
  const unsigned char* data_ = nullptr;
  uint64_t size_ = 0;
  uint64_t readPos_ = 0;
};

class MemoryBuffer final : public imemorywrite {
 public:
  MemoryBuffer() = default;
  ~MemoryBuffer();
  MemoryBuffer(MemoryBuffer&& other) noexcept;
  MemoryBuffer& operator=(MemoryBuffer&& other) noexcept;
  MemoryBuffer(const MemoryBuffer&) = delete;
  MemoryBuffer& operator=(const MemoryBuffer&) = delete;

  uint64_t Size() const override { return size_; }
  const unsigned char* Data() const override { return data_; }
  uint64_t ReadPos() const override { return readPos_; }
  uint64_t SeekRead(uint64_t pos) override;
  bool Read(void* dst, uint64_t n) override;
  uint64_t WritePos() const override { return writePos_; }
  uint64_t SeekWrite(uint64_t pos) override;
  void Write(const void* src, uint64_t n) override;
  unsigned char* Buffer() override { return data_; }

  uint64_t Capacity() const { return capacity_; }
  // Makes room for at least `capacity` bytes in all.
  void Reserve(uint64_t capacity) {
    if (capacity > capacity_) Reallocate(capacity);
  }
  // Empties the buffer and frees its block.
  void Reset();

 private:
  // Resizes the block; throws std::bad_alloc when the heap cannot supply it, so nothing is
  // ever written through a failed allocation.
  void Reallocate(uint64_t capacity);

  unsigned char* data_ = nullptr;
  uint64_t size_ = 0;
  uint64_t readPos_ = 0;
  uint64_t writePos_ = 0;
  uint64_t capacity_ = 0;
};

}  // namespace utils
