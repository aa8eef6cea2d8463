#include "converter/job/frame_coding_pool.h"

#include <new>
#include <system_error>

namespace reelpack {
namespace {

MovieRecord CodeGuarded(const CFrameCodingPool::Code& code, MovieFrameWorkspace& work, const BmpImage& source) {
  try {
    return code(work, source);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace

CFrameCodingPool::CFrameCodingPool(int workers, Code code, Stop stop) : code_(std::move(code)), stop_(std::move(stop)) {
  if (workers <= 1) return;
  workers_.reserve(static_cast<std::size_t>(workers));
  for (int i = 0; i < workers; ++i) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // Fewer workers code the same bytes; with none the caller's thread codes.
      break;
    }
  }
}

CFrameCodingPool::~CFrameCodingPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

std::size_t CFrameCodingPool::InFlight() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.size();
}

void CFrameCodingPool::Submit(BmpImage source) {
  Slot slot;
  if (workers_.empty()) {
    slot.taken = slot.done = true;
    if (!stop_()) slot.coded.record = CodeGuarded(code_, inlineWorkspace_, source);
    KeepSpare(std::move(source));
  } else {
    slot.source = std::move(source);
  }
  Queue(std::move(slot));
}

void CFrameCodingPool::SubmitSamePicture() {
  Slot slot;
  slot.taken = slot.done = true;
  slot.coded.samePicture = true;
  Queue(std::move(slot));
}

void CFrameCodingPool::Queue(Slot slot) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_.push_back(std::move(slot));
  }
  changed_.notify_all();
}

BmpImage CFrameCodingPool::TakeSpareImage() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spares_.empty()) return {};
  BmpImage image = std::move(spares_.back());
  spares_.pop_back();
  return image;
}

void CFrameCodingPool::KeepSpare(BmpImage image) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Never more than the frames that can be in flight.
  if (spares_.size() < Capacity()) spares_.push_back(std::move(image));
}

CodedFrame CFrameCodingPool::TakeNext() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !slots_.empty() && slots_.front().done; });
  CodedFrame coded = std::move(slots_.front().coded);
  slots_.pop_front();
  return coded;
}

void CFrameCodingPool::Work() {
  MovieFrameWorkspace work;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    Slot* next = nullptr;
    changed_.wait(lock, [this, &next] {
      for (Slot& slot : slots_) {
        if (!slot.taken) {
          next = &slot;
          return true;
        }
      }
      return closing_;
    });
    if (next == nullptr) return;
    next->taken = true;
    BmpImage source = std::move(next->source);
    lock.unlock();
    MovieRecord record = stop_() ? std::nullopt : CodeGuarded(code_, work, source);
    KeepSpare(std::move(source));
    lock.lock();
    // Slots leave only from the front once done, and this one is not, so
    // the pointer still holds.
    next->coded.record = std::move(record);
    next->done = true;
    changed_.notify_all();
  }
}

}  // namespace reelpack
