// Image reads as a caller sees them: regions, interruption, file against
// memory, header-then-data reads, restart boundaries, refusals that leave
// the caller's memory alone, and cut or damaged streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "host/files/file_api.h"
#include "host/run/call_log.h"
#include "jpeg_image_reader.h"
#include "jpeg_test_support.h"
#include "support/scoped_temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes EncodeOurs(int width, int height, int sampling, bool progressive, int restart = 0, int channels = 3) {
  const TestPicture picture = MakePicture(width, height, 3, 11);
  EncodeRequest request;
  request.picture = &picture;
  request.jpegSampling = sampling;
  request.jpegChannels = channels;
  request.jpegColor = channels == 1 ? JPEG_COLOR_GRAY : JPEG_COLOR_YCBCR;
  request.progressive = progressive;
  request.restartInterval = restart;
  const EncodeResult result = Encode(request);
  EXPECT_EQ(result.status, JPEG_SUCCESS);
  return result.bytes;
}

Picture Crop(const Picture& whole, int left, int top, int width, int height) {
  Picture crop;
  crop.width = width;
  crop.height = height;
  crop.channels = whole.channels;
  for (int y = top; y < top + height; ++y) {
    const auto* row = whole.pixels.data() + (static_cast<std::size_t>(y) * whole.width + left) * whole.channels;
    crop.pixels.insert(crop.pixels.end(), row, row + width * whole.channels);
  }
  return crop;
}

TEST(JpegImageReadBehaviour, RegionReadEqualsTheCropOfTheWholeRead) {
  for (const bool progressive : {false, true}) {
    Bytes stream = EncodeOurs(641, 479, JPEG_SAMPLING_420, progressive, progressive ? 0 : 5);
    JPEG_STATUS status = 0;
    const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
    ASSERT_EQ(status, JPEG_SUCCESS);
    const struct {
      int left, top, right, bottom, pictureWidth, pictureHeight;
    } cases[] = {
        {37, 21, 300, 200, 263, 179},  // the picture is the region
        {37, 21, 300, 200, 100, 50},   // the picture is smaller than the region
        {600, 470, 700, 500, 41, 9},   // the region runs past the image
    };
    for (const auto& c : cases) {
      ImageReader reader;
      ASSERT_EQ(reader.Parameters(stream), JPEG_SUCCESS);
      reader.props.work->regionOfInterest[0] = c.left;
      reader.props.work->regionOfInterest[1] = c.top;
      reader.props.work->regionOfInterest[2] = c.right;
      reader.props.work->regionOfInterest[3] = c.bottom;
      Picture region;
      region.width = c.pictureWidth;
      region.height = c.pictureHeight;
      ASSERT_EQ(reader.Read(stream, JPEG_READ_IMAGE_BUFFER, region, JPEG_COLOR_RGB, 3), JPEG_SUCCESS);
      EXPECT_EQ(region.pixels, Crop(whole, c.left, c.top, c.pictureWidth, c.pictureHeight).pixels)
          << progressive << " " << c.left << "," << c.top << " " << c.pictureWidth;
    }
  }
}

TEST(JpegImageReadBehaviour, SmoothRegionReadEqualsTheCropOfTheSmoothWholeRead) {
  for (const int sampling : {JPEG_SAMPLING_420, JPEG_SAMPLING_422}) {
    Bytes stream = EncodeOurs(200, 120, sampling, sampling == JPEG_SAMPLING_422);
    const auto read = [&](int left, int top, int right, int bottom, Picture& picture) {
      ImageReader reader;
      EXPECT_EQ(reader.Parameters(stream), JPEG_SUCCESS);
      reader.props.work->upsamplingMode = 1;
      const int region[4] = {left, top, right, bottom};
      std::copy_n(region, 4, reader.props.work->regionOfInterest);
      picture.width = right > left ? right - left : 200;
      picture.height = bottom > top ? bottom - top : 120;
      return reader.Read(stream, JPEG_READ_IMAGE_BUFFER, picture, JPEG_COLOR_BGR, 3);
    };
    Picture whole, region;
    ASSERT_EQ(read(0, 0, 0, 0, whole), JPEG_SUCCESS);
    ASSERT_EQ(read(33, 17, 150, 101, region), JPEG_SUCCESS);
    EXPECT_EQ(region.pixels, Crop(whole, 33, 17, 117, 84).pixels) << sampling;
    Picture corner;
    ASSERT_EQ(read(0, 0, 8, 8, corner), JPEG_SUCCESS);
    EXPECT_EQ(corner.pixels, Crop(whole, 0, 0, 8, 8).pixels) << sampling;
  }
}

