// A job that cannot finish leaves no file under a final or temporary name
// and earlier outputs of those names as they were, and says why.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "host/run/call_log.h"
#include "tests/converter/job/job_test_support.h"
#include "tests/support/file_bytes.h"

using reelpack::CMpegFileConv;
using reelpack::JobPhase;
using reelpack::VideoPassStatus;

namespace job_test {
namespace {

const std::vector<std::string> kEarlierNames = {"clip.mp3", "clip.ogg", "clip.rzm2"};

class JobFailure : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    dir_.WriteFile("out/clip.rzm2", "an earlier movie");
    dir_.WriteFile("out/clip.mp3", "an earlier MP3 track");
    dir_.WriteFile("out/clip.ogg", "an earlier Ogg track");
  }
  void ExpectEarlierOutputsKept() {
    EXPECT_EQ(OutNames(), kEarlierNames);
    EXPECT_TRUE(dir_.ReadFile("out/clip.rzm2") == "an earlier movie");
    EXPECT_TRUE(dir_.ReadFile("out/clip.mp3") == "an earlier MP3 track");
    EXPECT_TRUE(dir_.ReadFile("out/clip.ogg") == "an earlier Ogg track");
  }
};

TEST_F(JobFailure, RefusalsTouchNoOutput) {
  const std::string stream = SoundStream("source.mpg", 1.0);
  ASSERT_FALSE(stream.empty());
  std::filesystem::copy_file(stream, dir_.HostPath("clip.txt"));
  std::filesystem::create_directories(dir_.HostPath("clip.mpg"));
  dir_.WriteFile("text/clip.mpg", "This is a text file, not a movie.\n");
  ASSERT_FALSE(MakeStream(dir_.HostPath("mpeg2/clip.mpg"), "testsrc2=size=320x240:rate=25", "",
                          "-t 1 -c:v mpeg2video -f mpeg")
                   .empty());
  ASSERT_FALSE(MakeStream(dir_.HostPath("program/clip.mpg"), "testsrc2=size=320x240:rate=25", "",
                          "-t 1 -c:v mpeg2video -f vob")
                   .empty());
  // 15 frames per second is outside the MPEG-1 table: such a stream has no rate.
  ASSERT_FALSE(MakeStream(dir_.HostPath("rate15/clip.mpg"), "testsrc2=size=176x144:rate=15", "",
                          "-t 1 -c:v mpeg1video -strict unofficial -f mpeg")
                   .empty());
  struct Case {
    const char* what;
    std::string input;
    bool real;
    std::function<void(CMpegFileConv&)> prepare;
    const char* text;
  } cases[] = {
      {"missing input", dir_.HostPath("missing/clip.mpg"), true, {}, "missing"},
      {"a folder", dir_.HostPath("clip.mpg"), true, {}, "missing"},
      {"unknown extension", dir_.HostPath("clip.txt"), true, {}, "not an MPEG file name"},
      {"text named .mpg", dir_.HostPath("text/clip.mpg"), true, {}, "no MPEG-1 system stream"},
      {"MPEG-2 video", dir_.HostPath("mpeg2/clip.mpg"), true, {}, "MPEG-2"},
      {"MPEG-2 program stream", dir_.HostPath("program/clip.mpg"), true, {}, "MPEG-2"},
      {"no frames", dir_.HostPath("clip.mpg"), false, [](CMpegFileConv&) { Stub().frameCount = 0; }, "counted"},
      {"frames not counted", dir_.HostPath("clip.mpg"), false, [](CMpegFileConv&) { Stub().frameCount = -1; },
       "counted"},
      {"shorter than a step", dir_.HostPath("clip.mpg"), false, [](CMpegFileConv&) { Stub().frameCount = 1; },
       "shorter than one movie frame"},
      {"no frame rate", dir_.HostPath("clip.mpg"), false,
       [](CMpegFileConv&) {
         Stub().frameCount = 10;
         Stub().rateNumerator = 0;
       },
       "no frame rate"},
      {"a rate outside the table", dir_.HostPath("rate15/clip.mpg"), true, {}, "no frame rate"},
      {"output folder missing", stream, true,
       [this](CMpegFileConv& job) {
         std::snprintf(job.m_outputFolder, sizeof(job.m_outputFolder), "%s", dir_.HostPath("nowhere").c_str());
       },
       "output folder"},
      {"output folder unwritable", stream, false, [](CMpegFileConv&) { HostFailCall("CreateFileA"); },
       "output folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Stub() = StubVideo{};
    Stub().frameCount = 10;
    CMpegFileConv job(7, 0, 0);
    Configure(job, c.input, c.real);
    if (c.prepare) c.prepare(job);
    job.Run();
    HostClearFailures();
    EXPECT_EQ(job.m_video.status, VideoPassStatus::Refused);
    EXPECT_NE(job.m_video.text.find(c.text), std::string::npos) << job.m_video.text;
    EXPECT_EQ(job.m_done, 1);
    EXPECT_EQ(job.m_framesWritten, 0);
    ExpectEarlierOutputsKept();
  }
}

TEST_F(JobFailure, WritesThatFailLeaveNothing) {
  Stub().frameCount = 12;
  auto first = Job(dir_.HostPath("fresh/clip.mpg"));
  std::snprintf(first->m_outputFolder, sizeof(first->m_outputFolder), "%s", dir_.HostPath("").c_str());
  first->Run();
  ASSERT_EQ(first->m_video.status, VideoPassStatus::Written);
  const std::uint64_t movieBytes = ReadFileBytes(dir_.HostPath("clip.rzm2")).size();
  struct Case {
    const char* what;
    std::function<void()> fail;
  } cases[] = {
      {"no byte", [] { HostFailWritesAfter(0); }},
      {"the header only", [] { HostFailWritesAfter(48 + 24 * 12 + 10); }},
      {"some records", [] { HostFailWritesAfter(3000); }},
      {"all but the final header", [movieBytes] { HostFailWritesAfter(movieBytes); }},
      {"the flush", [] { HostFailCall("FlushFileBuffers"); }},
      {"the final seek", [] { HostFailCall("SetFilePointer"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Stub() = StubVideo{};
    Stub().frameCount = 12;
    auto job = Job(dir_.HostPath("clip.mpg"));
    c.fail();
    job->Run();
    HostClearFailures();
    EXPECT_EQ(job->m_video.status, VideoPassStatus::WriteFailed);
    EXPECT_NE(job->m_video.text.find("could not be written"), std::string::npos) << job->m_video.text;
    ExpectEarlierOutputsKept();
  }
}

TEST_F(JobFailure, AFailedRenameKeepsTheEarlierMovie) {
  Stub().frameCount = 4;
  auto job = Job(dir_.HostPath("clip.mpg"));
  HostFailCall("MoveFileW");
  job->Run();
  HostClearFailures();
  EXPECT_EQ(job->m_video.status, VideoPassStatus::WriteFailed);
  EXPECT_TRUE(dir_.ReadFile("out/clip.rzm2") == "an earlier movie");
  for (const std::string& name : OutNames()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

// Stops at the `checks`-th stop check, counting from the phase `from` on.
class StopAtCheck : public CMpegFileConv {
 public:
  using CMpegFileConv::CMpegFileConv;
  JobPhase from = JobPhase::Video;
  std::atomic<int> checks{0};
  void CheckKill() override {
    if (m_phase >= from && --checks == 0) MarkKilled();
    CMpegFileConv::CheckKill();
  }
};

TEST_F(JobFailure, StopsAtTheFirstFrameMidVideoAndInTheSoundPass) {
  for (const int frame : {0, 5}) {
    SCOPED_TRACE(frame);
    Stub() = StubVideo{};
    Stub().frameCount = 12;
    auto job = Job(dir_.HostPath("clip.mpg"));
    job->m_frameRateMode = 1;
    Stub().onFetch = [&job, frame](int fetched) {
      if (fetched == frame) job->MarkKilled();
    };
    job->Run();
    EXPECT_EQ(job->m_video.status, VideoPassStatus::Cancelled);
    EXPECT_NE(job->m_video.text.find("stopped"), std::string::npos);
    EXPECT_EQ(job->m_framesWritten, frame);
    ExpectEarlierOutputsKept();
  }
  const std::string stream = SoundStream("clip.mpg");
  struct Case {
    int threads;
    JobPhase from;
  } cases[] = {{1, JobPhase::Sound}, {3, JobPhase::Video}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.threads);
    StopAtCheck job(7, 0, 0);
    Configure(job, stream, true);
    job.m_threads = c.threads;
    job.from = c.from;
    job.checks = 20;
    job.Run();
    EXPECT_EQ(job.m_video.status, VideoPassStatus::Cancelled);
    if (c.from == JobPhase::Sound) {
      EXPECT_EQ(job.m_audioExport.status, reelpack::AudioExportStatus::Stopped);
    }
    ExpectEarlierOutputsKept();
  }
}

TEST_F(JobFailure, AKilledProcessLeavesNoFinalNameAndTheNextRunSucceeds) {
  Stub().frameCount = 12;
  Stub().onFetch = [](int frame) {
    if (frame == 7) raise(SIGKILL);
  };
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    Job(dir_.HostPath("clip.mpg"))->Run();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_TRUE(dir_.ReadFile("out/clip.rzm2") == "an earlier movie");
  EXPECT_TRUE(dir_.ReadFile("out/clip.mp3") == "an earlier MP3 track");
  std::vector<std::string> expected = kEarlierNames;
  expected.push_back("clip.rzm2.tmp");
  EXPECT_EQ(OutNames(), expected);

  Stub().onFetch = {};
  auto job = Job(dir_.HostPath("clip.mpg"));
  job->Run();
  EXPECT_EQ(job->m_video.status, VideoPassStatus::Written);
  // No sound in this source: earlier tracks would play against the new movie.
  EXPECT_EQ(OutNames(), std::vector<std::string>{"clip.rzm2"});
  EXPECT_EQ(Word(OutBytes("clip.rzm2"), 0x08), 6u);
}

TEST_F(JobFailure, FailedFetchesAndFramesTheRoadCannotCode) {
  // The first fetch fails: the frame is black, not stray memory; later
  // failures repeat the previous picture. All failing is a failure.
  Stub().frameCount = 8;
  Stub().failingFrames = {0, 4, 5};
  auto job = Job(dir_.HostPath("clip.mpg"));
  job->m_frameRateMode = 1;
  job->Run();
  ASSERT_EQ(job->m_video.status, VideoPassStatus::Written);
  EXPECT_EQ(job->m_failedFetches, 3);
  const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
  EXPECT_LE(DecodeRecord(MovieRecord(movie, 0)).At(120, 160), 0x0841u);
  EXPECT_EQ(MovieRecord(movie, 4), MovieRecord(movie, 3));
  EXPECT_EQ(MovieRecord(movie, 5), MovieRecord(movie, 3));
  EXPECT_EQ(StubFrameOfColour(DecodeRecord(MovieRecord(movie, 6)).At(120, 160)), 6);

  Stub().fetched.clear();
  Stub().failingFrames = {0, 1, 2, 3, 4, 5, 6, 7};
  auto none = Job(dir_.HostPath("clip.mpg"));
  none->m_frameRateMode = 1;
  none->Run();
  EXPECT_EQ(none->m_video.status, VideoPassStatus::CodingFailed);
  EXPECT_NE(none->m_video.text.find("no frame"), std::string::npos);
  EXPECT_EQ(OutNames(), std::vector<std::string>{"clip.rzm2"});
  EXPECT_EQ(OutBytes("clip.rzm2"), movie);
}

}  // namespace
}  // namespace job_test
