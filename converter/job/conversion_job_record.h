// The record of one conversion job, and the converter's two small file
// functions. The job's work (its Run and the audio export) lives with the
// passes that do it; this file holds what the dialog fills in and polls.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "common/win_thread_master.h"
#include "converter/audio/audio_export_result.h"
#include "converter/audio/stop_check.h"
#include "converter/job/video_pass_result.h"
#include "converter/job/video_source.h"

namespace reelpack {

class CMpegFileConv : public CWinThreadMaster {
 public:
  CMpegFileConv(std::int32_t audioBitRateIndex, std::int32_t sampleRateIndex, std::int32_t stereo);

  // The audio pass: writes the sound track beside the movie (the output
  // folder, the input's base name, ".mp3" or ".ogg") and nothing else. With
  // no sound, on a failure or a stop no track is written and one of that name
  // from an earlier conversion is removed. stop is asked between Layer II
  // frames, conversion blocks, MP3 frames and Vorbis blocks. The result is
  // also kept in m_audioExport.
  // With TrackCommit::LeaveTemporary the written track stays under its
  // temporary name (result.temporaryPath) and no earlier track is removed:
  // the caller commits it.
  AudioExportResult ExportAudioTrack(const StopCheck& stop = {}, TrackCommit commit = TrackCommit::Rename);

  // The whole job: the video pass and the audio pass beside it, then both
  // outputs put in place, or on a refusal, failure or stop neither (earlier
  // files of those names stay as they were). Sets m_done last; returns 0.
  std::int32_t Run() override;
  // The video pass: the movie under its temporary name; sets m_video.
  void WriteMovieFile();

  // Progress, polled by the dialog's timer while the job thread writes it.
  std::atomic<std::int32_t> m_done{0};           // 1 once both passes have completed
  std::atomic<std::int32_t> m_framesWritten{0};  // frames coded and written so far
  std::atomic<std::int32_t> m_framesTotal{0};    // frames the movie will hold
  std::atomic<JobPhase> m_phase{JobPhase::Waiting};
  // The last working phase entered; it stays when the job finishes, so a
  // follower polling too slowly to see a short phase still learns it passed.
  std::atomic<JobPhase> m_phaseReached{JobPhase::Waiting};
  std::atomic<std::int32_t> m_failedFetches{0};    // kept frames the decoder could not give
  std::atomic<std::int32_t> m_repeatedRecords{0};  // frames stored as the previous record
  std::atomic<std::int32_t> m_threadCount{0};      // coding threads of the run

  char m_inputPath[1024] = {};     // the MPEG-1 input file
  char m_outputFolder[1024] = {};  // where the outputs go
  std::int32_t m_frameRateMode = 0;  // 0 standard (~15 fps at most), 1 full rate, 2 minimum (~10 fps)
  std::int32_t m_sizeIndex = 0;      // 0 for 320 x 240, 1 for 640 x 480
  std::int32_t m_audioBitRateIndex;  // into the export's bit-rate list
  std::int32_t m_sampleRateIndex;    // 0 for 22,050 Hz, 1 for 44,100 Hz
  std::int32_t m_stereo;             // 1 stereo, 0 mono
  std::int32_t m_quality = 0;        // the dialog's quality index, 0 to 20
  std::int32_t m_baseQuality = 0;    // the JPEG quality the job derives from m_quality
  std::int32_t m_encoder = 0;        // 0 MP3, 1 Ogg Vorbis
  std::int32_t m_threads = 0;        // coding threads: 0 the machine's hardware threads, 1 all on the job thread
  std::atomic<double> m_sourceFps{0.0};  // numerator / denominator of the video
  std::uint32_t m_maxRateSetting = 0;  // maximum video bit rate in tenths of Mbit/s, 20 to 70
  std::uint32_t m_frameCap = 0;        // 0 every frame; else the movie ends after this many (quick tries)
  std::atomic<double> m_outputFps{0.0};         // frame rate of the written movie
  std::atomic<std::uint64_t> m_totalBits{0};    // bits of all frame records so far
  std::atomic<std::int32_t>* m_avgKbpsOut = nullptr;  // the dialog's average bit-rate figure
  std::atomic<std::int32_t>* m_maxKbpsOut = nullptr;  // the dialog's maximum bit-rate figure
  VideoSourceCalls m_videoSource = MpegVideoSource();  // where the frames come from

  // Results, complete once m_done is 1.
  VideoPassResult m_video;
  AudioExportResult m_audioExport;  // what the last audio pass did
  std::string m_moviePath;          // the movie's final name
};

// The platform form of a Shift-JIS path; empty when it holds no valid text.
std::u16string WidePath(const char* path);
// The size in bytes of the file at path (Shift-JIS), or -1 when there is none.
std::int64_t FileSize(const char* path);

// Seek modes of WriteBufferToFile; other values do not move the position.
inline constexpr std::int32_t kSeekFromStart = 0;
inline constexpr std::int32_t kSeekFromCurrent = 1;
inline constexpr std::int32_t kSeekFromEnd = 2;

// Opens path for writing without sharing (created anew when createMode is 1,
// else opened or created), moves by offset as seekMode says, writes size bytes
// and closes. Returns the bytes written; 0 when the file cannot be opened.
std::uint32_t WriteBufferToFile(const char* path, const void* data, std::int32_t seekMode, std::int32_t offset,
                                std::uint32_t size, std::int32_t createMode);

// Creates path anew, writes size bytes and waits until they are on the
// medium. False (and no file left) when any step fails.
bool WriteFlushedFile(const char* path, const void* data, std::uint32_t size);

}  // namespace reelpack
