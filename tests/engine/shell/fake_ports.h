// Fakes of the shell's collaborators that write their calls into the host's
// call log, so one recorded sequence shows host and collaborator calls in
// their order.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "engine/shell/engine_main.h"
#include "engine/shell/raw_display_access.h"
#include "engine/shell/game_app.h"
#include "engine/shell/shell_ports.h"
#include "host/run/call_log.h"
#include "host/time/time_api.h"

struct RecordingServices : ProcessServicesPort {
  void LoadMp3Plugin() override { HostCallLogRecord("LoadMp3Plugin"); }
  void LoadOggPlugin() override { HostCallLogRecord("LoadOggPlugin"); }
  void FreeOggPlugin() override { HostCallLogRecord("FreeOggPlugin"); }
  void FreeMp3Plugin() override { HostCallLogRecord("FreeMp3Plugin"); }
  void DeleteMessageFont() override { HostCallLogRecord("DeleteMessageFont"); }
  void ClearProfileCache() override { HostCallLogRecord("ClearProfileCache"); }
  void FlushProfile() override { HostCallLogRecord("FlushProfile"); }
  // No settings file: every key reads as its default, writes are logged.
  void ReadProfileString(const char*, const char*, const char* def, char* out, std::uint32_t maxLength,
                         const char*) override {
    std::snprintf(out, maxLength + 1, "%s", def);
  }
  std::int32_t ReadProfileInt(const char*, const char*, std::int32_t def, const char*) override { return def; }
  void WriteProfileValue(const char*, const char*, const char*, const char*) override {
    HostCallLogRecord("WriteProfileValue");
  }
  void SetMessageFontFace(const char*) override {}
};

struct RecordingMixer : CSoundMixer {
  ~RecordingMixer() override { HostCallLogRecord("engine destroyed"); }
  void Close() override { HostCallLogRecord("Mixer.Close"); }
  void Suspend() override { HostCallLogRecord("Mixer.Suspend"); }
  void Resume() override { HostCallLogRecord("Mixer.Resume"); }
  void SetSlotVolume(int channel, std::uint32_t volume) override {
    HostCallLogRecord("Volume " + std::to_string(channel) + "=" + std::to_string(volume));
  }
};

// Scene logic driven by the test: frame is called with the frame number.
struct ScriptedGame : GamePort {
  std::function<void(CGameEngine&, int)> frame;
  int frames = 0;

  void LoadConfigAndBuildMenu(CGameApp& app) override {
    HostCallLogRecord("LoadConfigAndBuildMenu");
    GamePort::LoadConfigAndBuildMenu(app);
  }
  void RunSceneFrame(CGameEngine& engine) override {
    HostCallLogRecord("RunSceneFrame");
    if (frame) frame(engine, frames);
    ++frames;
  }
  void WriteSystemData(CGameEngine&) override { HostCallLogRecord("WriteSystemData"); }
};

// An engine with the recording mixer and a scripted game: frame runs with
// each frame's number (without one the window closes at frame 2) and frames
// counts the frames run.
inline EngineFactory ScriptedEngine(std::function<void(CGameEngine&, int)> frame, int* frames) {
  *frames = 0;
  return [frame, frames]() {
    auto app = std::make_unique<CGameApp>();
    app->mixer = std::make_unique<RecordingMixer>();
    auto scripted = std::make_unique<ScriptedGame>();
    scripted->frame = [frame, frames](CGameEngine& engine, int n) {
      *frames = n + 1;
      if (frame) {
        frame(engine, n);
      } else if (n == 2) {
        PostMessageW(engine.GetWindow(), WM_CLOSE, 0, 0);
      }
    };
    app->game = std::move(scripted);
    return app;
  };
}

// The CE 5 build's pieces with its timer calls logged.
inline const BuildVariant& RecordingCe5Build() {
  static const BuildVariant build{
      "test",
      true,
      [] { return static_cast<std::uint32_t>(timeGetTime()); },
      [] {
        HostCallLogRecord("timeBeginPeriod");
        return UINT{1};
      },
      [](UINT) { HostCallLogRecord("timeEndPeriod"); },
      RawDisplayAccess()};
  return build;
}
