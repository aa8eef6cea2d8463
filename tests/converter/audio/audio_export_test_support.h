// A fixture for the audio pass: a job over a system stream written into a
// fresh folder, the encoder module found beside the program, and probes of
// the tracks it writes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "converter/job/conversion_job_record.h"
#include "tests/support/temp_dir_test.h"

namespace layer2_test {

class AudioExportTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A job reading input (a Linux path) and writing to the folder "out".
  std::unique_ptr<reelpack::CMpegFileConv> Job(const std::string& input, int encoder, int bitRateIndex,
                                               int sampleRateIndex, bool stereo);
  // A system stream of the Layer II fixture, written as name.
  std::string StreamOf(const std::string& fixture, const std::string& name);
  std::string OutPath(const std::string& name) const { return dir_.HostPath("out/" + name); }
  bool Exists(const std::string& name) const;
  // ffprobe's "key=value" lines of the first audio stream.
  static std::string Probe(const std::string& path);
};

// The value of key in Probe's text, or "".
std::string ProbeValue(const std::string& probe, const std::string& key);

}  // namespace layer2_test