// Counts the blocks a read transforms, through the dequantisers every
// transform starts with.
int gDequantizedBlocks = 0;
JpegDequantizer gDequantizers[2] = {};
void CountingDequantizeFast(std::int16_t block[64], const std::int32_t table[80]) {
  ++gDequantizedBlocks;
  gDequantizers[0](block, table);
}
void CountingDequantizeAccurate(std::int16_t block[64], const std::int32_t table[80]) {
  ++gDequantizedBlocks;
  gDequantizers[1](block, table);
}

TEST(JpegImageReadBehaviour, ASmoothReadOfASmallRegionTransformsOnlyTheBlocksItReads) {
  // A tall image, as a few bytes of a damaged stream can claim, read into a
  // corner: the transform work follows the corner, not the image.
  Bytes stream = EncodeOurs(64, 4000, JPEG_SAMPLING_420, false);
  const auto countBlocks = [&](int right, int bottom) {
    ImageReader reader;
    EXPECT_EQ(reader.Parameters(stream), JPEG_SUCCESS);
    reader.props.work->upsamplingMode = 1;
    gDequantizers[0] = reader.props.work->table.dequantizeFast;
    gDequantizers[1] = reader.props.work->table.dequantizeAccurate;
    reader.props.work->table.dequantizeFast = CountingDequantizeFast;
    reader.props.work->table.dequantizeAccurate = CountingDequantizeAccurate;
    const int region[4] = {0, 0, right, bottom};
    std::copy_n(region, 4, reader.props.work->regionOfInterest);
    Picture picture;
    picture.width = right;
    picture.height = bottom;
    gDequantizedBlocks = 0;
    EXPECT_EQ(reader.Read(stream, JPEG_READ_IMAGE_BUFFER, picture, JPEG_COLOR_BGR, 3), JPEG_SUCCESS);
    return gDequantizedBlocks;
  };
  // 8 x 8 pixels read: 2 x 2 luma blocks and 1 x 2 of each chroma at most.
  EXPECT_LE(countBlocks(8, 8), 8);
  // The whole image: 8 x 500 luma blocks and 4 x 250 of each chroma.
  EXPECT_EQ(countBlocks(64, 4000), 6000);
}

// Damages the first part of the scan's entropy-coded data, leaving markers
// alone, so anything decoded from the scan's start comes out wrong.
void DamageScanStart(Bytes& stream) {
  std::size_t start = 0;
  for (const Segment& segment : HeaderSegments(stream)) {
    if (segment.marker == 0xDA) start = segment.offset + segment.length;
  }
  ASSERT_GT(start, 0u);
  for (std::size_t i = start + 2; i < start + (stream.size() - start) / 3; i += 7) {
    if (stream[i] != 0xFF && stream[i - 1] != 0xFF) stream[i] = static_cast<std::uint8_t>(stream[i] ^ 0x5A);
    if (stream[i] == 0xFF) stream[i] = 0x7F;
  }
}

