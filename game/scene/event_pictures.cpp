#include "game/scene/event_pictures.h"

#include <cstdio>
#include <cstring>

#include "common/sjis_string.h"

namespace {

// A name alone (last 0), or the numbered run stem + "1" .. stem + last.
struct EventPictureRun {
  const char* stem;
  int last;
};

constexpr EventPictureRun kEventPictures[] = {
    {"EVC009", 0},      {"EVM005-", 5},     {"EVM013-", 2},     {"EVM021a-", 5},    {"EVM021b-", 6},
    {"EVM021c-", 6},    {"EVM022b-", 4},    {"EVM022c-", 6},    {"EVM022d-", 5},    {"EVM024b-", 3},
    {"EVM024c-", 5},    {"EVM024d-", 5},    {"EVR005", 0},      {"EVR019b-", 4},    {"EVR019c-", 4},
    {"EVR019d-", 6},    {"EVR020a-", 8},    {"EVR020b-", 5},    {"EVR020c-", 4},    {"EVR025b-", 5},
    {"EVR025c-", 4},    {"EVR025d-", 4},    {"EVSH009a-", 6},   {"EVSH009b-", 7},   {"EVSH009c-", 5},
    {"EVSH012b-", 7},   {"EVSH012c-", 4},   {"EVSH012d-", 4},   {"EVSS008", 0},     {"EVSS011b-", 4},
    {"EVSS011c-", 7},   {"EVSS011d-", 6},   {"EVSS012c-", 7},   {"EVSS012d-", 2},   {"EVSS012e-", 4},
    {"EVY002-", 2},     {"EVY020a-", 5},    {"EVY020b-", 4},    {"EVY020c-", 6},    {"EVY022a-", 9},
    {"EVY022b-", 6},    {"EVY022c-", 4},    {"EVY026a-", 7},    {"EVY026b-", 4},    {"EVY026c-", 4},
};

constexpr std::size_t kNameSize = 48;

}  // namespace

std::size_t EventPictureCount() {
  std::size_t count = 0;
  for (const EventPictureRun& run : kEventPictures) count += run.last == 0 ? 1 : static_cast<std::size_t>(run.last);
  return count;
}

int IsEventPicture(const char* name) {
  if (StrLength(name) >= kNameSize) return 0;
  char stem[kNameSize];
  StrCopy(stem, name);
  if (char* dot = std::strrchr(stem, '.')) *dot = '\0';
  char entry[kNameSize];
  for (const EventPictureRun& run : kEventPictures) {
    if (run.last == 0) {
      if (StrEqualNoCase(stem, run.stem)) return 1;
      continue;
    }
    for (int n = 1; n <= run.last; ++n) {
      std::snprintf(entry, sizeof entry, "%s%d", run.stem, n);
      if (StrEqualNoCase(stem, entry)) return 1;
    }
  }
  return 0;
}
