#include "game/menu/menu_commands.h"

namespace {

constexpr ConfigWord kNoWord = CONFIG_WORD_COUNT;

constexpr MenuCommandGroup kMenuCommands[] = {
    {40007, 1, MenuAction::Exit, kNoWord, 0},
    {40008, 1, MenuAction::ReturnToTitle, kNoWord, 0},
    {40017, 15, MenuAction::LoadSlot, kNoWord, 0},
    {40032, 15, MenuAction::SaveSlot, kNoWord, 0},
    {40049, 1, MenuAction::Toggle, EFFECT_USE, 0},
    {40051, 4, MenuAction::AntiAlias, TRANS_MODE, 0},
    {40059, 1, MenuAction::Toggle, READ_SKIP, 0},
    {40067, 1, MenuAction::Toggle, VOICE_PLAY, 0},
    {40068, 1, MenuAction::Toggle, PCM, 0},
    {40069, 10, MenuAction::Volume, MUSIC_VOL, 1},
    {40079, 10, MenuAction::Volume, VOICE_VOL, 2},
    {40098, 1, MenuAction::Toggle, VOICE_AUTOLOCK, 0},
    {40108, 1, MenuAction::Toggle, SE_PLAY, 0},
    {40109, 10, MenuAction::Volume, SE_VOL, 3},
    {40120, 5, MenuAction::CursorMode, KET_CUR_MODE, 0},
    {40125, 1, MenuAction::ToggleRedraw, MESSAGE_SADOW, 0},
    {40126, 10, MenuAction::Volume, MASTER_VOL, 0},
    {40136, 10, MenuAction::Volume, MOV_VOL, 4},
    {40146, 1, MenuAction::Toggle, LOCK_SKIP, 0},
    {40158, 1, MenuAction::Toggle, KET_DOUBLE_CLICK, 0},
    {40160, 3, MenuAction::RadioIfChanged, DISP_FREE_MODE, 0},
    {40163, 6, MenuAction::RadioIfChanged, KEY_CEN_CTRL, 0},
    {40177, 1, MenuAction::Toggle, MANA_VOICE_CUT, 0},
    {40178, 15, MenuAction::MessageFont, MESSAGE_FONT_INDEX, 0},
    {40193, 3, MenuAction::Radio, VOICE_CUT_MODE, 0},
    {40196, 1, MenuAction::Toggle, VGA_QUALITY, 0},
    {40205, 1, MenuAction::Toggle, MESSAGE_AUTO, 0},
    {40220, 2, MenuAction::Radio, MES_LOG_START, 0},
    {40222, 3, MenuAction::LoadSlot, kNoWord, 500},
    {40225, 10, MenuAction::Radio, MESSAGE_SPEED, 0},
    {40235, 10, MenuAction::Radio, MESSAGE_AUTO_BASE, 0},
    {40245, 10, MenuAction::Radio, MESSAGE_AUTO_ONE, 0},
    // The device keeps its rate; the next start opens it at the new one.
    {40258, 2, MenuAction::Radio, SAOUND_QUALITY, 0},
    {40260, 2, MenuAction::OggFirst, OGG_USE_LEVEL, 0},
    {40306, 1, MenuAction::Suspend, kNoWord, 0},
    {40329, 1, MenuAction::PreviousChoice, kNoWord, 0},
    // Takes effect at the next start.
    {40330, 1, MenuAction::Toggle, SAOUND_HALF, 0},
    {40331, 2, MenuAction::Radio, NAME_CHANGE, 0},
};

}  // namespace

const MenuCommandGroup* FindMenuCommand(std::uint32_t id) {
  for (const MenuCommandGroup& group : kMenuCommands) {
    if (id >= group.first && id - group.first < group.count) return &group;
  }
  return nullptr;
}
