#include "engine/sound/decoder_plugins.h"


#include "engine/runtime/plugin_version.h"
#include "host/module/module_api.h"

Mp3PluginTable gMp3Plugin{};
OggPluginTable gOggPlugin{};

namespace {

HMODULE OpenLibrary(LPCWSTR name) {
  HMODULE module = LoadLibraryW(name);
  return module ? module : LoadLibraryExW(name, nullptr, 0);
}

// Resolves one entry; false (and the slot null) when it is missing.
template <typename Fn>
bool Resolve(HMODULE module, LPCWSTR name, Fn* slot) {
  *slot = reinterpret_cast<Fn>(GetProcAddressW(module, name));
  return *slot != nullptr;
}

}  // namespace

int LoadMp3Plugin() {
  HMODULE module = OpenLibrary(u"Kestrine.ovl");
  if (module == nullptr) return 1;
  Mp3PluginTable table{};
  bool all = Resolve(module, u"__mp3_getdecver", &table.getDecVer);
  all = Resolve(module, u"__mp3_create", &table.create) && all;
  all = Resolve(module, u"__mp3_destroy", &table.destroy) && all;
  all = Resolve(module, u"__mp3_predecode", &table.predecode) && all;
  all = Resolve(module, u"__mp3_decode", &table.decode) && all;
  if (!all) {
    // A partly resolved table would point into the freed library.
    FreeLibrary(module);
    gMp3Plugin = {};
    return 0;
  }
  table.module = module;
  gMp3Plugin = table;
  return 0;
}

void FreeMp3Plugin() {
  if (gMp3Plugin.module) FreeLibrary(gMp3Plugin.module);
  gMp3Plugin = {};
}

int LoadOggPlugin() {
  HMODULE module = OpenLibrary(u"Tamberwick.ovl");
  if (module == nullptr) return 1;
  OggPluginTable table{};
  bool all = Resolve(module, u"pcc_ogg_create", &table.create);
  all = Resolve(module, u"pcc_ogg_free", &table.free) && all;
  all = Resolve(module, u"pcc_ogg_input_memory", &table.inputMemory) && all;
  all = Resolve(module, u"pcc_ogg_input_file_open", &table.inputFileOpen) && all;
  all = Resolve(module, u"pcc_ogg_input_file_map", &table.inputFileMap) && all;
  all = Resolve(module, u"pcc_ogg_pcm_size", &table.pcmSize) && all;
  all = Resolve(module, u"pcc_ogg_pcm_format", &table.pcmFormat) && all;
  all = Resolve(module, u"pcc_ogg_replay", &table.replay) && all;
  all = Resolve(module, u"pcc_ogg_process_frame", &table.processFrame) && all;
  all = Resolve(module, u"pcc_ogg_tamber_ver", &table.tamberVer) && all;
  all = Resolve(module, u"pcc_ogg_eof", &table.eof) && all;
  all = Resolve(module, u"pcc_ogg_suspend", &table.suspend) && all;
  all = Resolve(module, u"pcc_ogg_resume", &table.resume) && all;
  if (!all) {
    FreeLibrary(module);
    gOggPlugin = {};
    return 0;
  }
  table.module = module;
  gOggPlugin = table;
  char version[kOggVersionBytes] = {};
  gOggPlugin.tamberVer(version);
  version[kOggVersionBytes - 1] = '\0';
  SetOggPluginVersion(version);
  return 0;
}

void FreeOggPlugin() {
  if (gOggPlugin.module) FreeLibrary(gOggPlugin.module);
  gOggPlugin = {};
}

bool Mp3PluginReady() {
  const Mp3PluginTable& t = gMp3Plugin;
  return t.decode && t.create && t.predecode && t.destroy;
}

bool OggPluginReady() {
  const OggPluginTable& t = gOggPlugin;
  return t.pcmFormat && t.create && t.processFrame && t.eof && t.inputFileOpen && t.replay && t.inputMemory &&
         t.free;
}
