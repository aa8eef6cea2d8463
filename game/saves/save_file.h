// A save file, "save%z3.dat" (slot + 1) in the save folder: a 1,656-byte
// header, the thumbnail (a 16-bit BMP file image), the local-variable block
// (count; per variable its name and value) and the backlog block (count; per
// entry, oldest first, speaker, text and voice; then the length L of all that,
// so readers find the block as the last L + 4 bytes). Numbers are 4-byte
// little-endian, unaligned; strings Shift-JIS and NUL-terminated in their
// fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/script/script_variables.h"
#include "game/sound/sound_commands.h"

inline constexpr std::size_t kSaveHeaderSize = 1656;
inline constexpr std::size_t kSaveStampSize = 20;
inline constexpr std::size_t kSaveMessageSize = 256;
inline constexpr std::size_t kSaveScriptNameSize = 24;
inline constexpr std::size_t kSaveVoiceNameSize = 64;
inline constexpr std::size_t kSaveNameSize = 32;
inline constexpr int kSaveCharacters = 5;
inline constexpr int kSaveEffects = 4;
inline constexpr int kSaveChoices = 6;
inline constexpr std::size_t kSaveChoiceTextSize = 64;

struct SavedCharacter {
  std::uint32_t inUse = 0;
  char name[kSaveNameSize] = {};
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint32_t color = 0;
};

struct SavedChoice {
  std::int32_t count = 0;
  std::int32_t chosen = 0;
  std::int32_t x = 0;
  std::int32_t top = 0;
  std::int32_t unused = 0;
  std::int32_t spacing = 0;
  char texts[kSaveChoices][kSaveChoiceTextSize] = {};
  char labels[kSaveChoices][kSaveNameSize] = {};
};

struct SaveHeader {
  char timeStamp[kSaveStampSize] = {};  // "YYYY-MM-DD hh:mm:ss"
  char messageText[kSaveMessageSize] = {};
  char scriptName[kSaveScriptNameSize] = {};
  char voiceName[kSaveVoiceNameSize] = {};
  std::uint32_t voiceSpeaker = 0;
  std::int32_t fontSizeOffset = 0;
  std::uint32_t reserved = 0;
  std::int32_t frameType = 0;
  std::uint32_t novel = 0;
  std::uint32_t windowShown = 0;
  std::uint32_t reversal = 0;
  std::uint32_t backgroundColor = 0;  // 0x00RRGGBB
  std::uint32_t fontColor = 0;        // stored with 0xFF000000 set
  char background[kSaveNameSize] = {};
  std::int32_t backgroundX = 0;
  std::int32_t backgroundY = 0;
  SoundRecord effects[kSaveEffects];
  SoundRecord music;
  SavedCharacter characters[kSaveCharacters];
  char returnName[kSaveNameSize] = {};
  std::uint32_t returnPosition = 0;
  SavedChoice choice;
  std::int32_t priorities[kSaveCharacters] = {};
  std::uint32_t readPosition = 0;
  std::uint32_t stepFrames = 0;
};

struct SavedBacklogEntry {
  std::string speaker;
  std::string text;
  std::string voice;
};

struct SaveFile {
  SaveHeader header;
  std::vector<std::uint8_t> thumbnail;
  std::vector<ScriptVariable> locals;
  std::vector<SavedBacklogEntry> backlog;  // oldest first
};

// The file's bytes: the header with its lengths filled in, then the blocks.
std::vector<std::uint8_t> EncodeSaveFile(const SaveFile& save);

// The whole-file check and read: the magic 'S', 'T', 'A' and a digit, the
// header size, the three lengths adding up to the file's, every count and
// string inside its block or field. 0, with save untouched, for anything
// else.
int DecodeSaveFile(const std::uint8_t* bytes, std::size_t size, SaveFile& save);

// 'S', 'T', 'A' and a digit: what every listing looks for first.
int HasSaveMagic(const std::uint8_t* bytes, std::size_t size);

// "save%z3.dat" of the slot.
std::string SaveFileName(int slot);
