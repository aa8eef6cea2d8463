#include "engine/movie/movie_player.h"

#include <algorithm>

#include "engine/movie/movie_clock.h"
#include "engine/movie/movie_paths.h"
#include "engine/runtime/engine_clock.h"
#include "engine/runtime/file_helpers.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/display_access.h"
#include "engine/sound/sound_mixer.h"
#include "host/threads/thread_api.h"

namespace {

constexpr std::uint32_t kReadBufferBytes = 65536;
constexpr std::uint32_t kMaxMacroblocks = 1200;
constexpr int kSoundSlot = 0;
// A sound track whose position has not grown by then never plays.
constexpr std::uint32_t kSoundStartGraceMs = 1000;

std::uint32_t Aligned16(std::uint32_t side) { return (side + 15) / 16 * 16; }

bool IsDefinedSize(const Rzm2Header& header) {
  return (header.storedWidth == 240 && header.storedHeight == 320) ||
         (header.storedWidth == 480 && header.storedHeight == 640);
}

// Through the display seam of the build, which brackets every access.
class DisplayDraw {
 public:
  DisplayDraw() : access_(GetDisplayAccess()), base_(static_cast<std::uint8_t*>(access_.beginDraw())) {}
  ~DisplayDraw() {
    if (base_) access_.endDraw();
  }
  DisplayDraw(const DisplayDraw&) = delete;
  DisplayDraw& operator=(const DisplayDraw&) = delete;
  std::uint8_t* Base() const { return base_; }

 private:
  const DisplayAccess& access_;
  std::uint8_t* base_;
};

}  // namespace

CMoviePlayer::CMoviePlayer() { decoder_.InitForMovie(); }

CMoviePlayer::~CMoviePlayer() {
  if (reader_) reader_->Close();
}

int CMoviePlayer::Open(const char* path, CSoundMixer* mixer, int volume, int readWhole, std::uint32_t vgaQuality) {
  vgaQuality_ = vgaQuality;
  mixer_ = mixer;
  audio_ = false;
  std::string moviePath = WithExtension(path, ".rzm2");
  if (!FileExists(moviePath.c_str())) {
    moviePath = WithExtension(path, ".rzm");
    if (!FileExists(moviePath.c_str())) return 0;
  }
  reader_ = std::make_unique<CMovieReadAhead>();
  if (!reader_->Open(AnsiToWideStatic(moviePath.c_str()), kReadBufferBytes)) {
    reader_.reset();
    return 0;
  }
  const Rzm2Header& header = reader_->Header();
  bufferWidth_ = Aligned16(header.storedWidth);
  const std::uint64_t macroblocks = std::uint64_t{bufferWidth_ / 16} * (Aligned16(header.storedHeight) / 16);
  if (macroblocks > kMaxMacroblocks) {
    reader_.reset();
    return 0;
  }
  reader_->Start();
  GetDisplayAccess().readProperties(&display_);

  // Frames that match the display row for row go straight into it.
  direct_ = header.version2 && IsDefinedSize(header) && GetScreenWidth() == static_cast<std::int32_t>(header.storedHeight) &&
            GetScreenHeight() == static_cast<std::int32_t>(header.storedWidth) && display_.cbxPitch == 2 &&
            display_.cbyPitch == static_cast<std::int32_t>(header.storedWidth * 2) &&
            display_.cyHeight >= header.storedHeight && display_.cxWidth >= header.storedWidth;
  if (!direct_) frameBuffer_.assign(static_cast<std::size_t>(macroblocks) * 256, 0);
  if (!IsDefinedSize(header)) ClearDisplay();
  if (header.frameCount > 0) ShowFrame(0);
  StartSoundTrack(moviePath, volume, readWhole);
  current_ = 0;
  startTime_ = GetClockMs();
  return 1;
}

void CMoviePlayer::StartSoundTrack(const std::string& moviePath, int volume, int readWhole) {
  for (const char* extension : {".mp3", ".ogg"}) {
    const std::string track = WithExtension(moviePath, extension);
    if (!FileExists(track.c_str())) continue;
    const std::size_t cut = track.rfind('\\');
    const std::string folder = cut == std::string::npos ? std::string() : track.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? track : track.substr(cut + 1);
    if (mixer_) mixer_->Play(kSoundSlot, name.c_str(), folder, nullptr, volume, 0, 0, 1, readWhole);
    audio_ = mixer_ != nullptr;
    soundStarted_ = false;
    return;
  }
}

