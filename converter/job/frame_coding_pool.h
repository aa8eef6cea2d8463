// Codes the kept frames of a movie on a pool of worker threads and hands the
// records back in frame order. Every frame is coded on its own from the same
// settings, so the records do not depend on which worker coded them or how
// many there are.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "converter/jbp1/bmp_image.h"
#include "converter/job/movie_frame_coding.h"

namespace reelpack {

using MovieRecord = std::optional<std::vector<std::uint8_t>>;

// What the pool hands back for a frame, in frame order.
struct CodedFrame {
  MovieRecord record;  // nothing when the frame could not be coded
  // Given by SubmitSamePicture: the frame before it holds the same picture,
  // whose record it repeats.
  bool samePicture = false;
};

class CFrameCodingPool {
 public:
  // Codes one source image; nothing when it cannot be coded.
  using Code = std::function<MovieRecord(MovieFrameWorkspace& work, const BmpImage& source)>;
  // Asked before each frame a worker takes: true skips the coding.
  using Stop = std::function<bool()>;

  // workers 0 or 1 codes each frame on the calling thread as it is given; so
  // does a pool none of whose threads could be started (one that started
  // some runs with those).
  CFrameCodingPool(int workers, Code code, Stop stop);
  // Workers finish the frame in hand and end.
  ~CFrameCodingPool();
  CFrameCodingPool(const CFrameCodingPool&) = delete;
  CFrameCodingPool& operator=(const CFrameCodingPool&) = delete;

  // Frames given and not yet taken back at most: the workers' frames and
  // two more, so the next frames are decoded while the workers code.
  std::size_t Capacity() const { return workers_.empty() ? 1 : workers_.size() + 2; }
  std::size_t InFlight() const;
  // Gives the next frame in order.
  void Submit(BmpImage source);
  // Gives the next frame in order as the same picture as the frame before:
  // the coding is deterministic, so its record is that frame's again and it
  // is not coded.
  void SubmitSamePicture();
  // An image whose frame is coded, to fill with a later frame (empty when
  // none is free), so the source images are not made anew each frame.
  BmpImage TakeSpareImage();
  // Waits for the record of the oldest frame given and takes it.
  CodedFrame TakeNext();

 private:
  struct Slot {
    BmpImage source;
    bool taken = false;
    bool done = false;
    CodedFrame coded;
  };

  void Work();
  void KeepSpare(BmpImage image);
  void Queue(Slot slot);

  Code code_;
  Stop stop_;
  MovieFrameWorkspace inlineWorkspace_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Slot> slots_;
  std::vector<BmpImage> spares_;
  bool closing_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace reelpack
