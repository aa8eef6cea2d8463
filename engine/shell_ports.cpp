#include "engine/shell_ports.h"

#include "common/sjis_string.h"
#include "engine/game_app.h"
#include "engine/runtime_globals.h"

void GamePort::LoadConfigAndBuildMenu(CGameApp& app) {
  app.SetFramePeriod(16);
  app.dirtyList->SetSize(GetScreenWidth(), GetScreenHeight());
  app.LocateDataFolder("pelmo.cfg", GetScreenWidth() < 640 ? "pict.mlz" : "pict_v.mlz");
}

void ProcessServicesPort::ReadProfileString(const char* /*section*/, const char* /*key*/, const char* def,
                                            char* out, std::uint32_t maxLength, const char* /*path*/) {
  StrCopy(out, static_cast<std::size_t>(maxLength) + 1, def);
}

ProcessServicesPort& StandInProcessServices() {
  static ProcessServicesPort services;
  return services;
}
