// The whole-process baseline for an import through adshost: pugixml loads a file (automatic
// encoding) and walks every node once. Prints the number of nodes.
//   pugixml_walk FILE
#include <cstdio>
#include <pugixml.hpp>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pugixml_walk FILE\n");
    return 2;
  }
  pugi::xml_document document;
  const pugi::xml_parse_result result = document.load_file(argv[1]);
  if (!result) {
    std::fprintf(stderr, "%s: %s\n", argv[1], result.description());
    return 1;
  }
  unsigned long long nodes = 0;
  pugi::xml_node node = document.first_child();
  while (node) {
    ++nodes;
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && !node.next_sibling()) node = node.parent();
    if (node) node = node.next_sibling();
  }
  std::printf("%llu\n", nodes);
  return 0;
}
