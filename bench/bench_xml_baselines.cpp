// The baselines the XML reader is measured against, on the same bytes in memory: pugixml
// (built for narrow characters on this system, so every element name and text is converted
// to wide characters after the load, which is what a wide-character reader hands its caller)
// and libxml2's document reader.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <pugixml.hpp>
#include <string>

#include "bench_data.h"
#include "bench_xml_sets.h"
#include "bench_counters.h"

namespace {

// Walks the whole tree without recursion and converts every name and value.
size_t ConvertAllToWide(const pugi::xml_document& document) {
  size_t units = 0;
  pugi::xml_node node = document.first_child();
  while (node) {
    units += pugi::as_wide(node.name()).size();
    units += pugi::as_wide(node.value()).size();
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && !node.next_sibling()) node = node.parent();
    if (node) node = node.next_sibling();
  }
  return units;
}

void PugixmlWide(benchmark::State& state, const bench::XmlSet& set) {
  const bench::Dataset& data = bench::GetDataset(set.preset, set.encoding);
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(data.bytes.data(), data.bytes.size());
    if (!result) state.SkipWithError(result.description());
    benchmark::DoNotOptimize(ConvertAllToWide(document));
  }
  bench::SetXmlCounters(state, data);
}

void PugixmlNarrow(benchmark::State& state, const bench::XmlSet& set) {
  const bench::Dataset& data = bench::GetDataset(set.preset, set.encoding);
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(data.bytes.data(), data.bytes.size());
    if (!result) state.SkipWithError(result.description());
    benchmark::DoNotOptimize(document.first_child().name());
  }
  bench::SetXmlCounters(state, data);
}

void Libxml2(benchmark::State& state, const bench::XmlSet& set) {
  const bench::Dataset& data = bench::GetDataset(set.preset, set.encoding);
  xmlInitParser();
  for (auto _ : state) {
    xmlDocPtr document = xmlReadMemory(data.bytes.data(), static_cast<int>(data.bytes.size()), "bench.xml",
                                       nullptr, XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOWARNING);
    if (!document) state.SkipWithError("libxml2 refused the document");
    benchmark::DoNotOptimize(document);
    xmlFreeDoc(document);
  }
  bench::SetXmlCounters(state, data);
}

const bool registered = [] {
  for (const bench::XmlSet& set : bench::XmlSets()) {
    const std::string name = bench::DatasetName(set);
    if (set.encoding != tpygen::Encoding::Gbk) {
      benchmark::RegisterBenchmark(("xml/pugixml_wide/" + name).c_str(), PugixmlWide, set)
          ->Unit(benchmark::kMillisecond)->UseRealTime();
      benchmark::RegisterBenchmark(("xml/pugixml_narrow/" + name).c_str(), PugixmlNarrow, set)
          ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark(("xml/libxml2/" + name).c_str(), Libxml2, set)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  return true;
}();

}  // namespace
