// A sound as the mixer's channels read it, through the real decoder plug-ins:
// the first byte picks MP3 or Ogg Vorbis, a memory image or a file, looping,
// and a suspension half-way; the rest is the sound. Reads run until the
// sound ends or a few seconds of PCM are out.
#include <cstdint>
#include <vector>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "fuzz/fuzz_input.h"
#include "host/module/module_api.h"

namespace {

constexpr int kReads = 48;
constexpr std::uint32_t kReadBytes = 4096;

// The plug-ins live beside the engine programs; loaded once per process.
void LoadPlugins() {
  static const bool loaded = [] {
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
    LoadMp3Plugin();
    LoadOggPlugin();
    return true;
  }();
  (void)loaded;
}

// The sound opened from memory or from its file, then read through.
template <typename Stream, typename Suspend, typename Resume>
void OpenAndRead(Stream& stream, const std::vector<std::uint8_t>& image, const std::string& path, int loop,
                 bool suspend, Suspend suspendStream, Resume resumeStream) {
  if (!path.empty()) {
    stream.OpenFile(path, 0, 0);
  } else {
    stream.OpenMemory(image.data(), static_cast<std::uint32_t>(image.size()));
  }
  std::vector<std::uint8_t> out(kReadBytes + kMp3MaxFramePcmBytes);
  for (int i = 0; i < kReads && !stream.IsEnded(); ++i) {
    if (suspend && i == kReads / 2) {
      suspendStream(stream);
      stream.ReadPcm(out.data(), kReadBytes, loop);
      resumeStream(stream);
    }
    stream.ReadPcm(out.data(), kReadBytes, loop);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  LoadPlugins();
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const bool ogg = mode & 1;
  const int loop = (mode >> 1) & 1;
  const bool fromFile = mode & 4;
  const bool suspend = mode & 8;
  // An exact copy, so that a read past the image is caught.
  const std::vector<std::uint8_t> image(data + 1, data + size);
  std::string path;
  if (fromFile) {
    const EngineFileName file = EngineNameOf(WriteFuzzFile(image.data(), image.size(), ogg ? ".ogg" : ".mp3"));
    path = file.folder + file.name;
  }
  if (ogg) {
    COggStream stream;
    OpenAndRead(stream, image, path, loop, suspend, [](COggStream& s) { s.Suspend(); },
                [](COggStream& s) { s.Resume(); });
  } else {
    CMp3Stream stream;
    OpenAndRead(stream, image, path, loop, suspend, [](CMp3Stream& s) { s.Unmap(); }, [](CMp3Stream& s) { s.Remap(); });
  }
  return 0;
}
