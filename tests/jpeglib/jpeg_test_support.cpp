#include "jpeg_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "jpeglib/jpeg_tables.h"
#include "jpeglib/jpeg_working_state.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

// Parses a binary PGM/PPM.
bool ParsePnm(const std::vector<std::uint8_t>& file, Decoded& out) {
  std::size_t pos = 0;
  auto token = [&]() {
    while (pos < file.size() && std::isspace(file[pos])) ++pos;
    std::string text;
    while (pos < file.size() && !std::isspace(file[pos])) text += static_cast<char>(file[pos++]);
    return text;
  };
  const std::string magic = token();
  if (magic != "P5" && magic != "P6") return false;
  out.components = magic == "P5" ? 1 : 3;
  out.width = std::stoi(token());
  out.height = std::stoi(token());
  token();  // maximum value
  ++pos;
  out.samples.assign(file.begin() + static_cast<std::ptrdiff_t>(pos), file.end());
  return out.samples.size() == static_cast<std::size_t>(out.width) * out.height * out.components;
}

}  // namespace

TestPicture MakePicture(int width, int height, int channels, unsigned seed, int padding) {
  TestPicture picture;
  picture.width = width;
  picture.height = height;
  picture.channels = channels;
  picture.padding = padding;
  picture.pixels.assign(static_cast<std::size_t>(picture.stride()) * height, 0xA5);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> noise(-6, 6);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        const double wave = 60.0 * std::sin((x + 7 * c) * 0.11 + y * 0.05 * (c + 1)) +
                            40.0 * std::cos(y * 0.09 - x * 0.03 * c);
        const int value = 128 + static_cast<int>(wave) + noise(random);
        picture.at(x, y)[c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
      }
    }
  }
  return picture;
}

TestPicture FlipRows(const TestPicture& picture) {
  TestPicture flipped = picture;
  const auto stride = static_cast<std::size_t>(picture.stride());
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(y * stride), stride,
                flipped.pixels.begin() + static_cast<std::ptrdiff_t>((picture.height - 1 - y) * stride));
  }
  return flipped;
}

EncodeResult Encode(const EncodeRequest& request) {
  const TestPicture& picture = *request.picture;
  JPEG_PROPERTIES props{};
  EncodeResult result;
  result.status = jpegInit(&props);
  if (result.status != JPEG_SUCCESS) return result;
  std::vector<std::uint8_t> buffer(request.bufferSize != 0 ? request.bufferSize
                                                           : picture.pixels.size() * 3 + 4096);
  props.imagePixels = const_cast<std::uint8_t*>(picture.pixels.data());
  props.imageWidth = picture.width;
  props.imageHeight = request.bottomUp ? -picture.height : picture.height;
  props.imageRowPadding = picture.padding;
  props.imageChannels = request.imageSampling == JPEG_IMAGE_PACKED_422 ? 3 : picture.channels;
  props.imageSampling = request.imageSampling;
  props.imageColor = request.imageColor;
  props.jpegBuffer = buffer.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(buffer.size());
  props.jpegWidth = picture.width;
  props.jpegHeight = picture.height;
  props.jpegChannels = request.jpegChannels;
  props.jpegColor = request.jpegColor;
  props.jpegSampling = request.jpegSampling;
  props.quality = request.quality;
  props.work->restartInterval = request.restartInterval;
  props.work->progressive = request.progressive;
  if (request.processorClass >= 0) jpegFillProcessorTable(props.work->table, request.processorClass);
  result.status = jpegWrite(&props, JPEG_WRITE_IMAGE_BUFFER);
  if (result.status == JPEG_SUCCESS) {
    buffer.resize(props.jpegBufferSize);
    result.bytes = std::move(buffer);
  }
  jpegFree(&props);
  return result;
}

namespace {

std::vector<Segment> WalkSegments(const std::vector<std::uint8_t>& stream, bool throughScans) {
  std::vector<Segment> segments;
  std::size_t pos = 0;
  while (pos + 1 < stream.size() && stream[pos] == 0xFF) {
    const int marker = stream[pos + 1];
    if (marker == 0xD8 || marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD7)) {
      segments.push_back({marker, pos, 2});
      pos += 2;
    } else {
      if (pos + 3 >= stream.size()) break;
      const std::size_t length = 2 + (stream[pos + 2] << 8 | stream[pos + 3]);
      segments.push_back({marker, pos, length});
      pos += length;
    }
    if (marker != 0xDA && (marker < 0xD0 || marker > 0xD7)) continue;
    if (!throughScans) break;
    // Entropy-coded data ends at the first 0xFF not followed by 0x00.
    while (pos + 1 < stream.size() && !(stream[pos] == 0xFF && stream[pos + 1] != 0x00)) ++pos;
  }
  return segments;
}

}  // namespace

std::vector<Segment> HeaderSegments(const std::vector<std::uint8_t>& stream) { return WalkSegments(stream, false); }

std::vector<Segment> StreamSegments(const std::vector<std::uint8_t>& stream) { return WalkSegments(stream, true); }

std::vector<std::vector<int>> QuantTablesOf(const std::vector<std::uint8_t>& stream) {
  std::vector<std::vector<int>> tables;
  for (const Segment& segment : HeaderSegments(stream)) {
    if (segment.marker != 0xDB) continue;
    const int id = stream[segment.offset + 4] & 15;
    if (static_cast<int>(tables.size()) <= id) tables.resize(id + 1);
    tables[id].assign(64, 0);
    for (int i = 0; i < 64; ++i) tables[id][kZigzagToNatural[i]] = stream[segment.offset + 5 + i];
  }
  return tables;
}

