#include "engine/shell/shell_ports.h"

#include "engine/shell/game_app.h"
#include "engine/archive/profile_file.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/text/message_font.h"

void GamePort::LoadConfigAndBuildMenu(CGameApp& app) {
  app.SetFramePeriod(16);
  app.dirtyList->SetSize(GetScreenWidth(), GetScreenHeight());
  app.LocateDataFolder("pelmo.cfg", GetScreenWidth() < 640 ? "pict.mlz" : "pict_v.mlz");
}

void ProcessServicesPort::DeleteMessageFont() { ::DeleteMessageFont(); }

void ProcessServicesPort::ClearProfileCache() { ::ClearProfileCache(); }

void ProcessServicesPort::FlushProfile() { ::FlushProfile(); }

void ProcessServicesPort::ReadProfileString(const char* section, const char* key, const char* def, char* out,
                                            std::uint32_t maxLength, const char* path) {
  ::ReadProfileString(section, key, def, out, static_cast<int>(maxLength), path);
}

ProcessServicesPort& StandInProcessServices() {
  static ProcessServicesPort services;
  return services;
}
