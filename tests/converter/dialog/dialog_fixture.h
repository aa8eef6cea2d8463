// Fixtures of the dialog tests: a fake conversion job whose run the test
// steps, and a dialog opened headless in a fresh current folder on the
// virtual clock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "converter/dialog/reelpack_dlg.h"
#include "host/mfc/dialog_driver.h"
#include "tests/support/temp_dir_test.h"

namespace dialog_test {

class FakeJob;

// What happened to the fake jobs of one test.
struct FakeJobLog {
  int made = 0;
  int deleted = 0;
  int killed = 0;
  FakeJob* live = nullptr;  // the last job made, until it is deleted
};

// Runs until the test finishes it or the dialog asks it to stop.
class FakeJob : public reelpack::CMpegFileConv {
 public:
  FakeJob(FakeJobLog& log, std::int32_t audioBitRateIndex, std::int32_t sampleRateIndex, std::int32_t stereo);
  ~FakeJob() override;

  std::int32_t Run() override;
  void OnKill() override;

  // Ends the run with these results and waits until the done flag is set.
  void Finish(reelpack::VideoPassStatus video, const std::string& videoText,
              reelpack::AudioExportStatus audio = reelpack::AudioExportStatus::Written,
              const std::string& audioText = "");

 private:
  void Release();

  FakeJobLog& log_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool released_ = false;
};

// The settings a job carries, for comparing whole.
struct JobFields {
  std::int32_t frameRateMode, sizeIndex, quality, audioBitRateIndex, sampleRateIndex, stereo, encoder;
  std::uint32_t maxRateSetting;
  std::string inputPath, outputFolder;
  bool operator==(const JobFields&) const = default;
};
JobFields FieldsOf(const reelpack::CMpegFileConv& job);
std::ostream& operator<<(std::ostream& out, const JobFields& fields);

// The UTF-8 form of Shift-JIS bytes.
std::string Utf8(const std::string& shiftJis);

class DialogTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens a dialog with the fake job factory (or the real job).
  void Open(bool realJob = false);
  // Chooses path (a Linux path, taken as Shift-JIS) through the browse button.
  void Browse(const std::string& path);
  // Lets the timer tick once (100 ms of virtual time).
  void Tick() { driver_->Advance(100); }
  // The folder the dialog opened in, as the dialog keeps it.
  std::string Folder() const;

  FakeJobLog jobs_;
  std::unique_ptr<reelpack::CReelpackDlg> dialog_;
  std::unique_ptr<DialogDriver> driver_;

 private:
  std::filesystem::path previousFolder_;
};

}  // namespace dialog_test
