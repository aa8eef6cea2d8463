#include "converter/cli/command_run.h"

#include <atomic>
#include <memory>

#include "converter/cli/command_options.h"
#include "converter/cli/progress_text.h"
#include "converter/job/conversion_job_record.h"
#include "converter/job/job_output_path.h"
#include "converter/job/thread_ctrl.h"
#include "host/console/console_api.h"
#include "host/files/file_api.h"
#include "host/threads/thread_api.h"
#include "host/time/time_api.h"

namespace reelpack {
namespace {

std::atomic<int> stopStatus{0};

void OnStop(int exitStatus) {
  int none = 0;
  stopStatus.compare_exchange_strong(none, exitStatus);
}

// Removes the handler again when the run ends.
struct StopHandlerScope {
  StopHandlerScope() {
    stopStatus = 0;
    HostSetStopHandler(OnStop);
  }
  ~StopHandlerScope() { HostSetStopHandler(nullptr); }
};

bool IsFolder(const std::string& shiftJisPath) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(WidePath(shiftJisPath.c_str()).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether a file can be made in the folder: the movie's temporary name is
// made and removed again (the job makes it anew).
bool CanWriteInto(const std::string& folder, const std::string& input) {
  const std::string probe = TemporaryOutputPath(JobOutputPath(folder.c_str(), input.c_str(), ".rzm2"));
  if (!WriteFlushedFile(probe.c_str(), "", 0)) return false;
  DeleteFileW(WidePath(probe.c_str()).c_str());
  return true;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

class CommandRun {
 public:
  CommandRun(const CommandLine& line, std::FILE* out, std::FILE* err, bool terminal)
      : line_(line), out_(out), err_(err), terminal_(terminal && !line.quiet) {}

  int Run() {
    std::string input;
    std::string folder;
    if (!ShiftJisPaths(&input, &folder)) return kExitFailed;
    const ConversionSettings& settings = line_.settings;
    auto job = std::make_unique<CMpegFileConv>(settings.audioBitRateIndex, settings.sampleRateIndex, settings.stereo);
    if (!ApplyConversionSettings(settings, input, folder, *job)) {
      return Fail(line_.input, "the path is longer than the 1,023 bytes a conversion can hold");
    }
    job->m_avgKbpsOut = &averageKbps_;
    job->m_maxKbpsOut = &maximumKbps_;
    StopHandlerScope stopScope;
    CThreadCtrl control(job.get());
    try {
      control.Start();
    } catch (const CCtrlFailed&) {
      return Fail(line_.input, "the conversion's thread could not be started");
    }
    Follow(*job, control);
    control.Wait(INFINITE);
    control.CloseHandle();
    return Report(*job);
  }

 private:
  int Fail(const std::string& subject, const std::string& why) {
    std::fprintf(err_, "reelpack: %s: %s\n", subject.c_str(), why.c_str());
    return kExitFailed;
  }

  bool ShiftJisPaths(std::string* input, std::string* folder) {
    const ShiftJisPath inputPath = HostShiftJisPathOf(line_.input, false);
    if (inputPath.problem == LocalPathProblem::NameOutsideCodePage) {
      Fail(line_.input,
           "the file name has characters Shift-JIS (code page 932) cannot hold; the outputs take its name and the "
           "engine names movies in Shift-JIS: rename the file");
      return false;
    }
    if (inputPath.problem != LocalPathProblem::None) {
      Fail(line_.input, "the folder's name has characters Shift-JIS cannot hold and no alias could be made for it");
      return false;
    }
    const std::string folderTyped = line_.outputDir.empty() ? "." : line_.outputDir;
    const ShiftJisPath folderPath = HostShiftJisPathOf(folderTyped, true);
    if (folderPath.problem != LocalPathProblem::None) {
      Fail(folderTyped, "the folder's name has characters Shift-JIS cannot hold and no alias could be made for it");
      return false;
    }
    if (!IsFolder(folderPath.path)) {
      Fail(folderTyped, "the output folder does not exist or is not a folder");
      return false;
    }
    if (!CanWriteInto(folderPath.path, inputPath.path)) {
      Fail(folderTyped, "no file can be written in the output folder");
      return false;
    }
    *input = inputPath.path;
    *folder = folderPath.path;
    return true;
  }

  ProgressSnapshot Snapshot(const CMpegFileConv& job, DWORD started) const {
    ProgressSnapshot snapshot;
    snapshot.phase = job.m_phase;
    snapshot.written = job.m_framesWritten;
    snapshot.total = job.m_framesTotal;
    snapshot.sourceFps = job.m_sourceFps;
    snapshot.averageKbps = averageKbps_;
    snapshot.maximumKbps = maximumKbps_;
    snapshot.elapsedSeconds = (timeGetTime() - started) / 1000.0;
    return snapshot;
  }

  // One line for each working phase entered since the last shown; the job
  // enters them in order, so every phase up to the one reached was passed.
  void ShowPhasesUpTo(JobPhase reached, JobPhase* shown) {
    while (*shown < reached) {
      *shown = static_cast<JobPhase>(static_cast<std::int32_t>(*shown) + 1);
      std::fprintf(err_, "reelpack: %s: %s\n", line_.input.c_str(), PhaseText(*shown).c_str());
    }
  }

  // Shows progress until the job's thread ends, asking it to stop once a
  // signal came.
  void Follow(CMpegFileConv& job, CThreadCtrl& control) {
    const DWORD started = timeGetTime();
    bool killed = false;
    JobPhase shownPhase = JobPhase::Waiting;
    bool drawn = false;
    while (control.Wait(100) == 0) {
      if (!killed && stopStatus != 0) {
        control.Kill();
        killed = true;
      }
      if (line_.quiet) continue;
      const ProgressSnapshot snapshot = Snapshot(job, started);
      if (terminal_) {
        std::fprintf(err_, "\r\x1b[K%s", ProgressBarLine(snapshot).c_str());
        std::fflush(err_);
        drawn = true;
      } else {
        ShowPhasesUpTo(job.m_phaseReached, &shownPhase);
      }
    }
    // A phase shorter than the polling interval still gets its line.
    if (!line_.quiet && !terminal_) ShowPhasesUpTo(job.m_phaseReached, &shownPhase);
    if (drawn) {
      std::fprintf(err_, "\r\x1b[K%s\n", ProgressBarLine(Snapshot(job, started)).c_str());
    }
  }

  std::string OutputName(const std::string& extension) const {
    const std::string folder = line_.outputDir.empty() ? "." : line_.outputDir;
    return folder + (folder.back() == '/' ? "" : "/") + BaseName(line_.input) + extension;
  }

  void Warn(const std::string& why) { std::fprintf(err_, "reelpack: %s: warning: %s\n", line_.input.c_str(), why.c_str()); }

  int Report(const CMpegFileConv& job) {
    if (stopStatus != 0 && job.m_video.status != VideoPassStatus::Written) {
      std::fprintf(err_, "reelpack: %s: stopped; nothing was written\n", line_.input.c_str());
      return stopStatus;
    }
    if (job.m_video.status != VideoPassStatus::Written) return Fail(line_.input, job.m_video.text);
    const AudioExportResult& track = job.m_audioExport;
    if (!line_.quiet) {
      std::fprintf(out_, "%s  %lld bytes\n", OutputName(".rzm2").c_str(),
                   static_cast<long long>(FileSize(job.m_moviePath.c_str())));
      if (track.status == AudioExportStatus::Written) {
        const std::size_t dot = track.trackPath.find_last_of('.');
        std::fprintf(out_, "%s  %lld bytes\n", OutputName(track.trackPath.substr(dot)).c_str(),
                     static_cast<long long>(FileSize(track.trackPath.c_str())));
      }
    }
    if (job.m_failedFetches > 0) {
      Warn(std::to_string(job.m_failedFetches.load()) + " frames could not be decoded; the previous picture stands in");
    }
    if (job.m_repeatedRecords > 0) {
      Warn(std::to_string(job.m_repeatedRecords.load()) + " frames are stored as the frame before them");
    }
    if (track.status == AudioExportStatus::NoSound) Warn("the source has no sound: no sound track was written");
    if (track.status == AudioExportStatus::Written) {
      if (track.otherTrackKept) Warn("a sound track of the other kind with the same name was kept");
      if (track.bitRateChanged) Warn("the MP3 bit rate was changed to " + std::to_string(track.kbps) + " kbit/s");
      if (track.cut) Warn("the sound track was cut to the longest a track can hold");
    }
    if (track.Failed()) {
      std::fprintf(err_, "reelpack: %s: the movie is written but its sound track failed: %s\n", line_.input.c_str(),
                   track.text.c_str());
      return kExitTrackFailed;
    }
    return kExitConverted;
  }

  const CommandLine& line_;
  std::FILE* out_;
  std::FILE* err_;
  bool terminal_;
  std::atomic<std::int32_t> averageKbps_{0};
  std::atomic<std::int32_t> maximumKbps_{0};
};

}  // namespace

int RunReelpackCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, bool terminal) {
  const CommandLine line = ParseCommandLine(args);
  switch (line.action) {
    case CommandLine::Action::Help:
      std::fputs(CommandHelpText().c_str(), out);
      return kExitConverted;
    case CommandLine::Action::Version:
      std::fputs(CommandVersionText().c_str(), out);
      return kExitConverted;
    case CommandLine::Action::Usage:
      std::fprintf(err, "reelpack: %s\nTry 'reelpack --help' for the options.\n", line.error.c_str());
      return kExitUsage;
    case CommandLine::Action::Convert:
      break;
  }
  return CommandRun(line, out, err, terminal).Run();
}

}  // namespace reelpack
