// Saves: the state captured at every save point, saving, the quick-save
// ring, and loading a save back into a running game.
#include <cstring>

#include "common/format_text.h"
#include "common/sjis_string.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/pictures/picture_thumbnail.h"
#include "engine/runtime/file_helpers.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/back_buffer.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/shell/scene_state.h"
#include "game/game.h"
#include "game/stores/system_data.h"
#include "host/base/diagnostics.h"
#include "host/memory/memory_api.h"
#include "host/time/time_api.h"

namespace {

// A message text this long or longer is saved empty.
constexpr std::size_t kLongestSavedMessage = 254;
constexpr std::uint32_t kFontColorStored = 0xFF000000;
constexpr std::uint32_t kWhite = 0x00FFFFFF;
// The thumbnail is 100 x 75 of the 800 x 600 design screen.
constexpr std::int32_t kThumbnailDesignWidth = 100;
constexpr std::int32_t kThumbnailDesignHeight = 75;

bool IsQuickSlot(int slot) { return slot >= kFirstQuickSaveSlot && slot < kFirstQuickSaveSlot + kQuickSaveSlots; }

}  // namespace

void CGame::CaptureSaveState() {
  SaveFile& save = saves.captured;
  save.header = SaveHeader();
  SaveHeader& h = save.header;
  StrCopy(h.scriptName, interpreter_.ScriptName());
  StrCopy(h.voiceName, sound.voice.name);
  h.voiceSpeaker = sound.voice.speaker;
  h.fontSizeOffset = messages.state.fontSizeOffset;
  h.frameType = frames.frameType;
  h.novel = frames.novel;
  h.windowShown = frames.shown;
  h.reversal = scene.model.reversal;
  h.backgroundColor = engine_.backgroundColor;
  h.fontColor = messages.state.fontColor | kFontColorStored;
  StrCopy(h.background, scene.model.background);
  h.backgroundX = scene.model.backgroundX;
  h.backgroundY = scene.model.backgroundY;
  for (int i = 0; i < kSaveEffects; ++i) h.effects[i] = sound.effects[i];
  h.music = sound.music;
  for (int k = 0; k < kSaveCharacters; ++k) {
    const SceneCharacter& from = scene.model.characters[k];
    SavedCharacter& to = h.characters[k];
    to.inUse = from.inUse;
    StrCopy(to.name, from.name);
    to.x = from.x;
    to.y = from.y;
    to.color = from.color;
    h.priorities[k] = scene.model.priorities[k];
  }
  StrCopy(h.returnName, interpreter_.Return().name);
  h.returnPosition = interpreter_.Return().position;
  const ChoiceState& choice = choices.state;
  h.choice.count = choice.count;
  h.choice.chosen = choice.chosen;
  h.choice.top = choice.top;
  h.choice.spacing = choice.spacing;
  std::memcpy(h.choice.texts, choice.texts, sizeof h.choice.texts);
  std::memcpy(h.choice.labels, choice.labels, sizeof h.choice.labels);
  h.readPosition = interpreter_.ReadPosition();
  h.stepFrames = interpreter_.StepFrames();

  save.locals = interpreter_.Variables().Locals();
  save.backlog.clear();
  for (auto n = static_cast<std::int32_t>(backlog.KeptCount()) - 1; n >= 0; --n) {
    char voice[kBacklogVoiceSize];
    char speaker[kBacklogSpeakerSize];
    char text[kBacklogTextSize];
    if (backlog.GetBacklogEntry(n, &voice, &speaker, &text) < 0) continue;
    save.backlog.push_back({speaker, text, voice});
  }
}

std::vector<std::uint8_t> CGame::ScreenThumbnail() const {
  std::vector<std::uint8_t> thumbnail;
  CBackBuffer* back = engine_.backBuffer.get();
  if (back == nullptr) return thumbnail;
  std::uint32_t size = 0;
  std::uint8_t* bitmap = BuildThumbnailBitmap(
      back->GetPixels(), back->GetWidth(), back->GetHeight(),
      static_cast<std::uint32_t>(kThumbnailDesignWidth * GetScreenWidth() / GetDesignWidth()),
      static_cast<std::uint32_t>(kThumbnailDesignHeight * GetScreenHeight() / GetDesignHeight()), &size);
  if (bitmap == nullptr) return thumbnail;
  thumbnail.assign(bitmap, bitmap + size);
  LocalFree(bitmap);
  return thumbnail;
}

