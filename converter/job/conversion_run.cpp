// CMpegFileConv's run: both passes, then the outputs put in place together.
#include <algorithm>
#include <atomic>
#include <new>
#include <optional>
#include <system_error>
#include <string>
#include <thread>
#include <vector>

#include "converter/job/conversion_job_record.h"
#include "converter/job/job_output_path.h"
#include "converter/job/movie_frame_plan.h"
#include "host/files/file_api.h"

namespace reelpack {
namespace {

void RemoveFile(const std::string& path) {
  if (!path.empty()) DeleteFileW(WidePath(path.c_str()).c_str());
}

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileW(WidePath(from.c_str()).c_str(), WidePath(to.c_str()).c_str()) != 0;
}

int CodingThreads(std::int32_t setting) {
  if (setting > 0) return setting;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// The sound pass running beside the video pass: however the video pass
// ends, the sound pass is told to give up (unless the movie was written)
// before it is waited for.
class CAudioBeside {
 public:
  CAudioBeside(CMpegFileConv& job, const StopCheck& stop, std::atomic<bool>& giveUp) : giveUp_(giveUp) {
    thread_.emplace([&job, stop] { job.ExportAudioTrack(stop, TrackCommit::LeaveTemporary); });
  }
  ~CAudioBeside() { Join(); }
  CAudioBeside(const CAudioBeside&) = delete;
  CAudioBeside& operator=(const CAudioBeside&) = delete;

  void Keep() { keep_ = true; }
  void Join() {
    if (!thread_) return;
    if (!keep_) giveUp_ = true;
    thread_->join();
    thread_.reset();
  }

 private:
  std::atomic<bool>& giveUp_;
  bool keep_ = false;
  std::optional<std::thread> thread_;
};

// Earlier tracks of the movie's name wait under their aside names while the
// new outputs take their places, so a commit that fails can put them back.
class CEarlierTracks {
 public:
  // False when a track that is there could not be moved aside (those moved
  // so far are back).
  bool SetAside(const CMpegFileConv& job) {
    for (const char* extension : {".mp3", ".ogg"}) {
      const std::string earlier = JobOutputPath(job.m_outputFolder, job.m_inputPath, extension);
      if (FileSize(earlier.c_str()) < 0) continue;
      if (!RenameFile(earlier, AsideOutputPath(earlier))) {
        PutBack();
        return false;
      }
      aside_.push_back(earlier);
    }
    return true;
  }
  void PutBack() {
    for (const std::string& path : aside_) RenameFile(AsideOutputPath(path), path);
    aside_.clear();
  }
  void Remove() {
    for (const std::string& path : aside_) RemoveFile(AsideOutputPath(path));
    aside_.clear();
  }

 private:
  std::vector<std::string> aside_;
};

// The track, then the movie, with every earlier track of the movie's name
// this run did not write gone: a movie never meets a track that is not its
// own. A movie that cannot take its name leaves the earlier tracks as they
// were.
void CommitOutputs(CMpegFileConv& job) {
  const std::string movieFailed = "the movie could not be written: " + job.m_moviePath;
  CEarlierTracks earlier;
  if (!earlier.SetAside(job)) {
    job.m_video = {VideoPassStatus::WriteFailed, movieFailed};
    return;
  }
  AudioExportResult& track = job.m_audioExport;
  if (track.status == AudioExportStatus::Written && !RenameFile(track.temporaryPath, track.trackPath)) {
    RemoveFile(track.temporaryPath);
    track.status = AudioExportStatus::WriteFailed;
    track.text = "the sound track could not be written: " + track.trackPath;
  }
  track.temporaryPath.clear();
  if (!RenameFile(TemporaryOutputPath(job.m_moviePath), job.m_moviePath)) {
    if (track.status == AudioExportStatus::Written) RemoveFile(track.trackPath);
    earlier.PutBack();
    job.m_video = {VideoPassStatus::WriteFailed, movieFailed};
    return;
  }
  earlier.Remove();
}

void EnterPhase(CMpegFileConv& job, JobPhase phase) {
  job.m_phase = phase;
  job.m_phaseReached = phase;
}

void ConvertAndCommit(CMpegFileConv& job, int threads) {
  std::atomic<bool> giveUp{false};
  const StopCheck audioStop = [&job, &giveUp] {
    if (giveUp) return true;
    try {
      job.CheckKill();
    } catch (const CExKilledByCtrl&) {
      return true;
    }
    return false;
  };
  EnterPhase(job, JobPhase::Video);
  {
    std::optional<CAudioBeside> audio;
    if (threads > 1) audio.emplace(job, audioStop, giveUp);
    job.WriteMovieFile();
    if (job.m_video.status != VideoPassStatus::Written) return;
    EnterPhase(job, JobPhase::Sound);
    if (audio) {
      audio->Keep();
      audio->Join();
    }
  }
  job.CheckKill();
  if (threads <= 1) job.ExportAudioTrack(audioStop, TrackCommit::LeaveTemporary);
  job.CheckKill();
  EnterPhase(job, JobPhase::Committing);
  CommitOutputs(job);
}

}  // namespace

std::int32_t CMpegFileConv::Run() {
  if (m_done.load(std::memory_order_acquire) != 0) return 0;
  m_baseQuality = BaseJpegQuality(m_quality);
  m_totalBits = 0;
  if (m_avgKbpsOut != nullptr) m_avgKbpsOut->store(0, std::memory_order_relaxed);
  if (m_maxKbpsOut != nullptr) m_maxKbpsOut->store(0, std::memory_order_relaxed);
  const int threads = CodingThreads(m_threads);
  m_threadCount = threads;
  m_video = {};
  m_audioExport = {};
  m_phaseReached = JobPhase::Waiting;
  m_moviePath.clear();
  try {
    ConvertAndCommit(*this, threads);
  } catch (const CExKilledByCtrl&) {
    m_video = {VideoPassStatus::Cancelled, "stopped: nothing was written"};
  } catch (const std::bad_alloc&) {
    m_video = {VideoPassStatus::CodingFailed, "not enough memory to convert the video"};
  } catch (const std::system_error&) {
    m_video = {VideoPassStatus::CodingFailed, "the conversion's threads could not be started"};
  }
  if (m_video.status != VideoPassStatus::Written) {
    // Earlier files of these names stay as they were.
    if (!m_moviePath.empty()) RemoveFile(TemporaryOutputPath(m_moviePath));
    RemoveFile(m_audioExport.temporaryPath);
  }
  m_phase = JobPhase::Finished;
  m_done.store(1, std::memory_order_release);
  return 0;
}

}  // namespace reelpack
