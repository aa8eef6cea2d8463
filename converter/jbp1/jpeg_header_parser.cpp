#include "converter/jbp1/jpeg_header_parser.h"

namespace reelpack {

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;

// Big-endian 16-bit value; -1 at the end of the source.
int ReadWord(CJpegBitReader& reader) {
  const int high = reader.ReadByte();
  const int low = reader.ReadByte();
  return high < 0 || low < 0 ? -1 : high << 8 | low;
}

bool Skip(CJpegBitReader& reader, int count) {
  for (int i = 0; i < count; ++i) {
    if (reader.ReadByte() < 0) return false;
  }
  return true;
}

}  // namespace

void CJpegHeaderParser::Reset() {
  seen = 0;
  frameMarker = 0;
  precision = 0;
  width = height = 0;
  frame.clear();
  scan.clear();
  restartInterval = 0;
}

bool CJpegHeaderParser::ReadHeaders(CJpegBitReader& reader) {
  reader.SetBitMode(false);
  for (;;) {
    const int marker = reader.NextMarker();
    if (marker == 0) return false;
    if (marker == kSoi) break;
  }
  while ((seen & (kSeenScan | kSeenEnd)) == 0) {
    if (!ReadSegment(reader)) return false;
  }
  return true;
}

bool CJpegHeaderParser::ReadSegment(CJpegBitReader& reader) {
  const int marker = reader.NextMarker();
  if (marker == 0) return false;
  if (marker == kSoi || marker == kEoi) {
    seen |= kSeenEnd;
    return true;
  }
  const int length = ReadWord(reader);
  if (length < 0) return false;
  switch (marker) {
    case 0xC0:
    case 0xC1:
    case 0xC2:
      return ReadFrame(reader, marker);
    case 0xC4:
      return ReadHuffmanTables(reader, length);
    case 0xDB:
      return ReadQuantTables(reader, length);
    case 0xDA:
      return ReadScan(reader);
    case 0xDC: {
      const int lines = ReadWord(reader);
      if (lines < 0) return false;
      height = static_cast<std::uint32_t>(lines);
      return true;
    }
    case 0xDD: {
      const int interval = ReadWord(reader);
      if (interval < 0) return false;
      restartInterval = static_cast<std::uint32_t>(interval);
      return true;
    }
    default:
      break;
  }
  if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) return length >= 2 && Skip(reader, length - 2);
  // Any other segment: the next marker search runs through its body.
  return true;
}

bool CJpegHeaderParser::ReadFrame(CJpegBitReader& reader, int marker) {
  frameMarker = marker;
  precision = reader.ReadByte();
  const int lines = ReadWord(reader);
  const int samples = ReadWord(reader);
  const int count = reader.ReadByte();
  if (precision < 0 || lines < 0 || samples < 0 || count < 0) return false;
  height = static_cast<std::uint32_t>(lines);
  width = static_cast<std::uint32_t>(samples);
  frame.assign(static_cast<std::size_t>(count), {});
  for (JpegFrameComponent& component : frame) {
    component.id = reader.ReadByte();
    const int factors = reader.ReadByte();
    component.quantTable = reader.ReadByte();
    if (component.id < 0 || factors < 0 || component.quantTable < 0) return false;
    if (component.quantTable >= kTableCount) return false;
    component.horizontal = factors >> 4;
    component.vertical = factors & 15;
  }
  seen |= kSeenFrame;
  return true;
}

bool CJpegHeaderParser::ReadHuffmanTables(CJpegBitReader& reader, int length) {
  int remaining = length - 2;
  while (remaining > 0) {
    const int selector = reader.ReadByte();
    if (selector < 0) return false;
    const int tableClass = selector >> 4;
    const int number = selector & 15;
    if (tableClass > 1 || number >= kTableCount) return false;
    int bytesRead = 0;
    if (!huffmanTables[tableClass * kTableCount + number].Load(reader, bytesRead)) return false;
    remaining -= 1 + bytesRead;
  }
  seen |= kSeenHuffman;
  return true;
}

bool CJpegHeaderParser::ReadQuantTables(CJpegBitReader& reader, int length) {
  int remaining = length - 2;
  while (remaining > 0) {
    const int selector = reader.ReadByte();
    if (selector < 0 || (selector & 15) >= kTableCount) return false;
    const bool wide = selector > 15;
    std::uint32_t* table = quantTables[selector & 15];
    for (int k = 0; k < 64; ++k) {
      const int value = wide ? ReadWord(reader) : reader.ReadByte();
      if (value < 0) return false;
      table[k] = static_cast<std::uint32_t>(value);
    }
    remaining -= wide ? 129 : 65;
  }
  seen |= kSeenQuant;
  return true;
}

bool CJpegHeaderParser::ReadScan(CJpegBitReader& reader) {
  const int count = reader.ReadByte();
  if (count < 0 || count > kMaxScanComponents) return false;
  scan.assign(static_cast<std::size_t>(count), {});
  for (JpegScanComponent& component : scan) {
    component.id = reader.ReadByte();
    const int tables = reader.ReadByte();
    if (component.id < 0 || tables < 0) return false;
    component.dcTable = tables >> 4;
    component.acTable = tables & 15;
    if (component.dcTable >= kTableCount || component.acTable >= kTableCount) return false;
  }
  // Spectral selection and successive approximation: baseline scans only.
  if (!Skip(reader, 3)) return false;
  seen |= kSeenScan;
  return true;
}

}  // namespace reelpack