std::int64_t CMoviePlayer::DueFrame() {
  const Rzm2Header& header = reader_->Header();
  const std::uint32_t elapsed = GetClockMs() - startTime_;
  if (audio_) {
    const std::int32_t position = mixer_->GetPlayPosition(kSoundSlot);
    if (position > 0) soundStarted_ = true;
    if (soundStarted_) return position < 0 ? -1 : MovieFrameAt(header.rateNumerator, header.timeBase, position);
    if (position == 0 && elapsed < kSoundStartGraceMs) return 0;
    audio_ = false;  // a track that never played: the engine clock takes over
  }
  return MovieFrameAt(header.rateNumerator, header.timeBase, elapsed);
}

int CMoviePlayer::Advance() {
  if (!reader_) return 0;
  const std::int64_t old = current_;
  current_ = DueFrame();
  if (current_ != old) {
    if (current_ < 0 || current_ >= reader_->Header().frameCount) return 0;
    ShowFrame(static_cast<std::uint32_t>(current_));
  }
  Sleep(1);
  return 1;
}

void CMoviePlayer::ShowFrame(std::uint32_t frame) {
  std::uint32_t size = 0;
  const std::uint8_t* record = reader_->GetFrame(frame, &size);
  if (record && SetFrameData(record, size)) Present();
}

void CMoviePlayer::Present() {
  if (reader_->IsVersion2()) {
    PresentFrameV2();
  } else {
    PresentFrameV1();
  }
}

int CMoviePlayer::SetFrameData(const std::uint8_t* record, std::uint32_t size) {
  if (!reader_) return 0;
  const Rzm2Header& header = reader_->Header();
  decoder_.SetInput(record, size);
  if (decoder_.ParseHeader() != 1 || decoder_.Width() != header.storedWidth || decoder_.Height() != header.storedHeight) {
    return 0;
  }
  if (!decoder_.IsReady()) decoder_.Reset();
  int decoded = 0;
  if (direct_) {
    DisplayDraw draw;
    if (!draw.Base()) return 0;
    decoder_.SetOutput(reinterpret_cast<std::uint16_t*>(draw.Base()),
                       std::size_t{header.storedWidth} * header.storedHeight * sizeof(std::uint16_t));
    decoded = decoder_.DecodeMovieFrame();
  } else {
    decoder_.SetOutput(frameBuffer_.data(), frameBuffer_.size() * sizeof(std::uint16_t));
    decoded = decoder_.DecodeMovieFrame();
  }
  if (decoded == 1) ++framesDecoded_;
  return decoded == 1 ? 1 : 0;
}

MovieFrame CMoviePlayer::Frame() const {
  const Rzm2Header& header = reader_->Header();
  return MovieFrame{frameBuffer_.data(), bufferWidth_, header.storedWidth, header.storedHeight};
}

MovieScreen CMoviePlayer::Screen(void* base) const {
  MovieScreen screen;
  if (!IsUsableDisplay(display_, base)) return screen;
  screen.base = static_cast<std::uint8_t*>(base);
  screen.xPitch = display_.cbxPitch;
  screen.yPitch = display_.cbyPitch;
  // Screen width runs along the portrait rows, screen height along a row.
  screen.width = ScreenWidth();
  screen.height = static_cast<std::uint32_t>(std::max(GetScreenHeight(), 0));
  screen.shownRows = display_.cyHeight;
  screen.shownColumns = display_.cxWidth;
  return screen;
}

std::uint32_t CMoviePlayer::ScreenWidth() { return static_cast<std::uint32_t>(std::max(GetScreenWidth(), 0)); }

void CMoviePlayer::PresentFrameV1() {
  // A frame this screen does not show leaves the display untouched.
  if (!reader_ || frameBuffer_.empty() || !MovieFrameShows(reader_->Header().storedWidth, ScreenWidth())) return;
  DisplayDraw draw;
  PresentLandscapeFrame(Frame(), Screen(draw.Base()), vgaQuality_ != 0);
}

void CMoviePlayer::PresentFrameV2() {
  // Direct frames are already in display memory.
  if (!reader_ || direct_ || frameBuffer_.empty()) return;
  if (!MovieFrameShows(reader_->Header().storedHeight, ScreenWidth())) return;
  DisplayDraw draw;
  PresentTurnedFrame(Frame(), Screen(draw.Base()), vgaQuality_ != 0);
}

void CMoviePlayer::ClearDisplay() {
  DisplayDraw draw;
  ClearMovieScreen(Screen(draw.Base()));
}
