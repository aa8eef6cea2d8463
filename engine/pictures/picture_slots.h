// The engine's 256 picture slots: pictures loaded by name from the two
// picture archives, blank pictures sized in design units, and save-file
// thumbnails. A picture that is present but fails to load, and a blank
// picture asked for outside the slots, set bits of the engine status word,
// which make the frame tick close the program.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/archive/archive_reader.h"
#include "engine/pictures/picture_object.h"

inline constexpr int kPictureSlotCount = 256;

class CPictureSlots {
 public:
  // statusWord: the engine status word that load failures mark.
  explicit CPictureSlots(std::uint32_t& statusWord) : statusWord_(statusWord) {}
  CPictureSlots(const CPictureSlots&) = delete;
  CPictureSlots& operator=(const CPictureSlots&) = delete;

  // The first and second picture archive, and the save folder (ending in '\').
  void SetArchivePaths(const char* first, const char* second);
  void SetSaveFolder(const char* folder) { saveFolder_ = folder; }

  // Index of the first archive holding name (searched 0 then 1, or 1 then 0
  // for the second-first form) with its path in *outPath, or -1.
  int FindPictureArchive(const char* name, std::string* outPath);
  int FindPictureArchiveSecondFirst(const char* name, std::string* outPath);
  // The reader of archive index (0 or 1) as the Find forms return it.
  CArchiveReader& ArchiveReader(int index) { return readers_[static_cast<std::size_t>(index)]; }

  // Replaces the slot's picture with name loaded from the archives: returns
  // the archive used, or -1 (slot left empty) when neither holds it. A bad
  // slot number is ignored (-1).
  int LoadPictureSlot(int slot, const char* name, int parts, int* outA, int* outB);
  int LoadPictureSlotSecondFirst(int slot, const char* name, int parts, int* outA, int* outB);
  // A transparent black picture of the design size converted to the screen.
  void CreateBlankPictureSlot(int slot, std::int32_t designW, std::int32_t designH);
  // The thumbnail of save number saveNumber ("save001.dat" for 0). 1 when
  // loaded, else 0 with the slot empty.
  int LoadThumbnailSlot(int slot, int saveNumber, char* outText, std::int32_t* outChapter, std::uint32_t* outStamp);

  void FreePictureSlot(int slot);
  void FreeAllPictureSlots();
  int IsPictureSlotUsed(int slot) const { return Get(slot) != nullptr; }
  // The slot's picture, or null (also for a bad slot number).
  CImage* Get(int slot) const { return IsValidSlot(slot) ? slots_[static_cast<std::size_t>(slot)].get() : nullptr; }

 private:
  static bool IsValidSlot(int slot) { return slot >= 0 && slot < kPictureSlotCount; }
  int FindInArchives(const char* name, std::string* outPath, int first);
  int LoadFromArchives(int slot, const char* name, int parts, int* outA, int* outB, int first);

  std::uint32_t& statusWord_;
  std::array<std::unique_ptr<CImage>, kPictureSlotCount> slots_;
  std::array<std::string, 2> archivePaths_;
  std::array<CArchiveReader, 2> readers_;
  std::string saveFolder_;
};
