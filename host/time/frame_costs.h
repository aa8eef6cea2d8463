// What each instant of a virtual-clock run costs in real time: the time the
// recording thread works between one Sleep and the next, noted at the
// virtual millisecond it worked at. Everything a program does at one virtual
// instant (a frame's scene, drawing and present) adds up in one entry, so the
// dearest instants are the frames' work.
#pragma once

#include <string>

#include "host/base/win_types.h"

// Starts recording the calling thread's work; the file is written by
// HostFrameCostsFinish as "VIRTUAL_MS REAL_MICROSECONDS" lines.
void HostFrameCostsStart(const std::string& path);
// Sleep's notes, on any thread: the work ends at the call, before virtual
// time moves on from virtualNow, and starts again when the sleep returns.
void HostFrameCostsNoteSleep(DWORD virtualNow);
void HostFrameCostsNoteWake();
// Around the host's own work on the recording thread (a screenshot's PNG):
// its time is left out of the instant's cost.
void HostFrameCostsBeginHostWork();
void HostFrameCostsEndHostWork();
// Writes the file (false with a message when it cannot) and stops recording.
bool HostFrameCostsFinish();
