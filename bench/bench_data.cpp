#include "bench_data.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>

namespace bench {
namespace {

std::string& DataDirectory() {
  static std::string directory = (std::filesystem::temp_directory_path() / "ads_bench").string();
  return directory;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::error_code ignored;
  if (std::filesystem::file_size(path, ignored) == bytes.size()) {
    std::ifstream in(path, std::ios::binary);
    std::string existing(bytes.size(), '\0');
    in.read(existing.data(), static_cast<std::streamsize>(existing.size()));
    if (in && existing == bytes) return;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void SetDataDirectory(const std::string& directory) { DataDirectory() = directory; }

const Dataset& GetDataset(const std::string& preset, tpygen::Encoding encoding) {
  static std::map<std::string, std::unique_ptr<Dataset>> cache;
  std::string name = preset;
  if (encoding != tpygen::Encoding::Utf8) name.append("-").append(tpygen::EncodingName(encoding));
  auto& slot = cache[name];
  if (slot) return *slot;

  tpygen::Options options;
  if (!tpygen::PresetOptions(preset, options)) throw std::runtime_error("unknown preset " + preset);
  options.encoding = encoding;
  tpygen::Result result = tpygen::Generate(options);

  std::filesystem::create_directories(DataDirectory());
  auto dataset = std::make_unique<Dataset>();
  dataset->name = name;
  dataset->path = (std::filesystem::path(DataDirectory()) / (name + ".tpy")).string();
  dataset->bytes = std::move(result.bytes);
  dataset->stats = result.stats;
  WriteFile(dataset->path, dataset->bytes);
  std::fprintf(stderr, "dataset %s: %zu bytes, %zu symbols, %zu tree nodes, %zu leaves\n",
               name.c_str(), dataset->stats.bytes, dataset->stats.symbols, dataset->stats.treeNodes,
               dataset->stats.leaves);
  slot = std::move(dataset);
  return *slot;
}

}  // namespace bench
