#include "utils/memory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace utils {

uint64_t memoryRef::SeekRead(uint64_t pos) {
  if (pos >= size_) return kSeekFailed;
  readPos_ = pos;
  return pos;
}

bool memoryRef::Read(void* dst, uint64_t n) {
  if (n > size_ - readPos_) return false;
  if (n) std::memcpy(dst, data_ + readPos_, n);
  readPos_ += n;
  return true;
}

MemoryBuffer::~MemoryBuffer() { std::free(data_); }

MemoryBuffer::MemoryBuffer(MemoryBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      readPos_(std::exchange(other.readPos_, 0)),
      writePos_(std::exchange(other.writePos_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

MemoryBuffer& MemoryBuffer::operator=(MemoryBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    readPos_ = std::exchange(other.readPos_, 0);
    writePos_ = std::exchange(other.writePos_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void MemoryBuffer::Reset() { *this = MemoryBuffer(); }

uint64_t MemoryBuffer::SeekRead(uint64_t pos) {
  uint64_t previous = readPos_;
  if (pos <= size_) readPos_ = pos;
  return previous;
}

bool MemoryBuffer::Read(void* dst, uint64_t n) {
  if (n > size_ - readPos_) return false;
  if (n) std::memcpy(dst, data_ + readPos_, n);
  readPos_ += n;
  return true;
}

void MemoryBuffer::Reallocate(uint64_t capacity) {
  if (capacity > SIZE_MAX) throw std::bad_alloc();
  void* block = std::realloc(data_, static_cast<size_t>(capacity));
  if (!block) throw std::bad_alloc();
  data_ = static_cast<unsigned char*>(block);
  capacity_ = capacity;
}

uint64_t MemoryBuffer::SeekWrite(uint64_t pos) {
  if (pos > capacity_) {
    if (pos > (UINT64_MAX - capacity_) / 2) throw std::bad_alloc();
    Reallocate(capacity_ + 2 * pos);
  }
  uint64_t previous = writePos_;
  writePos_ = pos;
  if (pos > size_) size_ = pos;
  return previous;
}

void MemoryBuffer::Write(const void* src, uint64_t n) {
  if (n > UINT64_MAX - writePos_) throw std::bad_alloc();
  uint64_t end = writePos_ + n;
  if (end > capacity_) {
    uint64_t shortfall = end - capacity_;
    Reallocate(shortfall > capacity_ ? end : 2 * capacity_);
  }
  if (n) std::memcpy(data_ + writePos_, src, n);
  writePos_ = end;
  if (end > size_) size_ = end;
}

}  // namespace utils
