// The audio pass when it cannot make a track: each failure gives its result,
// leaves no empty, cut or temporary file, and removes a track of the same
// name from an earlier conversion.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "host/module/module_api.h"
#include "host/run/call_log.h"
#include "tests/converter/audio/audio_export_test_support.h"
#include "tests/converter/audio/system_stream_builder.h"
#include "tests/support/scoped_temp_dir.h"

using reelpack::AudioExportResult;
using reelpack::AudioExportStatus;

using namespace layer2_test;

namespace {

class AudioExportFailureTest : public AudioExportTest {
 protected:
  // Runs the job's export with an earlier track of the same name in place
  // and checks what every outcome but "written" must leave.
  AudioExportResult ExportOverEarlierTrack(reelpack::CMpegFileConv& job, const reelpack::StopCheck& stop = {}) {
    const std::string track = job.m_encoder == 1 ? "clip.ogg" : "clip.mp3";
    dir_.WriteFile("out/" + track, "an earlier track");
    const AudioExportResult result = job.ExportAudioTrack(stop);
    EXPECT_EQ(job.m_audioExport.status, result.status);
    EXPECT_EQ(job.m_audioExport.text, result.text);
    EXPECT_FALSE(result.text.empty());
    if (result.status != AudioExportStatus::Written) {
      EXPECT_FALSE(Exists(track)) << result.text;
    }
    EXPECT_FALSE(Exists(track + ".tmp"));
    return result;
  }
  // The program's folder holds nothing, and the registry names no encoder.
  void NoEncoderBesideTheProgram() {
    HostSetModulePath(empty_.HostPath("reelpack").c_str());
    setenv("NOVEL_REGISTRY_FILE", empty_.HostPath("registry.reg").c_str(), 1);
  }

  ScopedTempDir empty_{"no_encoder"};
};

TEST_F(AudioExportFailureTest, MissingOrIncompleteMp3Encoder) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  NoEncoderBesideTheProgram();
  AudioExportResult result = ExportOverEarlierTrack(*Job(input, 0, 7, 1, true));
  EXPECT_EQ(result.status, AudioExportStatus::LibraryMissing);
  EXPECT_TRUE(result.Failed());
  EXPECT_NE(result.text.find("gogo.dll"), std::string::npos);

  // A module of that name without the encoder's entry points.
  std::filesystem::copy_file(NOVEL_BINARY_DIR "/bin/Kestrine.ovl", empty_.HostPath("gogo.dll"));
  result = ExportOverEarlierTrack(*Job(input, 0, 7, 1, true));
  EXPECT_EQ(result.status, AudioExportStatus::LibraryMissing);

  // The Ogg encoder is linked in and needs no module.
  EXPECT_EQ(ExportOverEarlierTrack(*Job(input, 1, 7, 1, true)).status, AudioExportStatus::Written);
}

TEST_F(AudioExportFailureTest, RegistryPathFindsTheEncoderElsewhere) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  NoEncoderBesideTheProgram();
  empty_.WriteFile("registry.reg", "[HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL]\n\"INSTPATH\"=\"" NOVEL_BINARY_DIR
                                   "/bin/gogo.dll\"\n");
  const AudioExportResult result = ExportOverEarlierTrack(*Job(input, 0, 7, 1, true));
  EXPECT_EQ(result.status, AudioExportStatus::Written) << result.text;
  EXPECT_EQ(ProbeValue(Probe(OutPath("clip.mp3")), "codec_name"), "mp3");

  // A value of another type is no path.
  empty_.WriteFile("registry.reg", "[HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL]\n\"INSTPATH\"=dword:00000001\n");
  EXPECT_EQ(ExportOverEarlierTrack(*Job(input, 0, 7, 1, true)).status, AudioExportStatus::LibraryMissing);
}

TEST_F(AudioExportFailureTest, SettingsOutsideTheDialogsChoicesAreRefused) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  for (int encoder : {0, 1}) {
    for (int index : {-1, 13}) {
      const AudioExportResult result = ExportOverEarlierTrack(*Job(input, encoder, index, 1, true));
      EXPECT_EQ(result.status, AudioExportStatus::ConfigurationRefused) << encoder << " " << index;
      EXPECT_TRUE(result.Failed());
    }
  }
  // An unknown encoder has no track name: nothing is written or removed.
  dir_.WriteFile("out/clip.mp3", "an earlier track");
  const AudioExportResult result = Job(input, 2, 7, 1, true)->ExportAudioTrack();
  EXPECT_EQ(result.status, AudioExportStatus::ConfigurationRefused);
  EXPECT_TRUE(Exists("clip.mp3"));
}

