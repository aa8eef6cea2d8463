// The game: the one object that owns the script, the scenes and the game's
// own state, installed into the engine object by each build's entry. The
// engine calls it through GamePort once per frame and at start and exit; the
// script interpreter reaches the engine's pictures, sprites, text and sound
// through it (ScriptServices).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/shell/game_app.h"
#include "engine/shell/shell_ports.h"
#include "game/choices/choice_screen.h"
#include "game/extras/cg_gallery_screen.h"
#include "game/extras/extra_pictures_screen.h"
#include "game/extras/extras_words.h"
#include "game/extras/music_room_screen.h"
#include "game/extras/recollection_screen.h"
#include "game/frames/window_frames.h"
#include "game/messages/message_hooks.h"
#include "game/messages/message_pages.h"
#include "game/saves/save_state.h"
#include "game/screens/backlog/backlog_screen.h"
#include "game/screens/system/system_screen.h"
#include "game/scene/scene_commands.h"
#include "game/screens/game_menu/game_menu_screen.h"
#include "game/screens/save_load/save_load_screen.h"
#include "game/script/script_interpreter.h"
#include "game/script/script_services.h"
#include "game/sound/sound_commands.h"
#include "game/stores/backlog_ring.h"
#include "game/stores/seen_stores.h"
#include "game/title/title_screen.h"

// The first script of a new game.
inline constexpr char kFirstScript[] = "main.txt";

class CSystemMenu;

class CGame : public GamePort, public ScriptServices, public MessageHooks {
 public:
  static constexpr std::size_t kWorkBufferBytes = 16 * 1024;

  explicit CGame(CGameEngine& engine);

  // --- GamePort: what the engine asks of the game.
  // After the engine's settings: the save listings of the menu, then
  // "system.dat" from the save folder.
  void LoadConfigAndBuildMenu(CGameApp& app) override;
  void RunSceneFrame(CGameEngine& engine) override;
  // Global variables, seen-lists and read marks into "system.dat".
  void WriteSystemData(CGameEngine& engine) override;
  // A pop-up menu command (game/menu/menu_dispatch.cpp); ids no item
  // carries do nothing.
  void DispatchMenuCommand(CGameApp& app, HWND window, std::uint32_t command, LPARAM lParam) override;

  // --- ScriptServices: what the script asks of the engine.
  bool ReadScript(const char* name, std::vector<char>& bytes) override;
  std::uint32_t* InputWords() override;
  int IsSkipping() override;
  void SetSceneState(std::uint32_t state, std::uint32_t subState) override;
  void MarkScriptSeen(const char* name) override;
  int IsMessageWindowShown() override;
  void ShowMessageWindow(int show) override;
  void TagWinFrameType(const ParsedCommand& command) override;
  void TagWinType(const ParsedCommand& command) override;
  void TagSndPlay(const ParsedCommand& command) override;
  void TagSndStop(const ParsedCommand& command) override;
  void TagMoviePlay(const ParsedCommand& command) override;
  int ShowMessageText(const char* text, std::uint32_t stepFrames) override;
  int WaitForReader(std::uint32_t tagPosition, std::uint32_t stepFrames) override;
  void ClearMessagePage() override;
  void TagWinFontSize(const ParsedCommand& command) override;
  void TagWinFontColor(const ParsedCommand& command) override;
  void TagWinRubi(const ParsedCommand& command) override;
  void TagWinFontColorEnd(const ParsedCommand& command) override;
  void TagSltDel(const ParsedCommand& command) override;
  void TagSltAdd(const ParsedCommand& command) override;
  int RunChoice(std::uint32_t stepFrames, std::string& chosenLabel) override;
  void SetBackgroundColor(std::uint32_t rgb) override;
  // The scene tags (game/game_scene_tags.cpp).
  void TagReversal(const ParsedCommand& command) override;
  void TagBgSetColor(const ParsedCommand& command) override;
  void TagBgSet(const ParsedCommand& command) override;
  void TagBgSetXY(const ParsedCommand& command) override;
  void TagChrSetXY(const ParsedCommand& command) override;
  void TagChrSet(const ParsedCommand& command) override;
  void TagChrDel(const ParsedCommand& command) override;
  void TagChrSetPry(const ParsedCommand& command) override;
  void TagChrSetARGB(const ParsedCommand& command) override;
  int TagChrMove(const ParsedCommand& command, std::uint32_t stepFrames) override;
  int TagUpDate(const ParsedCommand& command, std::uint32_t stepFrames) override;
  std::uint32_t TransitionKind() override;
  int TagEffect(const ParsedCommand& command, std::uint32_t stepFrames) override;
  // Back to the title menu, dropping the game in progress.
  void ReturnToTitle() override;

  // --- MessageHooks: what pages and choices ask of the game around them.
  const char* CurrentScriptName() override;

  // --- Saves (game/game_saves.cpp), in the save folder.
  void CaptureSaveState() override;
  // Keeps a thumbnail of the screen as it is now (the game, as the in-game
  // menu opens) for the saves made until it is released.
  void CaptureSaveThumbnail();
  void ReleaseSaveThumbnail() { FreeSaveThumbnail(); }
  // Slots 0 to 49, the quick-save ring 500 to 502, the previous-choice
  // snapshot 600. Without a captured state nothing is written and it fails.
  int SaveGame(int slot) override;
  // The ring's next slot after the newest quick save.
  void QuickSave() override;
  // Loads the newest quick save, when there is one.
  void QuickLoad() override;
  // Reads and checks the whole file before anything is torn down.
  int LoadGame(int slot) override;

