#include "tests/support/hand_made_system_data.h"

namespace {

class ImageWriter {
 public:
  void Word(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Name(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  }
  // Count and byte length of a block whose body another writer holds.
  void Block(std::uint32_t count, const ImageWriter& body) {
    Word(count);
    Word(static_cast<std::uint32_t>(body.bytes.size()));
    bytes.insert(bytes.end(), body.bytes.begin(), body.bytes.end());
  }
  std::vector<std::uint8_t> bytes;
};

}  // namespace

std::vector<std::uint8_t> HandMadeSystemData(const std::vector<HandMadeGlobal>& globals,
                                             const std::vector<std::string>& pictures,
                                             const std::vector<std::string>& scripts,
                                             const std::vector<HandMadeReadMarks>& readMarks) {
  ImageWriter out;
  out.bytes = {'S', 'T', 'S', '0'};
  out.Word(static_cast<std::uint32_t>(globals.size()));
  for (const HandMadeGlobal& g : globals) {
    out.Name(g.name);
    out.Word(static_cast<std::uint32_t>(g.value));
  }
  for (const std::vector<std::string>* list : {&pictures, &scripts}) {
    ImageWriter names;
    for (const std::string& s : *list) names.Name(s);
    out.Block(static_cast<std::uint32_t>(list->size()), names);
  }
  ImageWriter sets;
  for (const HandMadeReadMarks& set : readMarks) {
    sets.Name(set.script);
    sets.Word(static_cast<std::uint32_t>(set.positions.size()));
    for (const std::uint32_t p : set.positions) sets.Word(p);
  }
  out.Block(static_cast<std::uint32_t>(readMarks.size()), sets);
  return out.bytes;
}