void CGame::CaptureSaveThumbnail() { saves.keptThumbnail = ScreenThumbnail(); }

void CGame::FreeSaveThumbnail() { saves.keptThumbnail.clear(); }

void CGame::ClearSaveHeader() { saves.captured = SaveFile(); }

int CGame::SaveGame(int slot) {
  SaveFile& save = saves.captured;
  if (save.header.scriptName[0] == '\0') {
    DiagnosticLine("save: no game state to save in slot %d", slot);
    return 0;
  }
  if (engine_.saveFolder.empty()) {
    // Without a data folder there is no save folder: never the working one.
    DiagnosticLine("save: no save folder for slot %d", slot);
    return 0;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  FormatText(save.header.timeStamp, "%z4-%z2-%z2 %z2:%z2:%z2", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
  const char* text = messages.state.text;
  StrCopy(save.header.messageText, StrLength(text) > kLongestSavedMessage ? "" : text);
  save.thumbnail = saves.keptThumbnail.empty() ? ScreenThumbnail() : saves.keptThumbnail;
  const std::vector<std::uint8_t> bytes = EncodeSaveFile(save);
  save.thumbnail.clear();
  const int written = ReplaceWholeFile(SavePath(SaveFileName(slot).c_str()).c_str(), bytes.data(),
                                       static_cast<std::uint32_t>(bytes.size()));
  if (!written) DiagnosticLine("save: slot %d could not be written; the previous save stays", slot);
  RefreshSlotListings(slot);
  if (written && slot < kNewestSearchSlots) saves.lastSavedSlot = slot;
  const int systemWritten = WriteSystemDataFile(SavePath(kSystemDataFile).c_str(), interpreter_.Variables(), seen);
  return written && systemWritten;
}

void CGame::RefreshSlotListings(int slot) {
  const char* folder = engine_.saveFolder.c_str();
  if (slot >= 0 && slot < kMenuSaveSlots) {
    FillSaveSlotItems(*saveSlotItems, kLoadItemBase, kSaveItemBase, folder, 1, saves.slotUsed, saves.newestSlot);
  } else if (IsQuickSlot(slot)) {
    FillQuickSaveItems(*saveSlotItems, kQuickLoadItemBase, folder, saves.quickUsed, saves.newestQuick);
    // Time keys tie within two seconds; the ring must go on from the slot
    // just written whatever they say.
    if (saves.quickUsed[slot - kFirstQuickSaveSlot]) saves.newestQuick = slot - kFirstQuickSaveSlot;
  }
  MarkMenuSlots();
}

void CGame::QuickSave() {
  const std::int32_t newest = saves.newestQuick;
  const int next = newest < 0 || newest >= kQuickSaveSlots ? 0 : (newest + 1) % kQuickSaveSlots;
  SaveGame(kFirstQuickSaveSlot + next);
}

void CGame::QuickLoad() {
  const std::int32_t newest = saves.newestQuick;
  if (newest >= 0 && newest < kQuickSaveSlots) LoadGame(kFirstQuickSaveSlot + newest);
}

int CGame::LoadGame(int slot) {
  const std::string path = SavePath(SaveFileName(slot).c_str());
  std::uint32_t size = 0;
  void* block = ReadWholeFile(path.c_str(), &size, 0);
  SaveFile save;
  const int whole = block != nullptr && DecodeSaveFile(static_cast<const std::uint8_t*>(block), size, save);
  if (block != nullptr) LocalFree(block);
  if (!whole) {
    DiagnosticLine("load: %s is %s; the game goes on unchanged", path.c_str(), block ? "damaged" : "missing");
    return 0;
  }
  RestoreSavedGame(save);
  return 1;
}

void CGame::RestoreSavedGame(const SaveFile& save) {
  const SaveHeader& h = save.header;
  StopMovie();
  StopAllSounds();
  FreeAllPartSlots();
  FreeAllPictureSlots();
  FreeRuleTransition();
  ClearBacklog();
  DestroyMessageWindow();
  messages.state.prefix[0] = '\0';
  ScriptVariables& variables = interpreter_.Variables();
  variables.ClearLocals();
  for (const ScriptVariable& variable : save.locals) {
    if (!IsGlobalVariableName(variable.name)) variables.Set(variable.name, variable.value);
  }
  saves.captured.locals = save.locals;

  interpreter_.JumpToScript(h.scriptName, "");
  interpreter_.RestoreReadPosition(h.readPosition);
  RestoreWindow(h);

  StrCopy(sound.voice.name, h.voiceName);
  messages.state.fontSizeOffset = h.fontSizeOffset;
  messages.state.fontColor = h.fontColor > kWhite ? h.fontColor & kWhite : kWhite;
  engine_.backgroundColor = h.backgroundColor;
  engine_.backgroundClear = 1;
  StrCopy(interpreter_.Return().name, h.returnName);
  interpreter_.Return().position = h.returnPosition;
  ChoiceState& choice = choices.state;
  choice.count = h.choice.count;
  choice.chosen = h.choice.chosen;
  choice.top = h.choice.top;
  choice.spacing = h.choice.spacing;
  std::memcpy(choice.texts, h.choice.texts, sizeof choice.texts);
  std::memcpy(choice.labels, h.choice.labels, sizeof choice.labels);
  RestoreScene(h);
  RestoreSounds(h);

  messages.state.speaker[0] = '\0';
  messages.state.text[0] = '\0';
  for (const SavedBacklogEntry& entry : save.backlog) {
    backlog.AddBacklogEntry(entry.voice.c_str(), entry.speaker.c_str(), entry.text.c_str());
  }

  if (engine_.dirtyList) engine_.dirtyList->Clear();
  engine_.ClearDrawLists();
  InvalidateDesignRect(0, 0, GetDesignWidth(), GetDesignHeight());
  engine_.shakeX = 0;
  engine_.shakeY = 0;
  SetSceneState(SCENE_GAME, 0);
  FreeSaveThumbnail();
  scene.ApplyMannerTint();
  sound.mannerTinted = scene.model.mannerTinted;
  SetSaveEntryEnabled(1);
}

void CGame::RestoreWindow(const SaveHeader& h) {
  ResetWindowParts();
  frames.frameType = 0;
  frames.BuildWindowFrame(0);
  frames.frameType = h.frameType;
  if (h.frameType != 0 || h.novel != 0) frames.BuildWindowFrame(static_cast<int>(h.novel));
  if (h.windowShown) frames.ShowMessageWindow(1);
}

void CGame::RestoreScene(const SaveHeader& h) {
  SceneModel& model = scene.model;
  model.reversal = h.reversal;
  model.mannerTinted = 0;
  for (int k = 0; k < kSaveCharacters; ++k) model.priorities[k] = h.priorities[k];
  model.background[0] = '\0';
  model.backgroundX = h.backgroundX;
  model.backgroundY = h.backgroundY;
  if (h.background[0] != '\0') scene.SetBackground(h.background);
  for (int k = 0; k < kSaveCharacters; ++k) {
    const SavedCharacter& saved = h.characters[k];
    SceneCharacter& character = model.characters[k];
    character = SceneCharacter();
    character.x = saved.x;
    character.y = saved.y;
    character.color = saved.color;
    if (saved.inUse) scene.SetCharacter(k, saved.name);
  }
}

void CGame::RestoreSounds(const SaveHeader& h) {
  sound.music = SoundRecord();
  if (h.music.playing) sound.PlayMusic(h.music.name, 0, static_cast<int>(h.music.loop));
  sound.effects[0] = SoundRecord();
  if (h.effects[0].playing && h.effects[0].loop) sound.PlaySoundEffect(0, h.effects[0].name, 1);
  if (h.voiceName[0] != '\0') {
    sound.StopVoice(0);
    StrCopy(sound.voice.name, h.voiceName);
    sound.voice.speaker = h.voiceSpeaker;
    sound.PlayVoice(static_cast<int>(h.voiceSpeaker), h.voiceName, 0);
  } else {
    sound.voice.name[0] = '\0';
  }
}

void CGame::StopMovie() {
  if (engine_.backBuffer) engine_.backBuffer->StopMovie();
}

void CGame::StopAllSounds() {
  if (engine_.mixer) engine_.mixer->StopAll();
}

void CGame::FreeAllPartSlots() { ::FreeAllPartSlots(engine_); }