  // The pop-up menu's "previous choice" (command 40329).
  virtual void ReturnToPreviousChoice() { choices.ReturnToPreviousChoice(); }

  // The state of a fresh game, then its first script from the start.
  void StartNewGame();
  void RunTitleScreen() { title.RunFrame(); }

  // The in-game menu over the frozen game (argument kept, not read).
  void EnterGameMenu(int argument) { gameMenu.Enter(argument); }
  // The message window's button bar, before the message takes the input.
  int HandleWindowButtons() override { return gameMenu.HandleWindowButtons(); }

  // loadMode 0 saves, 1 loads; back to the scene it came from.
  virtual void EnterSaveLoadScreen(int loadMode) { saveLoad.Enter(loadMode); }
  // The system screen, from the title or the in-game menu.
  void EnterSystemScreen() { systemScreen.Enter(); }
  // The backlog screen; the caller enters its scene state.
  void SetupBacklogScreen() override { backlogScreen.Setup(); }
  // Whether the pop-up menu offers loading and saving (screens switch it off
  // while they are shown).
  virtual void SetLoadSaveEnabled(int enabled);
  // Stops the movie and every sound channel and closes the engine window.
  void Quit();
  // The title's way into the extras (after it set the scene state): they
  // open on their first category and page; the gallery forgets the track
  // and the recollection's tab.
  void ClearExtrasSelection() {
    extras.category = 0;
    extras.page = 0;
    if (engine_.sceneState != SCENE_CG_GALLERY) return;
    extras.musicTrack = 0;
    extras.recollectionTab = 0;
  }
  // The state of a fresh game; the title then loads the first script.
  void ResetForNewGame();
  // Re-applies the channel volumes after a volume setting (category 0
  // master, 1 music, 2 voice, 3 sound effects, 4 movie) changed to volume.
  virtual void ApplyVolumes(std::uint32_t category, std::uint32_t volume);

  CGameEngine& Engine() { return engine_; }
  CScriptInterpreter& Interpreter() { return interpreter_; }

  std::vector<std::uint8_t> workBuffers[2];
  // Whether the player may load a game now; the settings routine reads it.
  std::uint32_t loadAllowed = 1;
  // Whether the pop-up menu's Save submenu is on, as the menu last set it.
  std::uint32_t saveAllowed = 0;
  CSeenStores seen;
  CBacklogRing backlog;
  CSoundCommands sound;
  CWindowFrames frames;
  CMessagePages messages;
  CChoiceScreen choices;
  CSceneCommands scene;
  CTitleScreen title;
  CBacklogScreen backlogScreen;
  CSystemScreen systemScreen;
  ExtrasWords extras;
  CExtraPicturesScreen extraPictures;
  CCgGalleryScreen cgGallery;
  CMusicRoomScreen musicRoom;
  CRecollectionScreen recollectionScreen;
  CGameMenuScreen gameMenu;
  CSaveLoadScreen saveLoad;
  SaveSlotState saves;
  // The pop-up menu's slot items the listings fill after each save.
  std::unique_ptr<SaveSlotItems> saveSlotItems = std::make_unique<UnshownSaveSlotItems>();

  // The pop-up menu's Save submenu (the Load one as loading is allowed).
  virtual void SetSaveEntryEnabled(int enabled);
  // A pop-up menu command item on or off (its check cleared).
  void SetMenuItemEnabled(int command, int enabled) override;
  // The engine's pop-up menu when it is the system menu, else null.
  CSystemMenu* Menu() const;

 protected:
  // The steps of the return to the title and of a new game that belong to
  // other parts of the game and the engine, in the order the resets call
  // them. Parts not built yet leave theirs empty.
  virtual void StopMovie();
  virtual void StopAllSounds();
  virtual void FreeRuleTransition();
  virtual void FreeAllPartSlots();
  virtual void FreeAllPictureSlots();
  virtual void DestroyMessageWindow();
  virtual void ResetWindowParts();
  virtual void FreeSaveThumbnail();
  virtual void ClearSaveHeader();
  // Background and character records; character priorities back to 0..4.
  virtual void ClearSceneRecords();
  virtual void ClearSoundRecords();
  virtual void ClearChoiceRecords();
  virtual void ClearBacklog();
  // WinRubi texts, current voice name, message text and speaker.
  virtual void ClearMessageTexts();
  // Drops the previous-choice snapshot and disables its menu command (40329).
  virtual void DropPreviousChoice();
  virtual void InvalidateDesignRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  virtual void SetMessageFontColor(std::uint32_t rgb);
  virtual void SetMessageFontSize(std::int32_t size);

 private:
  // A thumbnail of the back buffer as it is now, empty when none can be made.
  std::vector<std::uint8_t> ScreenThumbnail() const;
  std::string SavePath(const char* name) const { return engine_.saveFolder + name; }
  // The listings after a save to slot, and what they found.
  void RefreshSlotListings(int slot);
  // The menu's slot marks as the listings found them: the used slots
  // loadable, the newest checked.
  void MarkMenuSlots();
  // Everything of the running game a load replaces, in its order.
  void RestoreSavedGame(const SaveFile& save);
  void RestoreWindow(const SaveHeader& header);
  void RestoreScene(const SaveHeader& header);
  void RestoreSounds(const SaveHeader& header);

  CGameEngine& engine_;
  CScriptInterpreter interpreter_;
  CArchiveReader scriptReader_;
};

// The engine object with the game installed: what every build's entry runs.
std::unique_ptr<CGameApp> MakeGameApp();
