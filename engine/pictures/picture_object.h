// CImage: one decoded picture held in a picture slot. It comes from a ".rbp"
// file, a snapshot of the back buffer, a blank fill or the thumbnail of a save
// file. Every buffer it holds is a local-heap block that Free releases.
#pragma once

#include <cstddef>
#include <cstdint>

class CArchiveReader;
class CBackBuffer;

enum PixelKind : std::uint32_t {
  kPixelKindPalette = 8,       // one palette index per pixel, 256 four-byte entries
  kPixelKindRgb565 = 16,       // RGB565 pixels
  kPixelKindRgb565Alpha = 24,  // RGB565 pixels plus one alpha byte (0..63) per pixel
  kPixelKindEmpty = 32,        // nothing loaded
};

enum EffectState : std::uint32_t {
  kEffectNone = 0,
  kEffectInverted = 1,
  kEffectGrey = 2,
  kEffectDarkened = 3,
  kEffectSepia = 3,  // the same state as darkening
};

inline constexpr std::uint32_t kPictureFlagPartsSheet = 0x80000000u;
// The name field holds at most 63 characters and its NUL.
inline constexpr std::size_t kPictureNameSize = 64;
// The message text of a save file is held in a field of this size.
inline constexpr std::size_t kSaveTextSize = 256;

class CImage {
 public:
  CImage() = default;
  ~CImage() { Free(); }
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // Loads name (with ".rbp" put in place of its extension) from the archive at
  // folder through archive, or from the folder itself when folder ends in '\'.
  // parts marks a parts sheet. outA/outB (optional) receive the header's two
  // free values. 1 when loaded (an unknown kind loads as an empty picture),
  // 0 when the name is too long, the file cannot be read or is damaged, or
  // memory runs out.
  int LoadRbp(const char* name, const char* folder, int parts, CArchiveReader* archive, int* outA, int* outB);

  std::uint16_t* GetPixels() const { return static_cast<std::uint16_t*>(pixels); }
  std::uint8_t* GetIndexes() const { return static_cast<std::uint8_t*>(pixels); }
  std::uint8_t* GetAlphaPlane() const { return alphaPlane; }

  // A snapshot of the back buffer at its size; the design size stays as it
  // was. 1, or 0 when memory runs out.
  int CopyFromBackBuffer(CBackBuffer& backBuffer);
  // Draws the w x h area at the top-left of source at (x, y) of this picture,
  // clipped to both pictures; an alpha source is blended over 64 levels.
  void DrawImage(const CImage& source, int x, int y, int w, int h);
  // mode 2: w x h RGB565 pixels of byte fill; any other mode: pixels and an
  // alpha plane, both of byte fill. 1, or 0 when memory runs out.
  int CreateBlank(std::uint32_t w, std::uint32_t h, std::uint8_t fill, int mode);

  void DarkenByColor(std::uint32_t rgb);
  void InvertColors();
  // Grey and sepia tones of every RGB565 pixel; the alpha plane stays.
  void ApplyGrey();
  void ApplySepia();
  void ScaleBrightness(std::uint32_t factor);

  // Releases every buffer (any number of times) and leaves the picture empty.
  void Free();

  // Loads the thumbnail of the save file folder + fileName. outText (at least
  // kSaveTextSize bytes, optional) receives the message text, outChapter the
  // chapter (always 0: saves carry none), outStamp the packed time stamp.
  // 1, or 0 for a missing, foreign or damaged file.
  int LoadSaveThumbnail(const char* fileName, const char* folder, char* outText, std::int32_t* outChapter,
                        std::uint32_t* outStamp);

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::int32_t designWidth = 0;
  std::int32_t designHeight = 0;
  char name[kPictureNameSize] = {};
  std::uint32_t flags = 0;
  std::uint32_t pixelKind = kPixelKindEmpty;
  std::uint32_t effectState = kEffectNone;
  void* pixels = nullptr;                // RGB565 values, or palette indexes for kind 8
  const std::uint8_t* palette = nullptr;  // kind 8 only
  std::uint8_t* alphaPlane = nullptr;     // kind 24 only
  void* ownedBlock = nullptr;             // what pixels (and palette) live in
  std::uint8_t* maskPlane = nullptr;     // optional mask plane of the compositor
  std::uint32_t maskStride = 0;
  std::uint32_t maskHeight = 0;  // rows of the mask plane

 private:
  // Fills the picture from a ".rbp" file image of size bytes (shared: it lies
  // in the shared read buffer). keepFile is set when the picture took the
  // image as its owned block.
  int DecodeRbpImage(std::uint8_t* file, std::uint32_t size, int shared, int* outA, int* outB, bool& keepFile);
  // Takes block (a local-heap block) as the owned block and the pixels.
  void TakePixels(void* block);
  int AllocatePixels(std::size_t count);
  int AllocateAlpha(std::size_t count);
};
