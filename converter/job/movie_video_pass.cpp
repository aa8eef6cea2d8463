// CMpegFileConv's video pass: the kept frames of the source through the
// frame road into a ".rzm2" movie under its temporary name.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "converter/job/conversion_job_record.h"
#include "converter/job/frame_coding_pool.h"
#include "converter/job/job_output_path.h"
#include "converter/job/movie_file_writer.h"
#include "converter/job/movie_frame_coding.h"

namespace reelpack {
namespace {

std::string RefusalText(MpegOpenResult why) {
  switch (why) {
    case kMpegUnknownExtension:
      return "not an MPEG file name (.mpg, .mpeg, .mp2, .dat or .dah)";
    case kMpegUnreadable:
      return "the input is missing, empty or cannot be read";
    case kMpegVideoIsMpeg2:
      return "the video is MPEG-2; only MPEG-1 video can be converted";
    case kMpegProgramStreamIsMpeg2:
      return "the input is an MPEG-2 program stream; only MPEG-1 system streams can be converted";
    case kMpegDPictures:
      return "the video holds D pictures, which cannot be converted";
    case kMpegOutOfMemory:
      return "not enough memory to open the video";
    case kMpegNoVideo:
    case kMpegOpened:
      break;
  }
  return "no MPEG-1 system stream with video in the input";
}

// A picture start code and header (8 bytes) and a slice start code.
constexpr std::int64_t kLeastPictureBytes = 12;

struct HandleCloser {
  void (*close)(MPEG_VIDEO_HANDLE*);
  void operator()(MPEG_VIDEO_HANDLE* handle) const { close(handle); }
};
using SourceHandle = std::unique_ptr<MPEG_VIDEO_HANDLE, HandleCloser>;

}  // namespace

void CMpegFileConv::WriteMovieFile() {
  auto finish = [this](VideoPassStatus status, std::string text) { m_video = {status, std::move(text)}; };
  MpegOpenResult why = kMpegOpened;
  const SourceHandle source(m_videoSource.open(m_inputPath, &why), HandleCloser{m_videoSource.close});
  if (!source) return finish(VideoPassStatus::Refused, RefusalText(why));
  MPEG_VIDEO_HANDLE& handle = *source;
  const std::int64_t inputBytes = FileSize(m_inputPath);
  // Every frame is a coded picture, at least its header and one slice: a
  // count beyond what the file can hold comes from a damaged time code.
  if (handle.frameCount <= 0 || (inputBytes >= 0 && handle.frameCount > inputBytes / kLeastPictureBytes)) {
    return finish(VideoPassStatus::Refused, "the video's frames cannot be counted: the stream is damaged");
  }
  const std::uint32_t frames = static_cast<std::uint32_t>(handle.frameCount);
  const std::uint32_t numerator = handle.rateNumerator;
  const std::uint32_t denominator = handle.rateDenominator;
  // The engine cannot play a movie without a frame rate.
  if (numerator == 0 || denominator == 0 || denominator > UINT32_MAX / 3) {
    return finish(VideoPassStatus::Refused, "the video has no frame rate");
  }
  if (handle.width <= 0 || handle.height <= 0 || handle.width > kBmpMaxSide || handle.height > kBmpMaxSide) {
    return finish(VideoPassStatus::Refused, "the video's picture size cannot be converted");
  }
  m_sourceFps = static_cast<double>(numerator) / static_cast<double>(denominator);
  const std::uint32_t step = FrameStep(m_frameRateMode, m_sourceFps);
  if (frames < step) return finish(VideoPassStatus::Refused, "the video is shorter than one movie frame");
  const std::uint32_t movieFrames = m_frameCap != 0 ? std::min(frames / step, m_frameCap) : frames / step;
  if (Rzm2IndexBlockBytes(movieFrames) > UINT32_MAX) {
    return finish(VideoPassStatus::Refused, "the video has more frames than a movie file can index");
  }
  const double outputFps = static_cast<double>(numerator) / (static_cast<double>(denominator) * step);
  m_outputFps = outputFps;
  m_framesTotal = static_cast<std::int32_t>(movieFrames);
  const MovieFrameGeometry frame = FitMovieFrame(m_sizeIndex, handle.width, handle.height);

  Rzm2Header header;
  header.version2 = true;
  header.frameCount = movieFrames;
  header.rateNumerator = numerator;
  header.timeBase = denominator * step;
  header.storedWidth = static_cast<std::uint32_t>(frame.boxHeight);
  header.storedHeight = static_cast<std::uint32_t>(frame.boxWidth);
  m_moviePath = JobOutputPath(m_outputFolder, m_inputPath, ".rzm2");
  CMovieFileWriter movie;
  if (!movie.Create(TemporaryOutputPath(m_moviePath))) {
    return finish(VideoPassStatus::Refused, std::string("the output folder is missing or cannot be written: ") +
                                                m_outputFolder);
  }
  const std::string writeFailed = "the movie could not be written: " + m_moviePath;
  if (!movie.Begin(header)) return finish(VideoPassStatus::WriteFailed, writeFailed);

  const std::uint32_t stride = static_cast<std::uint32_t>(BmpRowBytes(handle.width));
  // Black until a frame arrives, so a first fetch that fails codes no stray
  // memory.
  std::vector<std::uint8_t> decoded(static_cast<std::size_t>(stride) * static_cast<std::size_t>(handle.height), 0);
  FrameRateSettings settings;
  settings.baseQuality = m_baseQuality;
  settings.maxRateSetting = m_maxRateSetting;
  settings.outputFps = outputFps;
  const CFrameCodingPool::Code code = [&frame, &settings](MovieFrameWorkspace& work, const BmpImage& image) {
    return CodeMovieFrame(work, image, frame, settings);
  };
  const auto stopAsked = [this] { return State() == kThreadKillRequested; };
  // Declared after the file and the buffers it codes from, so its workers
  // end before those go.
  CFrameCodingPool pool(m_threadCount, code, stopAsked);

  std::vector<std::uint8_t> previous;
  bool previousRepeated = false;
  std::uint32_t written = 0;
  std::int32_t maxKbps = 0;
  // Takes the oldest record from the pool and appends it; false with
  // m_video set when the pass cannot go on.
  auto writeNext = [&]() -> bool {
    CodedFrame coded = pool.TakeNext();
    MovieRecord& record = coded.record;
    if (coded.samePicture) {
      // What coding the picture again would give, repeat included.
      if (previousRepeated) ++m_repeatedRecords;
      record = previous;
    } else if (!record) {
      CheckKill();
      if (written == 0) {
        finish(VideoPassStatus::CodingFailed, "the first frame could not be coded");
        return false;
      }
      // A gap would shift every later frame; the previous picture stays.
      ++m_repeatedRecords;
      previousRepeated = true;
      record = previous;
    } else {
      previousRepeated = false;
    }
    const auto bytes = static_cast<std::uint32_t>(record->size());
    if (!movie.Fits(bytes)) {
      finish(VideoPassStatus::Refused, "the movie would pass the 4 GiB a movie file can hold");
      return false;
    }
    if (!movie.Append(*record)) {
      finish(VideoPassStatus::WriteFailed, writeFailed);
      return false;
    }
    ++written;
    const std::uint64_t totalBits = m_totalBits.load(std::memory_order_relaxed) + std::uint64_t{bytes} * 8;
    m_totalBits.store(totalBits, std::memory_order_relaxed);
    if (m_avgKbpsOut != nullptr) {
      const double average = static_cast<double>(totalBits) / written * outputFps;
      m_avgKbpsOut->store(static_cast<std::int32_t>(static_cast<std::uint32_t>(average) >> 10),
                          std::memory_order_relaxed);
    }
    const auto frameKbps = static_cast<std::int32_t>(FrameBitRate(bytes, outputFps) >> 10);
    if (static_cast<std::uint32_t>(frameKbps) > static_cast<std::uint32_t>(maxKbps)) {
      maxKbps = frameKbps;
      if (m_maxKbpsOut != nullptr) m_maxKbpsOut->store(maxKbps, std::memory_order_relaxed);
    }
    ++m_framesWritten;
    previous = std::move(*record);
    return true;
  };

  bool anyPicture = false;
  for (std::uint32_t n = 0; n < movieFrames; ++n) {
    CheckKill();
    // Only the last frame of each group is shown, so only it is fetched.
    handle.frameNumber = static_cast<std::int32_t>(n * step + step - 1);
    handle.buffer = decoded.data();
    handle.stride = stride;
    handle.bufferSize = static_cast<std::uint32_t>(decoded.size());
    const bool fetched = m_videoSource.getFrame(&handle) != 0;
    if (fetched) {
      anyPicture = true;
    } else {
      ++m_failedFetches;
    }
    if (fetched || n == 0) {
      BmpImage image = pool.TakeSpareImage();
      BmpFromDecodedRows(decoded.data(), stride, handle.width, handle.height, image);
      pool.Submit(std::move(image));
    } else {
      // A failed fetch leaves the buffer as it was: the picture just given.
      pool.SubmitSamePicture();
    }
    while (pool.InFlight() >= pool.Capacity()) {
      if (!writeNext()) return;
    }
  }
  while (pool.InFlight() > 0) {
    if (!writeNext()) return;
  }
  if (!anyPicture) return finish(VideoPassStatus::CodingFailed, "no frame of the video could be decoded");
  if (!movie.Finish(header)) return finish(VideoPassStatus::WriteFailed, writeFailed);
  finish(VideoPassStatus::Written, "movie written: " + m_moviePath);
}

}  // namespace reelpack