TEST(JpegImageReadBehaviour, LaterRegionReadsStartAtTheRememberedRow) {
  for (const int restart : {0, 3}) {
    Bytes stream = EncodeOurs(200, 160, JPEG_SAMPLING_420, false, restart);
    JPEG_STATUS status = 0;
    const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
    ASSERT_EQ(status, JPEG_SUCCESS);
    Bytes damaged = stream;
    DamageScanStart(damaged);
    ScopedTempDir dir("jpeg_resume");
    const std::string path = dir.WriteFile("picture.jpg", stream);
    for (const bool file : {false, true}) {
      const std::string what = std::string(file ? "file" : "memory") + " restart " + std::to_string(restart);
      ImageReader reader;
      reader.props.jpegFileName = path.c_str();
      Bytes buffer = stream;
      const auto readRegion = [&](int top, int bottom, Picture& region) {
        std::copy_n(std::vector<int>{10, top, 190, bottom}.data(), 4, reader.props.work->regionOfInterest);
        region.width = 180;
        region.height = bottom - top;
        return reader.Read(buffer, file ? JPEG_READ_IMAGE_FILE : JPEG_READ_IMAGE_BUFFER, region, JPEG_COLOR_RGB, 3);
      };
      Picture first, second, third;
      ASSERT_EQ(readRegion(100, 140, first), JPEG_SUCCESS) << what;
      EXPECT_EQ(first.pixels, Crop(whole, 10, 100, 180, 40).pixels) << what;
      // The data before the remembered rows are damaged now; a read that
      // decoded them again would go wrong.
      buffer = damaged;
      if (file) dir.WriteFile("picture.jpg", damaged);
      ASSERT_EQ(readRegion(120, 150, second), JPEG_SUCCESS) << what;
      EXPECT_EQ(second.pixels, Crop(whole, 10, 120, 180, 30).pixels) << what;
      // A region above every remembered row but the first decodes from
      // the scan's start, through the damage.
      ASSERT_EQ(readRegion(0, 20, third), JPEG_SUCCESS) << what;
      EXPECT_NE(third.pixels, Crop(whole, 10, 0, 180, 20).pixels) << what;
    }
  }
}

TEST(JpegImageReadBehaviour, RememberedRowsBelongToTheirImage) {
  Bytes a = EncodeOurs(200, 160, JPEG_SAMPLING_420, false);
  Bytes b = EncodeOurs(200, 160, JPEG_SAMPLING_422, false);
  ImageReader reader;
  for (Bytes* stream : {&a, &b, &a}) {
    JPEG_STATUS status = 0;
    const Picture whole = ReadOurs(*stream, JPEG_READ_IMAGE_BUFFER, -1, status);
    ASSERT_EQ(status, JPEG_SUCCESS);
    Bytes copy = *stream;  // another buffer: the rows are found again
    for (Bytes* bytes : {stream, &copy}) {
      std::copy_n(std::vector<int>{0, 90, 200, 130}.data(), 4, reader.props.work->regionOfInterest);
      Picture region;
      region.width = 200;
      region.height = 40;
      ASSERT_EQ(reader.Read(*bytes, JPEG_READ_IMAGE_BUFFER, region, JPEG_COLOR_RGB, 3), JPEG_SUCCESS);
      EXPECT_EQ(region.pixels, Crop(whole, 0, 90, 200, 40).pixels);
    }
  }
}

TEST(JpegImageReadBehaviour, InterruptedReadGivesOneMcuACallAndTheSamePicture) {
  // 32 x 32 at 4:2:0: two by two MCUs.
  Bytes stream = EncodeOurs(32, 32, JPEG_SAMPLING_420, false);
  JPEG_STATUS status = 0;
  const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
  ASSERT_EQ(status, JPEG_SUCCESS);
  ImageReader reader;
  ASSERT_EQ(reader.Parameters(stream), JPEG_SUCCESS);
  Picture picture;
  picture.width = picture.height = 32;
  std::vector<JPEG_STATUS> results;
  std::vector<std::vector<int>> rectangles;
  for (int call = 0; call < 6; ++call) {
    reader.props.work->interruptRequest = 1;
    const JPEG_STATUS result = reader.Read(stream, JPEG_READ_IMAGE_BUFFER, picture, JPEG_COLOR_RGB, 3, call == 0);
    results.push_back(result);
    const int* r = reader.props.work->regionOfInterest;
    rectangles.push_back({r[0], r[1], r[2], r[3]});
    if (result != JPEG_INTERRUPT_SUCCESS) break;
  }
  EXPECT_EQ(results, (std::vector<JPEG_STATUS>{1, 1, 1, 0}));
  ASSERT_GE(rectangles.size(), 3u);
  EXPECT_EQ(rectangles[0], (std::vector<int>{0, 0, 16, 16}));
  EXPECT_EQ(rectangles[1], (std::vector<int>{16, 0, 32, 16}));
  EXPECT_EQ(rectangles[2], (std::vector<int>{0, 16, 16, 32}));
  EXPECT_EQ(picture.pixels, whole.pixels);
}

