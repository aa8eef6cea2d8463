// The option block: every setting of "pelmo.cfg" plus two runtime words, as
// 45 unsigned words in the engine object. Word names follow the file's keys.
#pragma once

#include <array>
#include <cstdint>

enum ConfigWord : int {
  KEY_CEN_CTRL,
  TRANS_MODE,
  READ_SKIP,
  LOCK_SKIP,
  SKIP_RUNNING,  // set while the game skips text; not in the file
  MESSAGE_SADOW,
  MESSAGE_SPEED,
  EFFECT_USE,
  BACKLOG_SIZE_MODE,  // not in the file
  MES_LOG_START,
  VOICE_CUT_MODE,
  MEM_STREAM,
  KET_CUR_MODE,
  KET_DOUBLE_CLICK,
  PCM,
  VOICE_PLAY,
  SE_PLAY,
  MESSAGE_AUTO,
  MESSAGE_AUTO_BASE,
  MESSAGE_AUTO_ONE,
  VOICE_AUTOLOCK,
  MASTER_VOL,
  VOICE_VOL,
  MUSIC_VOL,
  SE_VOL,
  MOV_VOL,
  VGA_QUALITY,
  MESSAGE_FONT_INDEX,
  SAOUND_QUALITY,
  OGG_USE_LEVEL,
  DISP_FREE_MODE,
  MANA_VOICE_CUT,
  UNUSED_OPTION_WORD,
  CHAR_VOICE_01,
  CHAR_VOICE_09 = CHAR_VOICE_01 + 8,
  LINER_MODE,
  SAOUND_HALF,
  NAME_CHANGE,
  CONFIG_WORD_COUNT
};

static_assert(CONFIG_WORD_COUNT == 45);

struct ConfigOptions {
  std::array<std::uint32_t, CONFIG_WORD_COUNT> words{};

  std::uint32_t& operator[](ConfigWord word) { return words[static_cast<std::size_t>(word)]; }
  std::uint32_t operator[](ConfigWord word) const { return words[static_cast<std::size_t>(word)]; }
};

// The text anti-aliasing level the renderers get: TRANS_MODE as the file
// gave it, at most 3 (its + 1 is the supersampling factor).
inline std::uint32_t TextAntiAliasLevel(const ConfigOptions& options) {
  return options[TRANS_MODE] < 3 ? options[TRANS_MODE] : 3;
}