std::string QuantSelectorsOf(const std::vector<std::uint8_t>& stream) {
  std::string selectors;
  for (const Segment& segment : HeaderSegments(stream)) {
    if (segment.marker != 0xC0) continue;
    const int count = stream[segment.offset + 9];
    for (int c = 0; c < count; ++c) {
      if (c > 0) selectors += ",";
      selectors += std::to_string(stream[segment.offset + 10 + 3 * c + 2]);
    }
  }
  return selectors;
}

Decoded DecodeWithReference(const std::vector<std::uint8_t>& stream) {
  const ScopedTempDir scratch("jpeglib_djpeg_");
  const std::string base = scratch.HostPath("decode");
  scratch.WriteFile("decode.jpg", stream);
  const std::string command = "djpeg -pnm -outfile '" + base + ".pnm' '" + base + ".jpg' 2> '" + base + ".txt'";
  Decoded decoded;
  const int exitCode = std::system(command.c_str());
  decoded.messages = scratch.ReadFile("decode.txt").value_or("");
  decoded.ok = exitCode == 0 && ParsePnm(ReadFileBytes(base + ".pnm"), decoded);
  return decoded;
}

std::vector<std::uint8_t> EncodeWithReference(const std::vector<std::uint8_t>& samples, int width, int height,
                                              int components, const std::vector<std::vector<int>>& tables,
                                              const std::string& sampling, const std::string& extra) {
  const ScopedTempDir scratch("jpeglib_cjpeg_");
  const std::string base = scratch.HostPath("encode");
  std::ostringstream header;
  header << (components == 1 ? "P5" : "P6") << "\n" << width << " " << height << "\n255\n";
  const std::string head = header.str();
  std::vector<std::uint8_t> pnm(head.begin(), head.end());
  pnm.insert(pnm.end(), samples.begin(), samples.end());
  scratch.WriteFile("encode.pnm", pnm);
  std::ostringstream tableText;
  for (std::size_t t = 0; t < tables.size(); ++t) {
    for (int i = 0; i < 64; ++i) tableText << tables[t][i] << (i % 8 == 7 ? "\n" : " ");
    tableText << "\n";
  }
  scratch.WriteFile("encode.qt", tableText.str());
  const std::string command = "cjpeg -dct int -baseline -qtables '" + base + ".qt' -sample " + sampling + " " +
                              extra + " -outfile '" + base + ".jpg' '" + base + ".pnm'";
  if (std::system(command.c_str()) != 0) return {};
  return ReadFileBytes(base + ".jpg");
}

std::vector<TestPicture> NaturalFrames(int width, int height) {
  // Some sources only make even sizes: make the next even size and crop.
  const int madeWidth = (width + 1) & ~1, madeHeight = (height + 1) & ~1;
  const std::string size = std::to_string(madeWidth) + "x" + std::to_string(madeHeight);
  const char* const sources[] = {"testsrc2=size=", "mandelbrot=maxiter=256:size=", "smptebars=size="};
  const ScopedTempDir scratch("jpeglib_ffmpeg_");
  std::string command = "ffmpeg -nostdin -loglevel error";
  for (const char* source : sources) command += " -f lavfi -i " + std::string(source) + size;
  for (int i = 0; i < 3; ++i) {
    command += " -map " + std::to_string(i) + " -frames:v 1 -pix_fmt bgr24 -f rawvideo -y '" +
               scratch.HostPath("frame" + std::to_string(i)) + "'";
  }
  if (std::system(command.c_str()) != 0) return {};
  std::vector<TestPicture> frames;
  for (int i = 0; i < 3; ++i) {
    const std::vector<std::uint8_t> made = ReadFileBytes(scratch.HostPath("frame" + std::to_string(i)));
    if (made.size() != static_cast<std::size_t>(madeWidth) * madeHeight * 3) return {};
    TestPicture picture;
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y) {
      const auto row = made.begin() + static_cast<std::ptrdiff_t>(y) * madeWidth * 3;
      picture.pixels.insert(picture.pixels.end(), row, row + width * 3);
    }
    frames.push_back(std::move(picture));
  }
  return frames;
}

void ReferenceDct(const std::int16_t in[64], double out[64]) {
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double sum = 0.0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          sum += in[y * 8 + x] * std::cos((2 * x + 1) * u * M_PI / 16) * std::cos((2 * y + 1) * v * M_PI / 16);
        }
      }
      out[v * 8 + u] = 0.25 * (u == 0 ? M_SQRT1_2 : 1.0) * (v == 0 ? M_SQRT1_2 : 1.0) * sum;
    }
  }
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  if (sum == 0.0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

std::vector<std::uint8_t> RgbSamples(const TestPicture& picture, int imageColor) {
  std::vector<std::uint8_t> samples;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* pixel = picture.at(x, y);
      if (picture.channels == 1) {
        samples.push_back(pixel[0]);
      } else if (imageColor == JPEG_COLOR_BGR) {
        samples.insert(samples.end(), {pixel[2], pixel[1], pixel[0]});
      } else {
        samples.insert(samples.end(), {pixel[0], pixel[1], pixel[2]});
      }
    }
  }
  return samples;
}