TEST(JpegImageReadBehaviour, BottomUpPictureHoldsTheRowsReversed) {
  Bytes stream = EncodeOurs(45, 29, JPEG_SAMPLING_422, false);
  JPEG_STATUS status = 0;
  const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
  ASSERT_EQ(status, JPEG_SUCCESS);
  ImageReader reader;
  ASSERT_EQ(reader.Parameters(stream), JPEG_SUCCESS);
  Picture flipped;
  flipped.width = 45;
  flipped.height = -29;
  flipped.pixels.assign(45 * 29 * 3, 0xA5);
  ASSERT_EQ(reader.Read(stream, JPEG_READ_IMAGE_BUFFER, flipped, JPEG_COLOR_RGB, 3, false), JPEG_SUCCESS);
  for (int y = 0; y < 29; ++y) {
    const auto* top = whole.pixels.data() + y * 45 * 3;
    const auto* bottom = flipped.pixels.data() + (28 - y) * 45 * 3;
    ASSERT_TRUE(std::equal(top, top + 45 * 3, bottom)) << y;
  }
}

// Reads a stream from a file with the file modes and from memory with the
// buffer modes: same status, same pixels.
void ExpectFileEqualsMemory(const Bytes& stream, const std::string& what, bool intact = false) {
  ScopedTempDir dir("jpeg_image");
  const std::string path = dir.WriteFile("picture.jpg", stream);
  for (const int mode : {JPEG_READ_IMAGE_FILE, JPEG_READ_QUARTER_FILE}) {
    Picture fromMemory, fromFile;
    fromMemory.width = fromFile.width = 160;
    fromMemory.height = fromFile.height = 120;
    Bytes copy = stream;
    ImageReader memoryReader, fileReader;
    memoryReader.props.jpegColor = fileReader.props.jpegColor = JPEG_COLOR_YCBCR;
    const JPEG_STATUS memoryStatus = memoryReader.Read(copy, mode + 1, fromMemory, JPEG_COLOR_BGR, 3);
    fileReader.props.jpegFileName = path.c_str();
    const JPEG_STATUS fileStatus = fileReader.Read(copy, mode, fromFile, JPEG_COLOR_BGR, 3);
    EXPECT_EQ(fileStatus, memoryStatus) << what << " mode " << mode;
    if (intact) {
      EXPECT_EQ(memoryStatus, JPEG_SUCCESS) << what << " mode " << mode;
    }
    EXPECT_EQ(fromFile.pixels, fromMemory.pixels) << what << " mode " << mode;
  }
}

TEST(JpegImageReadBehaviour, FileReadEqualsMemoryReadAlsoOnDamagedData) {
  const Bytes sequential = EncodeOurs(320, 200, JPEG_SAMPLING_420, false, 7);
  const Bytes progressive = EncodeOurs(320, 200, JPEG_SAMPLING_422, true);
  ExpectFileEqualsMemory(sequential, "sequential", true);
  ExpectFileEqualsMemory(progressive, "progressive", true);
  std::mt19937 random(5);
  for (int round = 0; round < 6; ++round) {
    Bytes damaged = round % 2 ? progressive : sequential;
    const std::size_t header = 700;
    for (int i = 0; i < 20; ++i)
      damaged[header + random() % (damaged.size() - header)] = static_cast<std::uint8_t>(random());
    if (round >= 4) damaged.resize(damaged.size() / 2);
    ExpectFileEqualsMemory(damaged, "damaged " + std::to_string(round));
  }
}

// Clears the host's injected failures however the test ends.
struct FailureGuard {
  ~FailureGuard() { HostClearFailures(); }
};

