// The scene tags: arguments read and handed to the scene (game/scene/).
#include "common/sjis_string.h"
#include "game/game.h"
#include "game/script/script_conditions.h"

namespace {

std::uint32_t ArgWord(const char* text) { return static_cast<std::uint32_t>(ParseArgValue(text)); }

}  // namespace

void CGame::ClearSceneRecords() { scene.ClearRecords(); }

void CGame::TagReversal(const ParsedCommand& command) { scene.SetReversal(ArgWord(command.args[0])); }

void CGame::TagBgSetColor(const ParsedCommand& command) {
  scene.SetBackgroundColor(ArgWord(command.args[0]) << 16 | ArgWord(command.args[1]) << 8 |
                           ArgWord(command.args[2]));
}

void CGame::TagBgSet(const ParsedCommand& command) {
  scene.SetBackground(command.args[0]);
  sound.mannerTinted = scene.model.mannerTinted;
}

void CGame::TagBgSetXY(const ParsedCommand& command) {
  scene.SetBackgroundOffset(ParseArgValue(command.args[0]), ParseArgValue(command.args[1]));
}

void CGame::TagChrSetXY(const ParsedCommand& command) {
  scene.SetCharacterPosition(ParseArgValue(command.args[0]), ParseArgValue(command.args[1]),
                             ParseArgValue(command.args[2]));
}

void CGame::TagChrSet(const ParsedCommand& command) {
  int slot = 0;
  ParseInt(command.args[0], &slot);
  scene.SetCharacter(slot, command.args[1]);
}

void CGame::TagChrDel(const ParsedCommand& command) {
  scene.DeleteCharacter(StrEqualNoCase(command.args[0], "ALL") ? -1 : ParseArgValue(command.args[0]));
}

void CGame::TagChrSetPry(const ParsedCommand& command) {
  for (std::uint32_t k = 0; k < command.count && k < kSceneCharacterCount; ++k) {
    scene.model.priorities[k] = ParseArgValue(command.args[k]);
  }
  scene.ApplyCharacterPriorities();
}

void CGame::TagChrSetARGB(const ParsedCommand& command) {
  scene.SetCharacterColor(ParseArgValue(command.args[0]), ArgWord(command.args[1]) | ArgWord(command.args[2]) << 8 |
                                                              ArgWord(command.args[3]) << 16 |
                                                              ArgWord(command.args[4]) << 24);
}

int CGame::TagChrMove(const ParsedCommand& command, std::uint32_t stepFrames) {
  return scene.MoveCharacterStep(command, stepFrames);
}

int CGame::TagUpDate(const ParsedCommand& command, std::uint32_t stepFrames) {
  return scene.UpdateStep(command, stepFrames);
}

std::uint32_t CGame::TransitionKind() { return scene.TransitionKind(); }

int CGame::TagEffect(const ParsedCommand& command, std::uint32_t stepFrames) {
  return scene.EffectStep(command, stepFrames);
}