TEST_F(AudioExportFailureTest, SourcesWithoutSoundGiveNoTrack) {
  SystemStreamBuilder videoOnly;
  const std::vector<std::uint8_t> video(3000, 0x42);
  videoOnly.PackHeader();
  videoOnly.Packets(0xE0, video, 1000, PacketHeader::Pts);
  videoOnly.EndCode();
  // Audio packets holding no frame sync at all.
  std::vector<std::uint8_t> garbage(20000);
  std::uint32_t seed = 7;
  for (auto& byte : garbage) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>((seed >> 16) % 0xFF);
  }
  const std::string inputs[] = {dir_.WriteFile("video_only.mpg", videoOnly.Bytes()),
                                dir_.WriteFile("garbage.mpg", AudioSystemStream(garbage)),
                                dir_.HostPath("missing.mpg")};
  for (const std::string& input : inputs) {
    for (int encoder : {0, 1}) {
      auto job = Job(input, encoder, 7, 1, true);
      // The track's name follows the input's.
      const std::string base = std::filesystem::path(input).stem().string();
      dir_.WriteFile("out/" + base + (encoder ? ".ogg" : ".mp3"), "an earlier track");
      const AudioExportResult result = job->ExportAudioTrack();
      EXPECT_EQ(result.status, AudioExportStatus::NoSound) << input;
      EXPECT_FALSE(result.Failed());
      EXPECT_FALSE(Exists(base + (encoder ? ".ogg" : ".mp3"))) << input;
    }
  }
}

TEST_F(AudioExportFailureTest, UnwritableFolderFullMediumAndFailedRename) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  // The output folder refuses new files once the input has been read.
  const reelpack::StopCheck folderGoesReadOnly = [] {
    HostFailCall("CreateFileA");
    return false;
  };
  for (int encoder : {0, 1}) {
    AudioExportResult result = ExportOverEarlierTrack(*Job(input, encoder, 7, 1, true), folderGoesReadOnly);
    EXPECT_EQ(result.status, AudioExportStatus::WriteFailed);
    EXPECT_NE(result.text.find(result.trackPath), std::string::npos);
    HostClearFailures();

    HostFailWritesAfter(1000);
    result = ExportOverEarlierTrack(*Job(input, encoder, 7, 1, true));
    EXPECT_EQ(result.status, AudioExportStatus::WriteFailed);
    HostClearFailures();

    HostFailCall("MoveFileW");
    EXPECT_EQ(ExportOverEarlierTrack(*Job(input, encoder, 7, 1, true)).status, AudioExportStatus::WriteFailed);
    HostClearFailures();
  }
}

TEST_F(AudioExportFailureTest, MemoryForTheWholeTrackCannotBeHad) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  for (int encoder : {0, 1}) {
    // 44,100 Hz stereo needs no conversion block; 22,050 Hz mono does.
    for (int sampleRateIndex : {1, 0}) {
      HostFailCall("VirtualAlloc");
      const AudioExportResult result =
          ExportOverEarlierTrack(*Job(input, encoder, 7, sampleRateIndex, sampleRateIndex == 1));
      EXPECT_TRUE(result.Failed()) << result.text;
      EXPECT_NE(result.status, AudioExportStatus::Written);
      HostClearFailures();
    }
  }
}

TEST_F(AudioExportFailureTest, StopIsAskedAtEveryStageAndLeavesNoTrack) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  // Counting the questions of one whole run finds the stages: Layer II
  // frames first, then a conversion block, then encoder steps.
  for (int encoder : {0, 1}) {
    int asked = 0;
    ASSERT_EQ(Job(input, encoder, 7, 0, false)->ExportAudioTrack([&asked] { return ++asked < 0; }).status,
              AudioExportStatus::Written);
    const int total = asked;
    EXPECT_GT(total, 20) << encoder;
    for (int stopAt : {1, total / 2, total}) {
      int count = 0;
      const AudioExportResult result =
          ExportOverEarlierTrack(*Job(input, encoder, 7, 0, false), [&count, stopAt] { return ++count >= stopAt; });
      EXPECT_EQ(result.status, AudioExportStatus::Stopped) << encoder << " at " << stopAt;
      EXPECT_TRUE(result.Failed());
    }
  }
}

TEST_F(AudioExportFailureTest, ATrackOfTheOtherKindIsKeptAndReported) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  ASSERT_EQ(Job(input, 0, 7, 1, true)->ExportAudioTrack().status, AudioExportStatus::Written);
  const AudioExportResult ogg = Job(input, 1, 7, 1, true)->ExportAudioTrack();
  EXPECT_EQ(ogg.status, AudioExportStatus::Written);
  EXPECT_TRUE(ogg.otherTrackKept);
  EXPECT_NE(ogg.text.find("clip.mp3"), std::string::npos) << ogg.text;
  EXPECT_TRUE(Exists("clip.mp3"));
  EXPECT_TRUE(Exists("clip.ogg"));
}

}  // namespace