TEST(JpegImageReadBehaviour, FailedFileReadsAndSeeksGiveFileErrorsAndTheRecordRecovers) {
  const Bytes stream = EncodeOurs(320, 200, JPEG_SAMPLING_420, false);
  ASSERT_GT(stream.size(), 2u * 4096);  // several blocks of reading
  JPEG_STATUS status = 0;
  const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
  ASSERT_EQ(status, JPEG_SUCCESS);
  ScopedTempDir dir("jpeg_file_faults");
  const std::string path = dir.WriteFile("picture.jpg", stream);
  const FailureGuard guard;
  const struct {
    const char* call;
    int mode;
    bool midImage;  // the failure starts after the first MCU of an interrupted read
  } cases[] = {
      {"ReadFile", JPEG_READ_IMAGE_FILE, false},
      {"ReadFile", JPEG_READ_IMAGE_FILE, true},
      {"ReadFile", JPEG_READ_INFO_FILE, false},
      {"SetFilePointer", JPEG_READ_INFO_FILE, false},  // the step back over bytes read ahead
      {"SetFilePointer", JPEG_READ_HEADER_FILE, false},
      {"SetFilePointer", JPEG_READ_THUMBNAIL_FILE, false},  // the seek to the start
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.call) + " mode " + std::to_string(c.mode) + (c.midImage ? " mid-image" : "");
    ImageReader reader;
    reader.props.jpegFileName = path.c_str();
    Bytes unused;
    Picture picture;
    picture.width = 320;
    picture.height = 200;
    if (c.midImage) {
      reader.props.work->interruptRequest = 1;
      ASSERT_EQ(reader.Read(unused, c.mode, picture, JPEG_COLOR_RGB, 3), JPEG_INTERRUPT_SUCCESS) << what;
    }
    HostFailCall(c.call);
    const JPEG_STATUS failed = reader.Read(unused, c.mode, picture, JPEG_COLOR_RGB, 3, !c.midImage);
    EXPECT_EQ(failed, JPEG_FILE_ERROR) << what;
    HostClearFailures();
    // The failed read left nothing behind: the same record reads the file
    // (after an interrupted call the region names the last MCU produced).
    std::fill_n(reader.props.work->regionOfInterest, 4, 0);
    EXPECT_EQ(reader.Read(unused, JPEG_READ_IMAGE_FILE, picture, JPEG_COLOR_RGB, 3), JPEG_SUCCESS) << what;
    EXPECT_EQ(picture.pixels, whole.pixels) << what;
  }
}

// Whether this file system refuses to place a file's pointer at `offset`.
bool SeekRefused(const std::string& path, std::int64_t offset) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LONG high = static_cast<LONG>(offset >> 32);
  const bool refused =
      SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFF), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER;
  CloseHandle(file);
  return refused;
}

TEST(JpegImageReadBehaviour, RememberedRowTheFileCannotReachGivesAFileErrorAndIsForgotten) {
  const Bytes stream = EncodeOurs(200, 160, JPEG_SAMPLING_420, false);
  JPEG_STATUS status = 0;
  const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
  ASSERT_EQ(status, JPEG_SUCCESS);
  ScopedTempDir dir("jpeg_resume_seek");
  const std::string path = dir.WriteFile("picture.jpg", stream);
  // Past the largest file the file system allows, so the jump's seek fails.
  constexpr std::int64_t kUnreachable = std::int64_t{1} << 62;
  if (!SeekRefused(path, kUnreachable)) GTEST_SKIP() << "this file system places a pointer anywhere";
  ImageReader reader;
  reader.props.jpegFileName = path.c_str();
  Bytes unused;
  const auto readRegion = [&](Picture& region) {
    std::copy_n(std::vector<int>{10, 120, 190, 150}.data(), 4, reader.props.work->regionOfInterest);
    region.width = 180;
    region.height = 30;
    return reader.Read(unused, JPEG_READ_IMAGE_FILE, region, JPEG_COLOR_RGB, 3);
  };
  Picture first, failed, again;
  ASSERT_EQ(readRegion(first), JPEG_SUCCESS);
  const Picture expected = Crop(whole, 10, 120, 180, 30);
  ASSERT_EQ(first.pixels, expected.pixels);
  std::vector<JpegRowResumeEntry>& rows = reader.props.work->read.rowResume.rows;
  int planted = 0;
  for (std::size_t row = 1; row < rows.size(); ++row) {
    if (rows[row].offset < 0) continue;
    rows[row].offset = kUnreachable;
    ++planted;
  }
  ASSERT_GT(planted, 0);
  // The jump fails before any pixel is written, and only once: the next
  // read decodes from the scan's start.
  EXPECT_EQ(readRegion(failed), JPEG_FILE_ERROR);
  EXPECT_EQ(failed.pixels, Bytes(failed.pixels.size(), 0xA5));
  ASSERT_EQ(readRegion(again), JPEG_SUCCESS);
  EXPECT_EQ(again.pixels, expected.pixels);
}

