// The window, sound and movie tags and the seen-list of scripts: the
// interpreter's calls handed to the game's own parts.
#include "common/sjis_string.h"
#include "game/game.h"

void CGame::MarkScriptSeen(const char* name) { seen.AddSeenName(kSeenScripts, name); }

int CGame::IsMessageWindowShown() { return static_cast<int>(frames.shown); }

void CGame::ShowMessageWindow(int show) { frames.ShowMessageWindow(show); }

void CGame::TagWinFrameType(const ParsedCommand& command) {
  int type = 0;
  ParseInt(command.args[0], &type);
  frames.SetFrameType(type);
}

void CGame::TagWinType(const ParsedCommand& command) { frames.SetWindowType(command.args[0]); }

void CGame::TagSndPlay(const ParsedCommand& command) {
  sound.ScriptSoundPlay(command.args[0], command.args[1], command.args[2]);
}

void CGame::TagSndStop(const ParsedCommand& command) {
  sound.ScriptSoundStop(command.args[0], command.args[1], command.args[2]);
}

void CGame::TagMoviePlay(const ParsedCommand& command) { sound.ScriptMoviePlay(command.args[0]); }
