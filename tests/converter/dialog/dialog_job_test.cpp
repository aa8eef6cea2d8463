// The dialog while a (fake) job runs: progress on each tick, the end of the
// job, results that stay on show, a start that fails, and closing the
// dialog during the job.
#include <gtest/gtest.h>

#include <functional>

#include "converter/dialog/dialog_template.h"
#include "host/threads/thread_api.h"
#include "tests/converter/dialog/dialog_fixture.h"

using namespace reelpack;

namespace dialog_test {
namespace {

class DialogJob : public DialogTest {
 protected:
  // Opens the dialog and starts a fake job on clip.mpg.
  void StartJob() {
    Open();
    Browse("/movies/clip.mpg");
    driver_->Click(IDC_START);
    ASSERT_NE(jobs_.live, nullptr);
  }
};

TEST_F(DialogJob, TicksShowProgressAndTheEndMakesTheDialogIdle) {
  StartJob();
  FakeJob& job = *jobs_.live;
  EXPECT_EQ(dialog_->Job(), &job);
  EXPECT_FALSE(driver_->Enabled(IDC_START));
  // A second click while converting is ignored.
  driver_->Click(IDC_START);
  EXPECT_EQ(jobs_.made, 1);

  job.m_framesWritten = 12;
  job.m_framesTotal = 40;
  job.m_sourceFps = 30000.0 / 1001.0;
  *job.m_avgKbpsOut = 1234;
  *job.m_maxKbpsOut = 2345;
  Tick();
  EXPECT_EQ(driver_->TextUtf8(IDC_PROGRESS), "変換データ数：12 / 40");
  EXPECT_EQ(driver_->Text(IDC_SOURCE_FPS), "FPS(29.970)");
  EXPECT_EQ(driver_->TextUtf8(IDC_AVERAGE_RATE), "平均ビットレート：1234kbps");
  EXPECT_EQ(driver_->TextUtf8(IDC_MAXIMUM_RATE), "最大ビットレート：2345kbps");

  job.Finish(VideoPassStatus::Written, "");
  Tick();
  EXPECT_EQ(jobs_.deleted, 1);
  EXPECT_EQ(dialog_->Job(), nullptr);
  EXPECT_TRUE(driver_->Enabled(IDC_START));
  EXPECT_EQ(driver_->Text(IDC_PROGRESS), "");
  EXPECT_EQ(driver_->Text(IDC_SOURCE_FPS), "");
  EXPECT_EQ(driver_->TextUtf8(IDC_AVERAGE_RATE), "平均ビットレート：1234kbps");
  EXPECT_EQ(driver_->TextUtf8(IDC_MAXIMUM_RATE), "最大ビットレート：2345kbps");
}

TEST_F(DialogJob, ChangesDuringAJobReachOnlyTheNext) {
  StartJob();
  const JobFields first = FieldsOf(*jobs_.live);
  driver_->Select(IDC_QUALITY, 2);
  driver_->Select(IDC_PICTURE_SIZE, 1);
  driver_->Click(IDC_STEREO);
  driver_->Click(IDC_ENCODER_OGG);
  driver_->Slide(IDC_RATE_SLIDER, 50);
  Browse("/movies/next.mpg");
  Tick();
  EXPECT_EQ(driver_->Text(IDC_RATE_TEXT), "[7.0]Mbps");
  EXPECT_EQ(FieldsOf(*jobs_.live), first);

  jobs_.live->Finish(VideoPassStatus::Written, "");
  Tick();
  driver_->Click(IDC_START);
  ASSERT_EQ(jobs_.made, 2);
  JobFields next = first;
  next.quality = 2;
  next.sizeIndex = 1;
  next.stereo = 0;
  next.encoder = 1;
  next.maxRateSetting = 70;
  next.inputPath = "/movies/next.mpg";
  EXPECT_EQ(FieldsOf(*jobs_.live), next);
}

// A failed job's text stays where the progress was; a sound track that
// failed beside a written movie shows the track's text.
TEST_F(DialogJob, AFailedJobLeavesItsResultOnShow) {
  struct Case {
    VideoPassStatus video;
    std::string videoText;
    AudioExportStatus audio;
    std::string audioText;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {VideoPassStatus::Refused, "clip.mpg: MPEG-2 video is not supported", AudioExportStatus::NoSound, "",
       "clip.mpg: MPEG-2 video is not supported"},
      {VideoPassStatus::WriteFailed, "the movie could not be written", AudioExportStatus::Stopped, "stopped",
       "the movie could not be written"},
      {VideoPassStatus::Written, "", AudioExportStatus::LibraryMissing, "gogo.dll is missing", "gogo.dll is missing"},
      {VideoPassStatus::Written, "", AudioExportStatus::NoSound, "the source has no sound", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    jobs_ = FakeJobLog{};
    StartJob();
    jobs_.live->Finish(c.video, c.videoText, c.audio, c.audioText);
    Tick();
    EXPECT_EQ(dialog_->Job(), nullptr);
    EXPECT_EQ(driver_->Text(IDC_PROGRESS), c.shown);
    EXPECT_TRUE(driver_->Enabled(IDC_START));
    driver_.reset();
    dialog_.reset();
  }
}

TEST_F(DialogJob, AStartWhoseThreadFailsLeavesTheDialogIdle) {
  Open();
  Browse("/movies/clip.mpg");
  HostFailThreadCreation(1);
  driver_->Click(IDC_START);
  EXPECT_EQ(jobs_.made, 1);
  EXPECT_EQ(jobs_.deleted, 1);
  EXPECT_EQ(dialog_->Job(), nullptr);
  EXPECT_TRUE(driver_->Enabled(IDC_START));
  EXPECT_EQ(driver_->Text(IDC_PROGRESS), "The conversion could not be started: no thread could be made for it.");

  driver_->Click(IDC_START);
  EXPECT_EQ(jobs_.made, 2);
  ASSERT_NE(dialog_->Job(), nullptr);
  EXPECT_FALSE(driver_->Enabled(IDC_START));
}

TEST_F(DialogJob, ClosingStopsAndDeletesARunningJob) {
  struct Case {
    const char* name;
    std::function<void(DialogDriver&)> close;
    INT_PTR result;
  };
  const std::vector<Case> cases = {
      {"Enter", [](DialogDriver& d) { d.PressEnter(); }, IDOK},
      {"Escape", [](DialogDriver& d) { d.PressEscape(); }, IDCANCEL},
      {"close box", [](DialogDriver& d) { d.CloseBox(); }, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool running : {false, true}) {
      jobs_ = FakeJobLog{};
      Open();
      if (running) {
        Browse("/movies/clip.mpg");
        driver_->Click(IDC_START);
      }
      c.close(*driver_);
      EXPECT_TRUE(driver_->Ended());
      EXPECT_EQ(driver_->Result(), c.result);
      EXPECT_EQ(dialog_->m_hWnd, nullptr);
      EXPECT_EQ(jobs_.killed, running ? 1 : 0);
      EXPECT_EQ(jobs_.deleted, jobs_.made);
      EXPECT_EQ(dialog_->Job(), nullptr);
      driver_.reset();
      dialog_.reset();
    }
  }
}

}  // namespace
}  // namespace dialog_test