TEST(JpegImageReadBehaviour, HeaderThenDataReadEqualsOneImageRead) {
  for (const bool progressive : {false, true}) {
    Bytes stream = EncodeOurs(100, 60, JPEG_SAMPLING_420, progressive);
    JPEG_STATUS status = 0;
    const Picture whole = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
    ASSERT_EQ(status, JPEG_SUCCESS);
    // The tables go in a header read; the data read starts at the frame.
    ImageReader reader;
    ASSERT_EQ(reader.Parameters(stream), JPEG_SUCCESS);
    reader.props.jpegBuffer = stream.data();
    reader.props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
    ASSERT_EQ(jpegRead(&reader.props, JPEG_READ_HEADER_BUFFER), JPEG_SUCCESS);
    const std::size_t taken = reader.props.work->read.input.bytesConsumed;
    Bytes rest(stream.begin() + static_cast<std::ptrdiff_t>(taken), stream.end());
    Picture picture;
    picture.width = 100;
    picture.height = 60;
    ASSERT_EQ(reader.Read(rest, JPEG_READ_DATA_BUFFER, picture, JPEG_COLOR_RGB, 3), JPEG_SUCCESS);
    EXPECT_EQ(picture.pixels, whole.pixels) << progressive;
  }
}

TEST(JpegImageReadBehaviour, TablesOnlyAndAbbreviatedWritesReadBackAsTheWholeStream) {
  const TestPicture source = MakePicture(72, 40, 3, 4);
  for (const bool progressive : {false, true}) {
    Writer whole(source, 100000);
    whole.props.work->progressive = progressive;
    ASSERT_EQ(jpegWrite(&whole.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);
    Bytes complete = whole.Output();
    JPEG_STATUS status = 0;
    const Picture expected = ReadOurs(complete, JPEG_READ_IMAGE_BUFFER, -1, status);
    ASSERT_EQ(status, JPEG_SUCCESS);

    Writer parts(source, 100000);
    parts.props.work->progressive = progressive;
    ASSERT_EQ(jpegWrite(&parts.props, JPEG_WRITE_HEADER_BUFFER), JPEG_SUCCESS);
    Bytes tables = parts.Output();
    parts.props.jpegBufferSize = static_cast<std::uint32_t>(parts.buffer.size());
    ASSERT_EQ(jpegWrite(&parts.props, JPEG_WRITE_DATA_BUFFER), JPEG_SUCCESS);
    Bytes data = parts.Output();

    ImageReader reader;
    reader.props.jpegBuffer = tables.data();
    reader.props.jpegBufferSize = static_cast<std::uint32_t>(tables.size());
    ASSERT_EQ(jpegRead(&reader.props, JPEG_READ_HEADER_BUFFER), JPEG_SUCCESS) << progressive;
    Picture picture;
    picture.width = source.width;
    picture.height = source.height;
    ASSERT_EQ(reader.Read(data, JPEG_READ_DATA_BUFFER, picture, JPEG_COLOR_RGB, 3), JPEG_SUCCESS) << progressive;
    EXPECT_EQ(picture.pixels, expected.pixels) << progressive;
  }
}

TEST(JpegImageReadBehaviour, AnyMarkerCodeAtARestartBoundaryActsAsTheRestart) {
  const Bytes stream = EncodeOurs(64, 16, JPEG_SAMPLING_420, false, 1);
  JPEG_STATUS status = 0;
  const Picture expected = ReadOurs(stream, JPEG_READ_IMAGE_BUFFER, -1, status);
  ASSERT_EQ(status, JPEG_SUCCESS);
  Bytes renamed = stream;
  int markers = 0;
  for (const Segment& s : StreamSegments(stream)) {
    if (s.marker >= 0xD0 && s.marker <= 0xD7) {
      renamed[s.offset + 1] = static_cast<std::uint8_t>(markers % 2 ? 0xD3 : 0xEC);
      ++markers;
    }
  }
  ASSERT_EQ(markers, 3);
  const Picture ours = ReadOurs(renamed, JPEG_READ_IMAGE_BUFFER, -1, status);
  EXPECT_EQ(status, JPEG_SUCCESS);
  EXPECT_EQ(ours.pixels, expected.pixels);
}

// A picture with guard bytes on both sides.
struct GuardedPicture {
  static constexpr std::size_t kGuard = 64;
  std::vector<std::uint8_t> memory;
  int width, height, channels;
  GuardedPicture(int w, int h, int c)
      : memory(kGuard * 2 + static_cast<std::size_t>(w) * h * c, 0xA5), width(w), height(h), channels(c) {}
  std::uint8_t* pixels() { return memory.data() + kGuard; }
  bool GuardsIntact() const {
    for (std::size_t i = 0; i < kGuard; ++i) {
      if (memory[i] != 0xA5 || memory[memory.size() - 1 - i] != 0xA5) return false;
    }
    return true;
  }
  bool Untouched() const {
    for (const std::uint8_t byte : memory) {
      if (byte != 0xA5) return false;
    }
    return true;
  }
};

JPEG_STATUS ReadInto(Bytes stream, GuardedPicture& picture, int color, int processorClass = -1,
                     int jpegColor = JPEG_COLOR_YCBCR, int jpegChannels = 3) {
  ImageReader reader(processorClass);
  reader.props.jpegColor = jpegColor;
  reader.props.jpegChannels = jpegChannels;
  reader.props.imagePixels = picture.pixels();
  reader.props.imageWidth = picture.width;
  reader.props.imageHeight = picture.height;
  reader.props.imageChannels = picture.channels;
  reader.props.imageColor = color;
  reader.props.jpegBuffer = stream.data();
  reader.props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
  return jpegRead(&reader.props, JPEG_READ_IMAGE_BUFFER);
}

std::size_t OffsetOf(const Bytes& stream, int marker) {
  for (const Segment& s : HeaderSegments(stream)) {
    if (s.marker == marker) return s.offset;
  }
  ADD_FAILURE() << "no marker " << marker;
  return 0;
}

TEST(JpegImageReadBehaviour, RefusalsComeBeforeAnyPixelIsWritten) {
  const Bytes base = EncodeOurs(40, 24, JPEG_SAMPLING_420, false);
  const Bytes progressive = EncodeOurs(40, 24, JPEG_SAMPLING_420, true);
  const std::size_t sof = OffsetOf(base, 0xC0);
  const std::size_t sos = OffsetOf(base, 0xDA);
  const std::size_t app0 = OffsetOf(base, 0xE0);
  // SOF bytes: FF C0 Lh Ll P Hh Hl Wh Wl Nf, then id, factors, table per component.
  struct Case {
    const char* what;
    Bytes stream;
    int color = JPEG_COLOR_BGR;
    int channels = 3;
    int jpegColor = JPEG_COLOR_YCBCR;
    int jpegChannels = 3;
    JPEG_STATUS expected;
  };
  std::vector<Case> cases;
  {
    Bytes s = base;
    s[sof + 9] = 5;
    cases.push_back({"five components", s, JPEG_COLOR_BGR, 3, 3, 3, JPEG_ERROR_COMP});
  }
  {
    Bytes s = base;
    s[sof + 11] = 0x50;
    cases.push_back({"factor 5", s, JPEG_COLOR_BGR, 3, 3, 3, JPEG_ERROR_SOF});
  }
  {
    Bytes s = base;
    s[sof + 11] = 0x32;
    s[sof + 14] = 0x21;
    cases.push_back({"factors 3 against 2", s, JPEG_COLOR_BGR, 3, 3, 3, JPEG_NOT_SUPPORTED});
  }
  {
    Bytes s = base;
    const Bytes frame(base.begin() + static_cast<std::ptrdiff_t>(sof),
                      base.begin() + static_cast<std::ptrdiff_t>(sof + 2 + (base[sof + 2] << 8 | base[sof + 3])));
    s.insert(s.begin() + static_cast<std::ptrdiff_t>(sos), frame.begin(), frame.end());
    cases.push_back({"second frame", s, JPEG_COLOR_BGR, 3, 3, 3, JPEG_MULTIPLE_FRAMES});
  }
  {
    Bytes s = base;
    s[sos + 5] = 9;  // first scan selector: no such component
    cases.push_back({"unknown scan component", s, JPEG_COLOR_BGR, 3, 3, 3, JPEG_DATA_ERROR});
  }
  cases.push_back({"packed picture of three channels", base, JPEG_COLOR_YCBCR, 3, 3, 3, JPEG_INVALID_PROPERTIES});
  {
    // Without the JFIF segment the caller's JPEG colour stands; four
    // components do not fit a three-component frame.
    Bytes s = base;
    s.erase(s.begin() + static_cast<std::ptrdiff_t>(app0),
            s.begin() + static_cast<std::ptrdiff_t>(app0 + 2 + (base[app0 + 2] << 8 | base[app0 + 3])));
    cases.push_back(
        {"colour against components", s, JPEG_COLOR_RGBA, 4, JPEG_COLOR_YCBCRA, 4, JPEG_INVALID_PROPERTIES});
  }
  {
    Bytes s = progressive;
    const std::size_t frame = OffsetOf(s, 0xC2);
    for (int i = 5; i <= 8; ++i) s[frame + i] = 0xFF;
    cases.push_back({"progressive store too large", s, JPEG_COLOR_BGR, 3, 3, 3, JPEG_MEMORY_ERROR});
  }
  {
    // A second component that no scan names, with table selector 9.
    Bytes s = EncodeOurs(40, 24, JPEG_SAMPLING_444, false, 0, 1);
    const std::size_t frame = OffsetOf(s, 0xC0);
    s[frame + 3] = static_cast<std::uint8_t>(s[frame + 3] + 3);
    s[frame + 9] = 2;
    const Bytes extra{0x7E, 0x11, 9};
    s.insert(s.begin() + static_cast<std::ptrdiff_t>(frame + 13), extra.begin(), extra.end());
    cases.push_back({"unscanned component's table", s, JPEG_COLOR_OTHER, 2, JPEG_COLOR_OTHER, 2, JPEG_DATA_ERROR});
  }
  for (const Case& c : cases) {
    GuardedPicture picture(40, 24, c.channels);
    EXPECT_EQ(ReadInto(c.stream, picture, c.color, -1, c.jpegColor, c.jpegChannels), c.expected) << c.what;
    EXPECT_TRUE(picture.Untouched()) << c.what;
  }
}

TEST(JpegImageReadBehaviour, EveryCutOfSmallStreamsStaysInsideThePicture) {
  const Bytes streams[] = {EncodeOurs(17, 9, JPEG_SAMPLING_420, false, 1), EncodeOurs(17, 9, JPEG_SAMPLING_422, true),
                           EncodeOurs(17, 9, JPEG_SAMPLING_444, false, 0, 1)};
  for (const Bytes& stream : streams) {
    for (std::size_t size = 1; size < stream.size(); ++size) {
      const Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(size));
      for (const int cls : {0, 6}) {
        // Smaller than the image on purpose.
        GuardedPicture picture(13, 7, 3);
        const JPEG_STATUS status = ReadInto(cut, picture, JPEG_COLOR_RGB, cls);
        EXPECT_LE(status, JPEG_SUCCESS) << size;
        ASSERT_TRUE(picture.GuardsIntact()) << size << " class " << cls;
      }
    }
  }
}

}  // namespace
