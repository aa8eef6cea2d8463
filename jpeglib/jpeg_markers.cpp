#include "jpeglib/jpeg_markers.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/format_text.h"

namespace {

inline void writeMarker(int code, std::uint8_t*& cursor) {
  *cursor++ = 0xFF;
  *cursor++ = static_cast<std::uint8_t>(code);
}

inline void writeWord(unsigned value, std::uint8_t*& cursor) {
  *cursor++ = static_cast<std::uint8_t>(value >> 8);
  *cursor++ = static_cast<std::uint8_t>(value);
}

JPEG_STATUS emit(JpegWorkingState& work, const std::uint8_t* segment, const std::uint8_t* end) {
  return work.table.writeOutputBytes(segment, static_cast<std::size_t>(end - segment), work.output);
}

// A DHT table's body: class x 16 + identifier, the 16 counts, the values.
std::uint8_t* putHuffmanTable(std::uint8_t* cursor, const std::uint8_t counts[16], const std::uint8_t* values,
                              int count, int tableClass, int id) {
  *cursor++ = static_cast<std::uint8_t>(tableClass * 16 + id);
  std::memcpy(cursor, counts, 16);
  std::memcpy(cursor + 16, values, static_cast<std::size_t>(count));
  return cursor + 16 + count;
}

constexpr char kBannerFormat[] = "Reelpack JPEG Library, version %s";

}  // namespace

JPEG_STATUS writeSoi(JpegWorkingState& work) {
  std::uint8_t segment[2], *cursor = segment;
  writeMarker(0xD8, cursor);
  return emit(work, segment, cursor);
}

JPEG_STATUS writeEoi(JpegWorkingState& work) {
  std::uint8_t segment[2], *cursor = segment;
  writeMarker(0xD9, cursor);
  return emit(work, segment, cursor);
}

JPEG_STATUS writeApp0(JpegWorkingState& work) {
  std::uint8_t segment[18], *cursor = segment;
  writeMarker(0xE0, cursor);
  writeWord(16, cursor);
  std::memcpy(cursor, "JFIF", 5);
  cursor += 5;
  writeWord(work.jfifVersion, cursor);
  *cursor++ = work.jfifUnits;
  writeWord(work.jfifXDensity, cursor);
  writeWord(work.jfifYDensity, cursor);
  *cursor++ = 0;  // no thumbnail
  *cursor++ = 0;
  return emit(work, segment, cursor);
}

JPEG_STATUS writeApp14(int transform, JpegWorkingState& work) {
  std::uint8_t segment[16], *cursor = segment;
  writeMarker(0xEE, cursor);
  writeWord(14, cursor);
  std::memcpy(cursor, "Adobe", 5);
  cursor += 5;
  writeWord(work.adobeVersion, cursor);
  writeWord(work.adobeFlags0, cursor);
  writeWord(work.adobeFlags1, cursor);
  *cursor++ = static_cast<std::uint8_t>(transform);
  return emit(work, segment, cursor);
}

JPEG_STATUS writeComment(JpegWorkingState& work) {
  if (work.comment != nullptr) {
    if (work.commentLength == 0) return JPEG_SUCCESS;
    if (work.commentLength > 65531) work.commentLength = 65531;
    const std::size_t length = work.commentLength;
    std::unique_ptr<std::uint8_t[]> segment(new (std::nothrow) std::uint8_t[length + 4]());
    if (!segment) return JPEG_MEMORY_ERROR;
    std::uint8_t* cursor = segment.get();
    writeMarker(0xFE, cursor);
    writeWord(static_cast<unsigned>(length + 2), cursor);
    std::memcpy(cursor, work.comment, length);
    return emit(work, segment.get(), cursor + length);
  }
  std::uint8_t segment[80] = {};
  char* text = reinterpret_cast<char*>(segment + 4);
  FormatText(text, sizeof segment - 5, kBannerFormat, jpegGetVersion()->internalVersion);
  const std::size_t produced = std::strlen(text);
  if (produced <= std::strlen(kBannerFormat)) return JPEG_SUCCESS;
  std::uint8_t* cursor = segment;
  writeMarker(0xFE, cursor);
  writeWord(static_cast<unsigned>(produced + 3), cursor);
  return emit(work, segment, segment + produced + 5);
}

JPEG_STATUS writeDqt(JpegWorkingState& work, int precision, int id, const std::uint16_t values[64]) {
  std::uint8_t segment[4 + 1 + 128], *cursor = segment;
  writeMarker(0xDB, cursor);
  writeWord(precision == 0 ? 67 : 131, cursor);
  *cursor++ = static_cast<std::uint8_t>(precision * 16 + id);
  for (int i = 0; i < 64; ++i) {
    if (precision == 0) {
      *cursor++ = static_cast<std::uint8_t>(values[i]);
    } else {
      writeWord(values[i], cursor);
    }
  }
  return emit(work, segment, cursor);
}

