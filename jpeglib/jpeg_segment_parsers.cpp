// Marker segment parsers of the decoder.
#include "jpeglib/jpeg_segment_parsers.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jpeglib/jpeg_input_segments.h"

namespace {

using Payload = std::vector<std::uint8_t>;

int word(const Payload& p, std::size_t at) { return p[at] << 8 | p[at + 1]; }

bool thumbnailMode(const JpegWorkingState& work) {
  return work.mode == JPEG_READ_THUMBNAIL_FILE || work.mode == JPEG_READ_THUMBNAIL_BUFFER;
}

// Thumbnail pixels into the caller's picture: RGB order for picture colour
// RGB, reversed otherwise. The picture must hold three channels (-4) and
// the whole thumbnail (-26).
JPEG_STATUS writeThumbnail(JpegWorkingState& work, int width, int height, const std::uint8_t* indexes,
                           const std::uint8_t* palette) {
  jpegSetUpPicture(work);
  const JpegSource& picture = work.source;
  if (picture.channels != 3) return JPEG_UNSUPPORTED_BYTES_PER_PIXEL;
  if (width > picture.width || height > picture.height) return JPEG_THUMBNAIL_TOO_SMALL;
  const bool rgb = picture.color == JPEG_COLOR_RGB;
  auto* row = const_cast<std::uint8_t*>(picture.top);
  for (int y = 0; y < height; ++y, row += picture.stride) {
    for (int x = 0; x < width; ++x) {
      const std::size_t n = static_cast<std::size_t>(y) * width + x;
      const std::uint8_t* triplet = palette ? palette + 3 * indexes[n] : indexes + 3 * n;
      std::uint8_t* out = row + 3 * static_cast<std::ptrdiff_t>(x);
      out[0] = triplet[rgb ? 0 : 2];
      out[1] = triplet[1];
      out[2] = triplet[rgb ? 2 : 0];
    }
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS readThumbnail(JpegWorkingState& work, const Payload& p) {
  JpegReadState& read = work.read;
  const bool jfif = std::memcmp(p.data(), "JFIF", 5) == 0;
  if (jfif || (std::memcmp(p.data(), "JFXX", 5) == 0 && p[5] == 0x13)) {
    const std::size_t start = jfif ? 14 : 8;
    const int width = p[start - 2];
    const int height = p[start - 1];
    if (width == 0 || height == 0) return JPEG_SUCCESS;
    read.thumbWidth = width;
    read.thumbHeight = height;
    if (thumbnailMode(work) && p.size() >= start + static_cast<std::size_t>(width) * height * 3) {
      return writeThumbnail(work, width, height, p.data() + start, nullptr);
    }
    return JPEG_SUCCESS;
  }
  if (std::memcmp(p.data(), "JFXX", 5) == 0 && p[5] == 0x11) {
    const int width = p[6];
    const int height = p[7];
    if (!thumbnailMode(work) || p.size() < static_cast<std::size_t>(width) * height + 776) return JPEG_SUCCESS;
    read.thumbWidth = width;
    read.thumbHeight = height;
    return writeThumbnail(work, width, height, p.data() + 776, p.data() + 8);
  }
  return JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS parseDri(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return status;
  if (p.size() < 2) return JPEG_DATA_ERROR;
  work.restartInterval = word(p, 0);
  return JPEG_SUCCESS;
}

JPEG_STATUS parseSof(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return status;
  if (p.size() < 6) return JPEG_DATA_ERROR;
  if (p[0] != 8) return JPEG_UNSUPPORTED_FRAME;
  JpegFrame frame;
  frame.height = word(p, 1);
  frame.width = word(p, 3);
  frame.componentCount = p[5];
  if (frame.height == 0) return JPEG_ERROR_DNL;
  if (frame.componentCount == 0 || frame.componentCount > kJpegMaxComponents) return JPEG_ERROR_COMP;
  if (p.size() < 6 + 3 * static_cast<std::size_t>(frame.componentCount)) return JPEG_DATA_ERROR;
  if (frame.width == 0) return JPEG_ERROR_SOF;
  int blocks = 0;
  frame.hMax = frame.vMax = 1;
  for (int c = 0; c < frame.componentCount; ++c) {
    JpegComponent& component = frame.components[c];
    component.id = p[6 + 3 * c];
    component.h = p[7 + 3 * c] >> 4;
    component.v = p[7 + 3 * c] & 15;
    component.quantTable = p[8 + 3 * c];
    if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) return JPEG_ERROR_SOF;
    blocks += component.h * component.v;
    frame.hMax = std::max(frame.hMax, component.h);
    frame.vMax = std::max(frame.vMax, component.v);
  }
  if (frame.componentCount > 1 && blocks > kJpegMaxMcuBlocks) return JPEG_ERROR_SOF;
  for (int c = 0; c < frame.componentCount; ++c) {
    const JpegComponent& component = frame.components[c];
    if (frame.hMax % component.h != 0 || frame.vMax % component.v != 0) return JPEG_NOT_SUPPORTED;
  }
  if (frame.componentCount == 1) {
    // A lone component's MCU is one block, whatever its factors say.
    frame.components[0].h = frame.components[0].v = 1;
    frame.hMax = frame.vMax = 1;
  }
  frame.mcuWidth = 8 * frame.hMax;
  frame.mcuHeight = 8 * frame.vMax;
  frame.mcusPerRow = (frame.width + frame.mcuWidth - 1) / frame.mcuWidth;
  frame.mcuRows = (frame.height + frame.mcuHeight - 1) / frame.mcuHeight;
  frame.mcuCount = frame.mcusPerRow * frame.mcuRows;
  frame.subsampled = frame.hMax > 1 || frame.vMax > 1;
  work.frame = frame;
  return JPEG_SUCCESS;
}

JPEG_STATUS parseApp14(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return status;
  if (p.size() < 12 || std::memcmp(p.data(), "Adobe", 5) != 0) return JPEG_SUCCESS;
  work.adobeVersion = static_cast<std::uint16_t>(word(p, 5));
  work.adobeFlags0 = static_cast<std::uint16_t>(word(p, 7));
  work.adobeFlags1 = static_cast<std::uint16_t>(word(p, 9));
  work.read.adobeTransform = p[11];
  work.read.adobeSeen = true;
  return JPEG_SUCCESS;
}

JPEG_STATUS parseApp0(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return JPEG_DATA_ERROR;
  if (p.size() < 14 || !work.read.frameWanted) return JPEG_SUCCESS;
  if (std::memcmp(p.data(), "JFIF", 5) == 0) {
    work.read.jfifSeen = true;
    work.jfifVersion = static_cast<std::uint16_t>(word(p, 5));
    work.jfifUnits = p[7];
    work.jfifXDensity = static_cast<std::uint16_t>(word(p, 8));
    work.jfifYDensity = static_cast<std::uint16_t>(word(p, 10));
  }
  return readThumbnail(work, p);
}

JPEG_STATUS parseCom(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return JPEG_DATA_ERROR;
  JpegReadState& read = work.read;
  if (!read.frameWanted || read.commentBuffer == nullptr) return JPEG_SUCCESS;
  const std::size_t room = read.commentSize;
  std::memcpy(read.commentBuffer, p.data(), std::min(room, p.size()));
  read.commentSize = static_cast<std::uint16_t>(p.size());
  return p.size() > room ? JPEG_COMMENT_ACCESS_ERROR : JPEG_SUCCESS;
}

JPEG_STATUS parseDqt(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return status;
  if (p.size() > 516) return JPEG_DATA_ERROR;
  JpegReadState& read = work.read;
  for (std::size_t at = 0; at < p.size();) {
    const bool wide = (p[at] >> 4) != 0;
    const int id = p[at] & 15;
    if (id > 3) return JPEG_BAD_QUANT_TABLE;
    if (p.size() - at - 1 < (wide ? 128u : 64u)) return JPEG_DATA_ERROR;
    ++at;
    for (int k = 0; k < 64; ++k) {
      read.quantValues[id][k] = static_cast<std::uint16_t>(wide ? word(p, at + 2 * k) : p[at + k]);
    }
    at += wide ? 128 : 64;
    if (work.dctMethod == 1) {
      prepareDequantTablePlain(read.quantValues[id], read.dequant[id]);
      prepareDequantFactors(read.dequant[id], read.dequantFactors[id]);
    } else {
      prepareDequantTableScaled(read.quantValues[id], read.dequant[id]);
    }
    read.quantDefined[id] = true;
    read.quantCount = std::max(read.quantCount, id + 1);
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS parseDht(JpegWorkingState& work) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return status;
  if (p.size() > 1091) return JPEG_DATA_ERROR;
  JpegReadState& read = work.read;
  for (std::size_t at = 0; at < p.size();) {
    const int tableClass = p[at] >> 4;
    const int id = p[at] & 15;
    if (tableClass > 1 || id > 3 || p.size() - at < 17) return JPEG_BAD_HUFFMAN_TABLE;
    const std::uint8_t* counts = p.data() + at + 1;
    const std::size_t total = static_cast<std::size_t>(jpegHuffmanValueCount(counts));
    if (p.size() - at - 17 < total) return JPEG_BAD_HUFFMAN_TABLE;
    JpegHuffmanDecodeTable& table = tableClass == 0 ? read.dcTables[id] : read.acTables[id];
    if (jpegBuildDecodeTable(counts, counts + 16, table) < 0) return JPEG_BAD_HUFFMAN_TABLE;
    (tableClass == 0 ? read.dcDefined : read.acDefined)[id] = true;
    at += 17 + total;
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS parseSos(JpegWorkingState& work, JPEG_SCAN& scan) {
  Payload p;
  const JPEG_STATUS status = jpegReadSegment(work.read.input, p);
  if (status < 0) return status;
  const JpegFrame& frame = work.frame;
  const JpegReadState& read = work.read;
  if (p.empty()) return JPEG_DATA_ERROR;
  const int count = p[0];
  if (count < 1 || count > kJpegMaxComponents || p.size() < 4 + 2 * static_cast<std::size_t>(count)) {
    return JPEG_DATA_ERROR;
  }
  JPEG_SCAN parsed;
  parsed.componentCount = count;
  for (int i = 0; i < count; ++i) {
    const int selector = p[1 + 2 * i];
    int index = 0;
    while (index < frame.componentCount && frame.components[index].id != selector) ++index;
    if (index == frame.componentCount) return JPEG_DATA_ERROR;
    for (int j = 0; j < i; ++j) {
      if (parsed.component[j] == index) return JPEG_DATA_ERROR;
    }
    const int dc = p[2 + 2 * i] >> 4;
    const int ac = p[2 + 2 * i] & 15;
    if (dc > 3 || ac > 3 || frame.components[index].quantTable > 3) return JPEG_DATA_ERROR;
    parsed.component[i] = index;
    work.dcSelector[i] = static_cast<std::uint8_t>(dc);
    work.acSelector[i] = static_cast<std::uint8_t>(ac);
  }
  const std::size_t bands = 1 + 2 * static_cast<std::size_t>(count);
  parsed.spectralStart = p[bands];
  parsed.spectralEnd = p[bands + 1];
  parsed.approxHigh = p[bands + 2] >> 4;
  parsed.approxLow = p[bands + 2] & 15;
  if (read.progressive) {
    const bool dcScan = parsed.spectralStart == 0;
    if (parsed.spectralStart > parsed.spectralEnd || parsed.spectralEnd > 63 || (dcScan && parsed.spectralEnd != 0) ||
        (!dcScan && count != 1) || parsed.approxHigh > 13 || parsed.approxLow > 13) {
      return JPEG_DATA_ERROR;
    }
  }
  // The tables each scan kind uses must be there.
  const bool needDc = !read.progressive || (parsed.spectralStart == 0 && parsed.approxHigh == 0);
  const bool needAc = !read.progressive || parsed.spectralStart > 0;
  for (int i = 0; i < count; ++i) {
    if ((needDc && !read.dcDefined[work.dcSelector[i]]) || (needAc && !read.acDefined[work.acSelector[i]])) {
      return JPEG_NO_HUFFMAN_TABLE;
    }
    if (!read.quantDefined[frame.components[parsed.component[i]].quantTable]) return JPEG_NO_QUANT_TABLE;
  }
  scan = parsed;
  return JPEG_SUCCESS;
}
