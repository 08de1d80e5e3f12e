#pragma once
// The whole content of a file, for tests that check what a program wrote; empty when the
// file cannot be read.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
