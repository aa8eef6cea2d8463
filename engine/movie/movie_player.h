// Plays a ".rzm2" (or ".rzm") movie full screen: frame records come from the
// read-ahead thread, each due frame is decoded with the movie path of the
// picture decoder and written into display memory, and the sound track
// beside the movie plays on mixer slot 0 and clocks the frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/movie/movie_present.h"
#include "engine/movie/movie_read_ahead.h"
#include "engine/pictures/picture_decoder.h"
#include "host/display/gapi.h"

class CSoundMixer;

class CMoviePlayer {
 public:
  CMoviePlayer();
  virtual ~CMoviePlayer();
  CMoviePlayer(const CMoviePlayer&) = delete;
  CMoviePlayer& operator=(const CMoviePlayer&) = delete;

  // path's extension is replaced by ".rzm2", else ".rzm". Shows frame 0 and
  // starts the ".mp3" (else ".ogg") sound track beside the movie on slot 0.
  // 1 when playing; 0 for a missing or broken movie, a time base or rate of
  // 0, or a frame of more than 1,200 macroblocks.
  int Open(const char* path, CSoundMixer* mixer, int volume, int readWhole, std::uint32_t vgaQuality);
  // Shows the frame that is due, if it changed, decoding at most one: frames
  // whose time has passed are skipped. 1 while playing, 0 at the end.
  virtual int Advance();
  // Decodes a frame record into the frame buffer (or display memory); 1 when
  // decoded. A record of another size or one the decoder refuses is left
  // out, and the picture on screen stays.
  int SetFrameData(const std::uint8_t* record, std::uint32_t size);
  void PresentFrameV1();
  void PresentFrameV2();
  void ClearDisplay();

  CSoundMixer* Mixer() const { return mixer_; }
  // The frame last due (-1 once a sound track that had played has ended).
  std::int64_t CurrentFrame() const { return current_; }
  std::uint32_t FramesDecoded() const { return framesDecoded_; }
  bool IsDirect() const { return direct_; }
  // True while the sound track is the clock.
  bool IsClockedBySound() const { return audio_; }

 private:
  void ShowFrame(std::uint32_t frame);
  void Present();
  std::int64_t DueFrame();
  // The screen area of display memory at base, cut to the display's size.
  MovieScreen Screen(void* base) const;
  static std::uint32_t ScreenWidth();
  MovieFrame Frame() const;
  void StartSoundTrack(const std::string& moviePath, int volume, int readWhole);

  CSoundMixer* mixer_ = nullptr;
  GXDisplayProperties display_{};
  std::unique_ptr<CMovieReadAhead> reader_;
  std::int64_t current_ = -1;
  std::uint32_t startTime_ = 0;
  bool audio_ = false;
  // Set once the sound track's position has grown: from then on its end ends
  // the movie; before, a track that does not play hands over to the clock.
  bool soundStarted_ = false;
  std::uint32_t vgaQuality_ = 0;
  bool direct_ = false;
  CPictureDecoder decoder_;
  std::vector<std::uint16_t> frameBuffer_;
  std::uint32_t bufferWidth_ = 0;
  std::uint32_t framesDecoded_ = 0;
};
