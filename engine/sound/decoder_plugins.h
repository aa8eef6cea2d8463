// The two decoder plug-ins, loaded by name at start-up ("Kestrine.ovl" for
// MP3, "Tamberwick.ovl" for Ogg Vorbis), and their entry-point tables. A
// table is either full (every entry resolved, module set) or empty; the
// streams check for an empty table before any call. Tests may fill a table
// with fakes.
#pragma once

#include "host/base/win_types.h"
#include "host/plugins/decoder_plugin_exports.h"

struct Mp3PluginTable {
  Mp3DecodeFn decode;
  Mp3CreateFn create;
  Mp3PredecodeFn predecode;
  Mp3DestroyFn destroy;
  Mp3GetDecVerFn getDecVer;
  HMODULE module;
};

struct OggPluginTable {
  OggPcmFormatFn pcmFormat;
  OggCreateFn create;
  OggProcessFrameFn processFrame;
  OggPcmSizeFn pcmSize;
  OggEofFn eof;
  OggInputFileOpenFn inputFileOpen;
  OggTamberVerFn tamberVer;
  OggInputFileMapFn inputFileMap;
  OggReplayFn replay;
  OggInputMemoryFn inputMemory;
  OggFreeFn free;
  OggResumeFn resume;
  OggSuspendFn suspend;
  HMODULE module;
};

extern Mp3PluginTable gMp3Plugin;
extern OggPluginTable gOggPlugin;

// 0 when the library was found (loaded, or freed again because it lacks an
// entry point, which leaves the table empty), 1 when it was not found.
int LoadMp3Plugin();
void FreeMp3Plugin();
// As LoadMp3Plugin; a loaded Ogg plug-in's version text is kept for the
// system screen (SetOggPluginVersion).
int LoadOggPlugin();
void FreeOggPlugin();

// A full table: every entry the streams call is there.
bool Mp3PluginReady();
bool OggPluginReady();
