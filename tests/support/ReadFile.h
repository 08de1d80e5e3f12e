#pragma once
// Whole files for tests that check what a program wrote: Slurp reads one (empty when it
// cannot be read), Store replaces one.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Store(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