JPEG_STATUS writeDhtAll(JpegWorkingState& work) {
  unsigned length = 2;
  for (int t = 0; t < work.huffmanCount; ++t) {
    length += 17 + static_cast<unsigned>(jpegHuffmanValueCount(work.huffman[t].counts));
  }
  std::uint8_t head[4], *cursor = head;
  writeMarker(0xC4, cursor);
  writeWord(length, cursor);
  if (JPEG_STATUS status = emit(work, head, cursor)) return status;
  for (int t = 0; t < work.huffmanCount; ++t) {
    const JpegHuffmanSlot& slot = work.huffman[t];
    const int count = jpegHuffmanValueCount(slot.counts);
    if (count > 256) return JPEG_BAD_HUFFMAN_TABLE;
    std::uint8_t segment[1 + 16 + 256];
    const std::uint8_t* end = putHuffmanTable(segment, slot.counts, slot.values, count, slot.tableClass, slot.id);
    if (JPEG_STATUS status = emit(work, segment, end)) return status;
  }
  return JPEG_SUCCESS;
}

namespace {

// SOF0 numbers several components from 1, SOF2 from 0; a single component
// is 0 with factors 1x1 in both.
JPEG_STATUS writeFrameHeader(JpegWorkingState& work, int marker, int firstIdentifier) {
  const JpegFrame& frame = work.frame;
  std::uint8_t segment[10 + 3 * kJpegMaxComponents], *cursor = segment;
  writeMarker(marker, cursor);
  writeWord(static_cast<unsigned>(8 + 3 * frame.componentCount), cursor);
  *cursor++ = 8;
  writeWord(static_cast<unsigned>(frame.height), cursor);
  writeWord(static_cast<unsigned>(frame.width), cursor);
  *cursor++ = static_cast<std::uint8_t>(frame.componentCount);
  for (int c = 0; c < frame.componentCount; ++c) {
    const JpegComponent& component = frame.components[c];
    const bool single = frame.componentCount == 1;
    *cursor++ = static_cast<std::uint8_t>(single ? 0 : c + firstIdentifier);
    *cursor++ = static_cast<std::uint8_t>(single ? 0x11 : component.h * 16 + component.v);
    *cursor++ = static_cast<std::uint8_t>(component.quantTable);
  }
  return emit(work, segment, cursor);
}

}  // namespace

JPEG_STATUS writeSof0(JpegWorkingState& work) { return writeFrameHeader(work, 0xC0, 1); }

JPEG_STATUS writeSof2(JpegWorkingState& work) { return writeFrameHeader(work, 0xC2, 0); }

JPEG_STATUS writeSos(JpegWorkingState& work, int componentCount) {
  std::uint8_t segment[8 + 2 * kJpegMaxComponents], *cursor = segment;
  writeMarker(0xDA, cursor);
  writeWord(static_cast<unsigned>(6 + 2 * componentCount), cursor);
  *cursor++ = static_cast<std::uint8_t>(componentCount);
  for (int c = 0; c < componentCount; ++c) {
    const bool single = componentCount == 1;
    *cursor++ = static_cast<std::uint8_t>(single ? 0 : c + 1);
    *cursor++ = single ? 0 : static_cast<std::uint8_t>(work.dcSelector[c] * 16 + work.acSelector[c]);
  }
  *cursor++ = 0;   // spectral start
  *cursor++ = 63;  // spectral end
  *cursor++ = 0;   // successive approximation
  return emit(work, segment, cursor);
}

JPEG_STATUS writeSosProgressive(JpegWorkingState& work, const JPEG_SCAN& scan, const std::uint8_t dcSelector[],
                                const std::uint8_t acSelector[]) {
  std::uint8_t segment[8 + 2 * kJpegMaxComponents], *cursor = segment;
  writeMarker(0xDA, cursor);
  writeWord(static_cast<unsigned>(6 + 2 * scan.componentCount), cursor);
  *cursor++ = static_cast<std::uint8_t>(scan.componentCount);
  for (int i = 0; i < scan.componentCount; ++i) {
    // SOF2 identifiers are the components' positions.
    const int position = scan.component[i];
    *cursor++ = static_cast<std::uint8_t>(position);
    *cursor++ = static_cast<std::uint8_t>(dcSelector[position] * 16 + acSelector[position]);
  }
  *cursor++ = static_cast<std::uint8_t>(scan.spectralStart);
  *cursor++ = static_cast<std::uint8_t>(scan.spectralEnd);
  *cursor++ = static_cast<std::uint8_t>(scan.approxHigh * 16 + scan.approxLow);
  return emit(work, segment, cursor);
}

JPEG_STATUS writeDhtTable(JpegWorkingState& work, const std::uint8_t counts[16], const std::uint8_t* values,
                          int tableClass, int id) {
  const int count = jpegHuffmanValueCount(counts);
  if (count > 256) return JPEG_BAD_HUFFMAN_TABLE;
  std::uint8_t segment[4 + 1 + 16 + 256], *cursor = segment;
  writeMarker(0xC4, cursor);
  writeWord(static_cast<unsigned>(19 + count), cursor);
  return emit(work, segment, putHuffmanTable(cursor, counts, values, count, tableClass, id));
}

JPEG_STATUS writeDri(int interval, JpegWorkingState& work) {
  std::uint8_t segment[6], *cursor = segment;
  writeMarker(0xDD, cursor);
  writeWord(4, cursor);
  writeWord(static_cast<unsigned>(interval), cursor);
  return emit(work, segment, cursor);
}

JPEG_STATUS writeRst(int n, JpegWorkingState& work) {
  if (n < 0 || n >= 8) return JPEG_BAD_RST_MARKER;
  std::uint8_t segment[2], *cursor = segment;
  writeMarker(0xD0 + n, cursor);
  return emit(work, segment, cursor);
}
