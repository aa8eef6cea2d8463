// Display memory for the movie tests: a portrait area of chosen size and
// pitches inside a larger block whose other pixels hold a canary, installed
// as the engine's display access while the object lives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/movie/movie_present.h"
#include "host/display/gapi.h"

struct DisplayGeometry {
  std::uint32_t columns = 480;  // pixels along a portrait row
  std::uint32_t rows = 640;
  std::int32_t xPitch = 2;  // bytes, either sign
  std::int32_t yPitch = 960;
};

class FakeDisplay {
 public:
  static constexpr std::uint16_t kCanary = 0xDEAD;
  // What the area holds before anything is drawn.
  static constexpr std::uint16_t kBlank = 0x5A5A;

  explicit FakeDisplay(const DisplayGeometry& geometry);
  ~FakeDisplay();
  FakeDisplay(const FakeDisplay&) = delete;
  FakeDisplay& operator=(const FakeDisplay&) = delete;

  std::uint16_t At(std::uint32_t row, std::uint32_t column) const;
  // Pixels outside the area that no longer hold the canary.
  std::size_t CanaryDamage() const;
  // The area as the movie code sees a screen of rows x columns.
  MovieScreen Screen();
  GXDisplayProperties Properties() const;
  // Begin and end calls of the display access since the last Reset.
  int Draws() const { return draws_; }
  int Ends() const { return ends_; }
  // Begin hands out null, as a suspended display does.
  void Refuse(bool refuse) { refuse_ = refuse; }
  void Reset();

 private:
  std::ptrdiff_t IndexOf(std::uint32_t row, std::uint32_t column) const;

  DisplayGeometry geometry_;
  std::vector<std::uint16_t> memory_;
  std::ptrdiff_t baseIndex_ = 0;
  int draws_ = 0;
  int ends_ = 0;
  bool refuse_ = false;
  friend struct FakeDisplayAccess;
};
