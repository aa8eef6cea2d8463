// The message, text-style and choice tags: the interpreter's calls handed to
// the message pages and the choice screen.
#include "game/game.h"
#include "game/script/script_conditions.h"

int CGame::ShowMessageText(const char* text, std::uint32_t stepFrames) {
  return messages.ShowMessageText(text, stepFrames);
}

int CGame::WaitForReader(std::uint32_t tagPosition, std::uint32_t stepFrames) {
  return messages.WaitForReader(tagPosition, stepFrames);
}

void CGame::ClearMessagePage() { messages.ClearMessagePage(); }

void CGame::TagWinFontSize(const ParsedCommand& command) {
  messages.SetFontSizeOffset(ParseArgValue(command.args[0]));
}

void CGame::TagWinFontColor(const ParsedCommand& command) {
  messages.SetFontColor(ParseArgValue(command.args[0]), ParseArgValue(command.args[1]),
                        ParseArgValue(command.args[2]));
}

void CGame::TagWinRubi(const ParsedCommand& command) {
  if (command.count == 2) messages.SetRubi(command.args[0]);
}

void CGame::TagWinFontColorEnd(const ParsedCommand& /*command*/) { messages.ResetFontColor(); }

void CGame::TagSltDel(const ParsedCommand& /*command*/) { choices.DeleteEntries(); }

void CGame::TagSltAdd(const ParsedCommand& command) { choices.AddEntry(command); }

int CGame::RunChoice(std::uint32_t stepFrames, std::string& chosenLabel) {
  return choices.RunChoice(stepFrames, chosenLabel);
}

const char* CGame::CurrentScriptName() { return interpreter_.ScriptName(); }

void CGame::ClearChoiceRecords() { choices.ClearRecords(); }

void CGame::ClearMessageTexts() { messages.ClearTexts(); }

void CGame::SetMessageFontColor(std::uint32_t rgb) { messages.state.fontColor = rgb; }

void CGame::SetMessageFontSize(std::int32_t size) { messages.SetFontSizeOffset(size); }
