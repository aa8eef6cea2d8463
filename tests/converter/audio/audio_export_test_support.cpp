#include "tests/converter/audio/audio_export_test_support.h"

#include <cstdlib>
#include <filesystem>

#include "common/sjis_string.h"
#include "host/module/module_api.h"
#include "host/run/call_log.h"
#include "tests/converter/audio/layer2_test_support.h"
#include "tests/converter/audio/system_stream_builder.h"
#include "tests/support/pcm_signal.h"

namespace layer2_test {

void AudioExportTest::SetUp() {
  HostSetModulePath(NOVEL_BINARY_DIR "/bin/reelpack");
  std::filesystem::create_directories(dir_.HostPath("out"));
}

void AudioExportTest::TearDown() {
  HostClearFailures();
  HostCallLogEnable(false);
  HostSetModulePath("");
  unsetenv("NOVEL_REGISTRY_FILE");
}

std::unique_ptr<reelpack::CMpegFileConv> AudioExportTest::Job(const std::string& input, int encoder,
                                                              int bitRateIndex, int sampleRateIndex, bool stereo) {
  auto job = std::make_unique<reelpack::CMpegFileConv>(bitRateIndex, sampleRateIndex, stereo ? 1 : 0);
  job->m_encoder = encoder;
  StrCopy(job->m_inputPath, sizeof(job->m_inputPath), input.c_str());
  StrCopy(job->m_outputFolder, sizeof(job->m_outputFolder), dir_.HostPath("out").c_str());
  return job;
}

std::string AudioExportTest::StreamOf(const std::string& fixture, const std::string& name) {
  return dir_.WriteFile(name, AudioSystemStream(ReadFileBytes(FixturePath(fixture))));
}

bool AudioExportTest::Exists(const std::string& name) const { return std::filesystem::exists(OutPath(name)); }

std::string AudioExportTest::Probe(const std::string& path) {
  return pcm_signal::Output("ffprobe -v error -select_streams a:0 -show_entries "
                            "stream=codec_name,sample_rate,channels,bit_rate -of default=nw=1 '" +
                            path + "'");
}

std::string ProbeValue(const std::string& probe, const std::string& key) {
  const std::size_t at = probe.find(key + "=");
  if (at == std::string::npos) return {};
  const std::size_t start = at + key.size() + 1;
  return probe.substr(start, probe.find('\n', start) - start);
}

}  // namespace layer2_test
