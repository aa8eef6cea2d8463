#include <cstring>

#include "common/format_text.h"
#include "common/sjis_string.h"
#include "engine/shell/engine_base.h"
#include "engine/runtime/file_helpers.h"
#include "engine/runtime/runtime_globals.h"
#include "host/files/file_api.h"

namespace {

constexpr std::uint32_t kFolderSettingBytes = 127;

// Drops the last folder name of a path that ends with a backslash; the root
// (or a path with a single name) stays as it is.
void RemoveLastFolder(std::string* path) {
  if (path->size() < 2) return;
  std::string trimmed = path->substr(0, path->size() - 1);
  const char* separator = StrFindLast(trimmed.c_str(), '\\');
  if (!separator) return;
  path->resize(static_cast<std::size_t>(separator - trimmed.c_str()) + 1);
}

// Length of the next path segment of text, up to and including its
// backslash; never stops inside a double-byte character.
std::size_t SegmentLength(const char* text) {
  std::size_t length = 0;
  while (text[length]) {
    if (IsSjisLeadByte(static_cast<unsigned char>(text[length])) && text[length + 1]) {
      length += 2;
      continue;
    }
    if (text[length++] == '\\') break;
  }
  return length;
}

}  // namespace

int CEngineBase::LocateDataFolder(const char* settingsFile, const char* probeFile) {
  const std::string settingsPath = programFolder + settingsFile;
  for (int n = 1; n <= 5; ++n) {
    char key[16];
    FormatText(key, "DATA%z2", n);
    char value[kFolderSettingBytes + 1] = {};
    services->ReadProfileString("GAME_INST_FOLDER", key, "", value, kFolderSettingBytes, settingsPath.c_str());
    std::string folder;
    if (value[0] && ResolvePath(&folder, value, probeFile)) {
      SetDataFolder(folder);
      return 1;
    }
  }
  SetDataFolder(programFolder + "data\\");
  return 0;
}

int CEngineBase::ResolvePath(std::string* out, const char* folderText, const char* probeFile) const {
  if (!folderText[0]) {
    *out = programFolder;
  } else if (folderText[0] == '\\' || folderText[1] == ':') {
    *out = folderText;
  } else {
    *out = programFolder;
    const char* rest = folderText;
    if (std::strncmp(rest, ".\\", 2) == 0) rest += 2;
    while (*rest) {
      const std::size_t length = SegmentLength(rest);
      if (std::strncmp(rest, "..\\", 3) == 0) {
        RemoveLastFolder(out);
      } else {
        out->append(rest, length);
      }
      rest += length;
    }
  }
  if (!probeFile || !probeFile[0]) return 1;
  return FileExists((*out + probeFile).c_str()) ? 1 : 0;
}

void CEngineBase::SetDataFolder(const std::string& folder) {
  const bool vga = GetScreenWidth() >= 640;
  pictureArchive = folder + (vga ? "pict_v.mlz" : "pict.mlz");
  secondPictureArchive = folder + (vga ? "pict2_v.mlz" : "pict2.mlz");
  scriptArchive = folder + "script.mlz";
  voiceArchive = folder + "voice.mlz";
  bgmFolder = folder + "bgm\\";
  soundEffectArchive = folder + "se.mlz";
  dataFolder = folder;
  saveFolder = folder + "save";
  if (!FileExists(saveFolder.c_str())) {
    // A failure shows later, when a save cannot be written.
    CreateDirectoryW(AnsiToWideStatic(saveFolder.c_str()), nullptr);
  }
  saveFolder += '\\';
  pictureSlots.SetArchivePaths(pictureArchive.c_str(), secondPictureArchive.c_str());
  pictureSlots.SetSaveFolder(saveFolder.c_str());
}
