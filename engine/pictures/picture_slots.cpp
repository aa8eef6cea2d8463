#include "engine/pictures/picture_slots.h"

#include <algorithm>

#include "common/format_text.h"
#include "engine/shell/game_engine.h"
#include "engine/pictures/rbp_loader.h"
#include "engine/runtime/runtime_globals.h"
#include "host/base/diagnostics.h"

void CPictureSlots::SetArchivePaths(const char* first, const char* second) {
  archivePaths_[0] = first;
  archivePaths_[1] = second;
}

int CPictureSlots::FindInArchives(const char* name, std::string* outPath, int first) {
  for (int step = 0; step < 2; ++step) {
    const int index = step == 0 ? first : 1 - first;
    const std::string& path = archivePaths_[static_cast<std::size_t>(index)];
    if (readers_[static_cast<std::size_t>(index)].HasEntry(path.c_str(), name)) {
      if (outPath != nullptr) *outPath = path;
      return index;
    }
  }
  return -1;
}

int CPictureSlots::FindPictureArchive(const char* name, std::string* outPath) { return FindInArchives(name, outPath, 0); }

int CPictureSlots::FindPictureArchiveSecondFirst(const char* name, std::string* outPath) {
  return FindInArchives(name, outPath, 1);
}

int CPictureSlots::LoadFromArchives(int slot, const char* name, int parts, int* outA, int* outB, int first) {
  if (!IsValidSlot(slot)) return -1;
  char normalised[kPictureNameSize];
  const bool nameFits = NormalisePictureName(name, normalised) != 0;
  auto& entry = slots_[static_cast<std::size_t>(slot)];
  entry = std::make_unique<CImage>();

  std::string path;
  const int index = nameFits ? FindInArchives(normalised, &path, first) : -1;
  if (index < 0) {
    entry.reset();
    return -1;
  }
  if (!entry->LoadRbp(normalised, path.c_str(), parts, &readers_[static_cast<std::size_t>(index)], outA, outB)) {
    // The engine closes without a word; say which picture stopped it.
    DiagnosticLine("picture \"%s\" in \"%s\" failed to load", normalised, path.c_str());
    statusWord_ |= STATUS_PICTURE_FAILED;
  }
  return index;
}

int CPictureSlots::LoadPictureSlot(int slot, const char* name, int parts, int* outA, int* outB) {
  return LoadFromArchives(slot, name, parts, outA, outB, 0);
}

int CPictureSlots::LoadPictureSlotSecondFirst(int slot, const char* name, int parts, int* outA, int* outB) {
  return LoadFromArchives(slot, name, parts, outA, outB, 1);
}

void CPictureSlots::CreateBlankPictureSlot(int slot, std::int32_t designW, std::int32_t designH) {
  if (!IsValidSlot(slot)) {
    statusWord_ |= STATUS_BLANK_HIGH_SLOT;
    return;
  }
  auto& entry = slots_[static_cast<std::size_t>(slot)];
  entry = std::make_unique<CImage>();
  const std::int64_t designWidth = GetDesignWidth();
  const std::int64_t designHeight = GetDesignHeight();
  const std::int64_t w = designWidth > 0 ? std::int64_t{designW} * GetScreenWidth() / designWidth : 0;
  const std::int64_t h = designHeight > 0 ? std::int64_t{designH} * GetScreenHeight() / designHeight : 0;
  entry->CreateBlank(static_cast<std::uint32_t>(std::max<std::int64_t>(w, 0)),
                     static_cast<std::uint32_t>(std::max<std::int64_t>(h, 0)), 0, 0);
}

int CPictureSlots::LoadThumbnailSlot(int slot, int saveNumber, char* outText, std::int32_t* outChapter,
                                     std::uint32_t* outStamp) {
  if (!IsValidSlot(slot)) return 0;
  char fileName[32];
  FormatText(fileName, "save%z3.dat", saveNumber + 1);
  auto& entry = slots_[static_cast<std::size_t>(slot)];
  entry = std::make_unique<CImage>();
  if (!entry->LoadSaveThumbnail(fileName, saveFolder_.c_str(), outText, outChapter, outStamp)) {
    entry.reset();
    return 0;
  }
  return 1;
}

void CPictureSlots::FreePictureSlot(int slot) {
  if (IsValidSlot(slot)) slots_[static_cast<std::size_t>(slot)].reset();
}

void CPictureSlots::FreeAllPictureSlots() {
  for (auto& entry : slots_) entry.reset();
}
