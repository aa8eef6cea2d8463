#include "tests/converter/dialog/dialog_fixture.h"

#include <ostream>
#include <thread>

#include "converter/dialog/dialog_template.h"
#include "host/console/current_directory_api.h"
#include "host/mfc/file_chooser_api.h"
#include "host/run/call_log.h"
#include "host/threads/thread_api.h"
#include "host/time/time_api.h"
#include "host/window/window_backend.h"

using reelpack::AudioExportStatus;
using reelpack::VideoPassStatus;

namespace dialog_test {

FakeJob::FakeJob(FakeJobLog& log, std::int32_t audioBitRateIndex, std::int32_t sampleRateIndex, std::int32_t stereo)
    : CMpegFileConv(audioBitRateIndex, sampleRateIndex, stereo), log_(log) {
  ++log_.made;
  log_.live = this;
}

FakeJob::~FakeJob() {
  // The run must not outlive the members it waits on.
  Release();
  WaitThread(INFINITE);
  ++log_.deleted;
  if (log_.live == this) log_.live = nullptr;
}

std::int32_t FakeJob::Run() {
  std::unique_lock hold(lock_);
  wake_.wait(hold, [this] { return released_; });
  m_done = 1;
  return 0;
}

void FakeJob::OnKill() {
  ++log_.killed;
  std::lock_guard hold(lock_);
  // A stop before the test finished the run: the job ends as stopped.
  if (!released_) m_video.status = VideoPassStatus::Cancelled;
  released_ = true;
  wake_.notify_all();
}

void FakeJob::Release() {
  std::lock_guard hold(lock_);
  released_ = true;
  wake_.notify_all();
}

void FakeJob::Finish(VideoPassStatus video, const std::string& videoText, AudioExportStatus audio,
                     const std::string& audioText) {
  m_video.status = video;
  m_video.text = videoText;
  m_audioExport.status = audio;
  m_audioExport.text = audioText;
  Release();
  while (m_done != 1) std::this_thread::yield();
}

JobFields FieldsOf(const reelpack::CMpegFileConv& job) {
  return JobFields{job.m_frameRateMode,   job.m_sizeIndex,   job.m_quality, job.m_audioBitRateIndex,
                   job.m_sampleRateIndex, job.m_stereo,      job.m_encoder, job.m_maxRateSetting,
                   job.m_inputPath,       job.m_outputFolder};
}

std::ostream& operator<<(std::ostream& out, const JobFields& f) {
  return out << "{mode " << f.frameRateMode << ", size " << f.sizeIndex << ", quality " << f.quality << ", audio "
             << f.audioBitRateIndex << ", rate " << f.sampleRateIndex << ", stereo " << f.stereo << ", encoder "
             << f.encoder << ", max " << f.maxRateSetting << ", in " << f.inputPath << ", out " << f.outputFolder
             << "}";
}

std::string Utf8(const std::string& shiftJis) { return DialogDriver::Utf8(shiftJis); }

void DialogTest::SetUp() {
  HostClockSetMode(HostClockMode::Virtual);
  HostWindowSystemReset();
  HostCallLogEnable(true);
  HostTakeFileChooserCalls();
  previousFolder_ = std::filesystem::current_path();
  std::filesystem::current_path(dir_.HostPath(""));
}

void DialogTest::TearDown() {
  driver_.reset();
  dialog_.reset();
  std::filesystem::current_path(previousFolder_);
  HostCallLogEnable(false);
  HostClearFailures();
  HostFailThreadCreation(0);
  HostSetFileChooser(nullptr);
  HostWindowSystemReset();
}

void DialogTest::Open(bool realJob) {
  reelpack::CReelpackDlg::JobFactory fake = [this](std::int32_t audio, std::int32_t rate, std::int32_t stereo) {
    return std::make_unique<FakeJob>(jobs_, audio, rate, stereo);
  };
  dialog_ = std::make_unique<reelpack::CReelpackDlg>(nullptr, realJob ? nullptr : fake);
  driver_ = std::make_unique<DialogDriver>(*dialog_);
  ASSERT_TRUE(driver_->Opened());
}

void DialogTest::Browse(const std::string& path) {
  HostQueueFileChoice(path);
  driver_->Click(reelpack::IDC_BROWSE);
}

std::string DialogTest::Folder() const {
  char folder[1024] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

}  // namespace dialog_test
