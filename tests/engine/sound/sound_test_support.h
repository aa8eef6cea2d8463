// What the sound tests share: the fixture folder, the real plug-ins loaded
// from the program folder, and a fake Ogg plug-in whose "files" describe the
// PCM to produce, so mixes can be computed independently.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline const std::string kSoundFixtures = NOVEL_TEST_DATA_DIR "/sound/";

// Loads "Kestrine.ovl" and "Tamberwick.ovl" from the build's program folder
// for the scope; the tables are emptied again afterwards.
class RealPlugins {
 public:
  RealPlugins();
  ~RealPlugins();
  bool Loaded() const;
};

// Fills the Ogg table with the fake for the scope (the MP3 table is emptied).
// A fake image is a FakeSound header; the PCM is sample i of channel c =
// FakeSample(seed, i, c), for frames sample frames.
struct FakeSound {
  char magic[4] = {'F', 'A', 'K', 'E'};
  std::uint16_t channels = 2;
  std::uint32_t rate = 22050;
  std::uint32_t frames = 0;
  std::int32_t seed = 0;
  std::int32_t amplitude = 8000;
};
std::int16_t FakeSample(const FakeSound& sound, std::uint32_t frame, int channel);
std::vector<std::uint8_t> FakeImage(const FakeSound& sound);

class FakeOggPlugin {
 public:
  FakeOggPlugin();
  ~FakeOggPlugin();
  // Extra bytes each process call writes beyond what was wanted (from the
  // following PCM), as decoders with their own frame sizes do.
  static void SetSurplus(std::uint32_t bytes);
};

// The 16-bit samples ffmpeg decodes from a file (interleaved), with its
// channel count, rate and the length in sample frames the container declares
// (Ogg's last granule position; 0 when it declares none).
struct ReferencePcm {
  std::vector<std::int16_t> samples;
  int channels = 0;
  int rate = 0;
  long declaredFrames = 0;
};
ReferencePcm DecodeWithFfmpeg(const std::string& path);
