// The library's working state behind JPEG_PROPERTIES: tables, frame and
// component geometry, the pending scan of an interrupted write, the output
// stream and the kernel table. Tests reach the fields a caller cannot set
// through the public record (interrupt request, restart interval, DCT
// method, comment) here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_output.h"
#include "jpeglib/jpeg_processor.h"
#include "jpeglib/jpeg_read_state.h"
#include "jpeglib/jpeg_tables.h"

inline constexpr int kJpegMaxComponents = 4;
inline constexpr int kJpegMaxMcuBlocks = 10;

struct JpegQuantSlot {
  const std::uint16_t* base = nullptr;  // 64 values, zigzag order
  int id = 0;
  bool prepared = false;
  std::uint16_t scaled[64] = {};       // zigzag order, as the DQT carries them
  std::uint16_t multipliers[64] = {};  // natural order, for the quantiser
};

struct JpegHuffmanSlot {
  const std::uint8_t* counts = nullptr;  // 16 code-length counts
  const std::uint8_t* values = nullptr;
  int tableClass = 0;  // 0 DC, 1 AC
  int id = 0;
};

struct JpegComponent {
  int h = 1;
  int v = 1;
  int quantTable = 0;
  int id = 0;  // identifier in the frame header (reads)
};

struct JpegFrame {
  int width = 0;
  int height = 0;
  int componentCount = 0;
  JpegComponent components[kJpegMaxComponents];
  int hMax = 1;
  int vMax = 1;
  int mcuWidth = 8;
  int mcuHeight = 8;
  int mcusPerRow = 0;
  int mcuRows = 0;
  int mcuCount = 0;
  bool subsampled = false;
  bool convertColour = false;
};

// One scan's record; kept while an interrupted write is pending. Progressive
// scans also carry their spectral band, approximation bits and components.
struct JPEG_SCAN {
  int componentCount = 0;
  int spectralStart = 0;
  int spectralEnd = 63;
  int approxHigh = 0;
  int approxLow = 0;
  int component[kJpegMaxComponents] = {0, 1, 2, 3};  // positions in the frame
  unsigned restartCounter = 0;
  int resumeColumn = 0;
  int resumeRow = 0;
  std::int16_t dcPredictor[kJpegMaxComponents] = {};
};

// The caller's picture as the input stage reads it.
struct JpegSource {
  const std::uint8_t* top = nullptr;  // first pixel of the top picture row
  int width = 0;
  int height = 0;  // magnitude
  int channels = 0;
  int color = 0;
  int sampling = 0;
  std::ptrdiff_t stride = 0;  // negative for a bottom-up picture
};

// Caller-supplied component planes replacing the picture: one plane of
// 16-bit values per component, MCUs-per-row x H x 8 values a row, block
// (MCU row r, column c, vertical k, horizontal h) at value row (r V + k) 8 and
// column (c H + h) 8. Samples 0..255 are level-shifted and transformed;
// quantised coefficients (natural order within a block) are taken as they are.
struct JpegPlaneSource {
  const std::int16_t* planes[kJpegMaxComponents] = {};  // planes[0] null: none attached
  bool holdsSamples = false;

  bool attached() const { return planes[0] != nullptr; }
};

struct JpegWorkingState {
  JpegCallerFields fields{};  // the caller's fields as copied by the write
  int mode = -1;
  int dctMethod = 1;
  int regionOfInterest[4] = {};  // left, top, right, bottom

  JpegQuantSlot quant[4];
  int quantCount = 0;
  bool callerQuantTables = false;
  JpegHuffmanSlot huffman[8];
  int huffmanCount = 0;
  bool callerHuffmanTables = false;
  JpegHuffmanCodes dcCodes[4];
  JpegHuffmanCodes acCodes[4];
  bool dcBuilt[4] = {};
  bool acBuilt[4] = {};
  std::uint8_t dcSelector[kJpegMaxComponents] = {0, 1, 1, 1};
  std::uint8_t acSelector[kJpegMaxComponents] = {0, 1, 1, 1};

  JpegFrame frame;
  int restartInterval = 0;   // sequential images only
  bool progressive = false;  // SOF2 with the fixed scan script and optimal tables
  int interruptRequest = 0;
  int lastMcuColumn = 0;
  int lastMcuRow = 0;
  std::unique_ptr<JPEG_SCAN> scan;  // pending scan of an interrupted write

  // Caller comment; null gives the library banner.
  const std::uint8_t* comment = nullptr;
  std::uint16_t commentLength = 0;
  std::uint16_t jfifVersion = 0x0101;
  std::uint8_t jfifUnits = 0;
  std::uint16_t jfifXDensity = 1;
  std::uint16_t jfifYDensity = 1;
  std::uint16_t adobeVersion = 100;
  std::uint16_t adobeFlags0 = 0;
  std::uint16_t adobeFlags1 = 0;

  JpegSource source;
  JpegPlaneSource planeSource;
  int converterKind = 0;
  JpegOutputStream output;
  JPEG_PROCESSOR_TABLE table{};
  int processorClass = 0;
  JpegReadState read;
  std::unique_ptr<JPEG_SCAN> pendingRead;             // scan of an interrupted image read
  RAW_COEFFICIENT_OUTPUT* rawCoefficients = nullptr;  // the caller's; null decodes to pixels
  int upsamplingMode = 0;                             // 0 repeats chroma samples, 1 interpolates them
  alignas(32) std::int16_t mcuBlocks[kJpegMaxMcuBlocks * 64] = {};
};

// The caller's picture geometry from the copied fields into `source`.
void jpegSetUpPicture(JpegWorkingState& work);
// Components, sampling factors, table choice and MCU geometry from the
// copied fields; -14 for a component count outside 1..4.
JPEG_STATUS jpegSetUpFrame(JpegWorkingState& work);

// Run by jpegWrite after storing the mode; the first failing rule decides.
JPEG_STATUS jpegValidateProperties(const JPEG_PROPERTIES& props, int mode);
