// jpegWrite as a whole: interruption and resumption, file and memory output,
// the output-room rule, processor classes, bottom-up pictures and the
// refusal of bad calls, for sequential and progressive images.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "jpeg_test_support.h"
#include "jpeglib/jpeg_working_state.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes EncodeWhole(const TestPicture& picture, int processorClass, bool progressive = false) {
  Writer writer(picture, picture.pixels.size() * 3 + 4096);
  writer.UseClass(processorClass);
  writer.props.work->progressive = progressive;
  EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);
  return writer.Output();
}

TEST(WriteBehaviour, ClassesSharingTheirArithmeticWriteTheSameBytes) {
  // The plain classes 0-2 and the SIMD classes 3-6 each share one
  // arithmetic; the two transforms may differ by one unit in a coefficient.
  const TestPicture picture = MakePicture(131, 77, 3, 11, 3);
  const Bytes plain = EncodeWhole(picture, 0);
  const Bytes simd = EncodeWhole(picture, 3);
  for (int processorClass = 1; processorClass <= 6; ++processorClass) {
    EXPECT_EQ(EncodeWhole(picture, processorClass), processorClass < 3 ? plain : simd) << "class " << processorClass;
  }
}

TEST(WriteBehaviour, InterruptedAfterEveryMcuGivesTheSameBytes) {
  const TestPicture picture = MakePicture(128, 64, 3, 5, 0);
  for (int processorClass : {0, 6}) {
    for (int restartInterval : {0, 3}) {
      Writer whole(picture, picture.pixels.size() * 3);
      whole.UseClass(processorClass);
      whole.props.work->restartInterval = restartInterval;
      ASSERT_EQ(jpegWrite(&whole.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);

      Writer writer(picture, picture.pixels.size() * 3);
      writer.UseClass(processorClass);
      writer.props.work->restartInterval = restartInterval;
      JPEG_STATUS status;
      int calls = 0;
      do {
        writer.props.work->interruptRequest = 1;
        status = jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER);
        if (calls == 0) {
          // The first stop is after MCU (0, 0): its right and bottom edges in pixels.
          EXPECT_EQ(writer.props.work->regionOfInterest[2], 16);
          EXPECT_EQ(writer.props.work->regionOfInterest[3], 16);
        }
        ++calls;
      } while (status == JPEG_INTERRUPT_SUCCESS);
      EXPECT_EQ(status, JPEG_SUCCESS);
      EXPECT_EQ(calls, 8 * 4 + 1);  // one stop per MCU, then the EOI call
      EXPECT_EQ(writer.Output(), whole.Output()) << "class " << processorClass << " restart " << restartInterval;
    }
  }
}

TEST(WriteBehaviour, FileOutputMatchesMemoryOutputAcrossStagingBuffers) {
  const TestPicture picture = MakePicture(400, 300, 3, 9, 2);
  const ScopedTempDir scratch("jpeglib_write_");
  const std::string name = scratch.HostPath("file_output.jpg");
  for (int processorClass : {0, 6}) {
    for (bool progressive : {false, true}) {
      const std::string label = "class " + std::to_string(processorClass) + (progressive ? " progressive" : "");
      const Bytes memory = EncodeWhole(picture, processorClass, progressive);
      ASSERT_GT(memory.size(), 3 * 4096u);
      Writer writer(picture, 0);
      writer.UseClass(processorClass);
      writer.props.work->progressive = progressive;
      writer.props.jpegFileName = name.c_str();
      ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_FILE), JPEG_SUCCESS);
      EXPECT_EQ(writer.props.jpegBufferSize, memory.size());
      EXPECT_EQ(ReadFileBytes(name), memory) << label;
      if (progressive) continue;

      // Interrupted file writes resume into the same file.
      Writer resumed(picture, 0);
      resumed.UseClass(processorClass);
      resumed.props.jpegFileName = name.c_str();
      JPEG_STATUS status;
      do {
        resumed.props.work->interruptRequest = 1;
        status = jpegWrite(&resumed.props, JPEG_WRITE_IMAGE_FILE);
      } while (status == JPEG_INTERRUPT_SUCCESS);
      EXPECT_EQ(status, JPEG_SUCCESS);
      EXPECT_EQ(ReadFileBytes(name), memory);
    }
  }
}

TEST(WriteBehaviour, ProgressiveWritesIgnoreAndClearAnInterruptRequest) {
  const TestPicture picture = MakePicture(64, 48, 3, 5, 0);
  const Bytes whole = EncodeWhole(picture, 0, true);
  Writer writer(picture, 100000);
  writer.UseClass(0);
  writer.props.work->progressive = true;
  writer.props.work->interruptRequest = 1;
  EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);
  EXPECT_EQ(writer.props.work->interruptRequest, 0);
  EXPECT_EQ(writer.Output(), whole);
}

TEST(WriteBehaviour, ShortFileWriteIsAFileError) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const TestPicture picture = MakePicture(200, 120, 3, 9, 0);
  for (bool progressive : {false, true}) {
    Writer writer(picture, 0);
    writer.props.work->progressive = progressive;
    writer.props.jpegFileName = "/dev/full";
    EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_FILE), JPEG_FILE_ERROR);
  }
}

TEST(WriteBehaviour, BufferMustExceedTheStreamByOneByteInEveryClass) {
  const TestPicture picture = MakePicture(37, 29, 3, 4, 1);
  constexpr std::size_t kCanary = 32;
  for (bool progressive : {false, true}) {
    for (int processorClass = 0; processorClass <= 6; ++processorClass) {
      // Classes 3 to 6 compute their own DCT: each is held to its own stream.
      const Bytes whole = EncodeWhole(picture, processorClass, progressive);
      const std::size_t exact = whole.size();
      for (std::size_t size = exact - 16; size <= exact + 1; ++size) {
        Writer writer(picture, size, kCanary);
        writer.UseClass(processorClass);
        writer.props.work->progressive = progressive;
        const JPEG_STATUS status = jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER);
        if (size <= exact) {
          EXPECT_EQ(status, JPEG_OUTPUT_TOO_SMALL)
              << "size " << size << " class " << processorClass << " progressive " << progressive;
        } else {
          EXPECT_EQ(status, JPEG_SUCCESS);
          EXPECT_EQ(writer.Output(), whole);
        }
        for (std::size_t i = size; i < size + kCanary; ++i) {
          ASSERT_EQ(writer.buffer[i], 0xCD) << "written past the end, size " << size;
        }
      }
    }
  }
}

TEST(WriteBehaviour, BottomUpPictureGivesTheTopDownStream) {
  for (int width : {1, 17, 33}) {
    const TestPicture picture = MakePicture(width, 17, 3, 21, 2);
    const TestPicture flipped = FlipRows(picture);
    EncodeRequest topDown;
    topDown.picture = &picture;
    EncodeRequest bottomUp = topDown;
    bottomUp.picture = &flipped;
    bottomUp.bottomUp = true;
    const EncodeResult a = Encode(topDown), b = Encode(bottomUp);
    ASSERT_EQ(a.status, JPEG_SUCCESS);
    EXPECT_EQ(a.bytes, b.bytes) << "width " << width;
  }
}

TEST(WriteBehaviour, HeaderOnlyAndAbbreviatedDataWrites) {
  const TestPicture picture = MakePicture(24, 24, 3, 8, 0);
  Writer writer(picture, 100000);
  ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_HEADER_BUFFER), JPEG_SUCCESS);
  const Bytes header = writer.Output();
  const auto headerSegments = HeaderSegments(header);
  ASSERT_EQ(headerSegments.size(), 7u);  // SOI APP0 COM DQT DQT DHT EOI
  EXPECT_EQ(headerSegments.back().marker, 0xD9);

  writer.props.jpegBufferSize = static_cast<std::uint32_t>(writer.buffer.size());
  ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_DATA_BUFFER), JPEG_SUCCESS);
  const Bytes data = writer.Output();
  const auto dataSegments = HeaderSegments(data);
  ASSERT_EQ(dataSegments.size(), 3u);  // SOI SOF0 SOS
  EXPECT_EQ(dataSegments[1].marker, 0xC0);

  // Tables, then the abbreviated image, decode as one stream.
  Bytes joined(header.begin(), header.end() - 2);
  joined.insert(joined.end(), data.begin() + 2, data.end());
  const Decoded decoded = DecodeWithReference(joined);
  ASSERT_TRUE(decoded.ok) << decoded.messages;
  EXPECT_GT(Psnr(decoded.samples, RgbSamples(picture, JPEG_COLOR_BGR)), 30.0);
}

TEST(WriteBehaviour, ProgressiveHeaderOnlyAndAbbreviatedDataWrites) {
  const TestPicture picture = MakePicture(40, 24, 3, 8, 0);
  Writer writer(picture, 100000);
  writer.props.work->progressive = true;
  ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_HEADER_BUFFER), JPEG_SUCCESS);
  const Bytes header = writer.Output();
  std::vector<int> markers;
  for (const Segment& segment : StreamSegments(header)) markers.push_back(segment.marker);
  EXPECT_EQ(markers, (std::vector<int>{0xD8, 0xE0, 0xFE, 0xDB, 0xDB, 0xD9}));  // tables come per scan

  writer.props.jpegBufferSize = static_cast<std::uint32_t>(writer.buffer.size());
  ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_DATA_BUFFER), JPEG_SUCCESS);
  const Bytes data = writer.Output();
  markers.clear();
  for (const Segment& segment : StreamSegments(data)) markers.push_back(segment.marker);
  ASSERT_GE(markers.size(), 3u);
  EXPECT_EQ(markers[0], 0xD8);
  EXPECT_EQ(markers[1], 0xC2);  // one SOI, then the frame: no APP, COM or DQT
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xD8), 1);
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xDB), 0);

  // Tables, then the abbreviated image, give the whole-image stream's picture.
  Bytes joined(header.begin(), header.end() - 2);
  joined.insert(joined.end(), data.begin() + 2, data.end());
  const Decoded decoded = DecodeWithReference(joined);
  ASSERT_TRUE(decoded.ok) << decoded.messages;
  EXPECT_EQ(decoded.messages, "");
  const Decoded whole = DecodeWithReference(EncodeWhole(picture, writer.props.work->processorClass, true));
  EXPECT_EQ(decoded.samples, whole.samples);
}

// Whether this process holds the file open, by its open descriptors.
bool HeldOpen(const std::string& path) {
  const std::filesystem::path file = std::filesystem::canonical(path);
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(fd.path(), error) == file) return true;
  }
  return false;
}

TEST(WriteBehaviour, FreeReleasesAnInterruptedFileWrite) {
  const TestPicture picture = MakePicture(64, 64, 3, 8, 0);
  const ScopedTempDir scratch("jpeglib_write_");
  const std::string name = scratch.HostPath("interrupted.jpg");
  {
    Writer writer(picture, 0);
    writer.props.jpegFileName = name.c_str();
    writer.props.work->interruptRequest = 1;
    ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_FILE), JPEG_INTERRUPT_SUCCESS);
    EXPECT_TRUE(HeldOpen(name));  // the write waits to be resumed
    EXPECT_EQ(jpegFree(&writer.props), JPEG_SUCCESS);
    EXPECT_EQ(writer.props.work, nullptr);
    EXPECT_FALSE(HeldOpen(name));
  }
}

// Each case changes one thing of a valid mode-9 call.
struct BadCall {
  const char* name;
  void (*change)(JPEG_PROPERTIES&, int& mode);
  JPEG_STATUS expected;
};

const BadCall kBadCalls[] = {
    {"no pixels", [](JPEG_PROPERTIES& p, int&) { p.imagePixels = nullptr; }, JPEG_INVALID_PROPERTIES},
    {"width 0", [](JPEG_PROPERTIES& p, int&) { p.imageWidth = p.jpegWidth = 0; }, JPEG_INVALID_PROPERTIES},
    {"width 65536", [](JPEG_PROPERTIES& p, int&) { p.imageWidth = p.jpegWidth = 65536; }, JPEG_INVALID_PROPERTIES},
    {"height 0", [](JPEG_PROPERTIES& p, int&) { p.imageHeight = 0; }, JPEG_INVALID_PROPERTIES},
    {"height -65536", [](JPEG_PROPERTIES& p, int&) { p.imageHeight = -65536; }, JPEG_INVALID_PROPERTIES},
    {"jpeg wider than picture", [](JPEG_PROPERTIES& p, int&) { p.jpegWidth += 1; }, JPEG_INVALID_PROPERTIES},
    {"jpeg taller than picture", [](JPEG_PROPERTIES& p, int&) { p.jpegHeight += 16; }, JPEG_INVALID_PROPERTIES},
    {"jpeg height 0", [](JPEG_PROPERTIES& p, int&) { p.jpegHeight = 0; }, JPEG_INVALID_PROPERTIES},
    {"negative padding", [](JPEG_PROPERTIES& p, int&) { p.imageRowPadding = -1; }, JPEG_INVALID_PROPERTIES},
    {"channels 0", [](JPEG_PROPERTIES& p, int&) { p.imageChannels = 0; }, JPEG_INVALID_PROPERTIES},
    {"channels 256", [](JPEG_PROPERTIES& p, int&) { p.imageChannels = 256; }, JPEG_INVALID_PROPERTIES},
    {"image sampling 1", [](JPEG_PROPERTIES& p, int&) { p.imageSampling = 1; }, JPEG_UNSUPPORTED_SUBSAMPLING},
    {"packed BGR", [](JPEG_PROPERTIES& p, int&) { p.imageSampling = 2; }, JPEG_UNSUPPORTED_SUBSAMPLING},
    {"sampling before buffer rule",
     [](JPEG_PROPERTIES& p, int&) {
       p.imageSampling = 1;
       p.jpegBuffer = nullptr;
     },
     JPEG_UNSUPPORTED_SUBSAMPLING},
    {"no buffer", [](JPEG_PROPERTIES& p, int&) { p.jpegBuffer = nullptr; }, JPEG_INVALID_PROPERTIES},
    {"buffer size 0", [](JPEG_PROPERTIES& p, int&) { p.jpegBufferSize = 0; }, JPEG_INVALID_PROPERTIES},
    {"jpeg channels 0", [](JPEG_PROPERTIES& p, int&) { p.jpegChannels = 0; }, JPEG_INVALID_PROPERTIES},
    {"jpeg channels 257", [](JPEG_PROPERTIES& p, int&) { p.jpegChannels = 257; }, JPEG_INVALID_PROPERTIES},
    {"3 channels sampling 3", [](JPEG_PROPERTIES& p, int&) { p.jpegSampling = 3; }, JPEG_UNSUPPORTED_SUBSAMPLING},
    {"grey sampling 1",
     [](JPEG_PROPERTIES& p, int&) {
       p.jpegChannels = 1;
       p.jpegColor = JPEG_COLOR_GRAY;
     },
     JPEG_UNSUPPORTED_SUBSAMPLING},
    {"BGR to YCbCrA", [](JPEG_PROPERTIES& p, int&) {
       p.jpegChannels = 4;
       p.jpegColor = JPEG_COLOR_YCBCRA;
       p.jpegSampling = 0;
     },
     JPEG_INVALID_PROPERTIES},
    {"YCbCr to grey",
     [](JPEG_PROPERTIES& p, int&) {
       p.imageColor = JPEG_COLOR_YCBCR;
       p.jpegChannels = 1;
       p.jpegColor = JPEG_COLOR_GRAY;
       p.jpegSampling = 0;
     },
     JPEG_INVALID_PROPERTIES},
    {"five components",
     [](JPEG_PROPERTIES& p, int&) {
       p.imageColor = p.jpegColor = JPEG_COLOR_OTHER;
       p.jpegChannels = 5;
       p.imageChannels = 5;
       p.jpegSampling = 0;
     },
     JPEG_ERROR_COMP},
    {"dct method 2", [](JPEG_PROPERTIES& p, int&) { p.work->dctMethod = 2; }, JPEG_INVALID_PROPERTIES},
    {"mode 22", [](JPEG_PROPERTIES&, int& mode) { mode = 22; }, JPEG_INVALID_PROPERTIES},
    {"mode -1", [](JPEG_PROPERTIES&, int& mode) { mode = -1; }, JPEG_INVALID_PROPERTIES},
    {"read mode", [](JPEG_PROPERTIES&, int& mode) { mode = JPEG_READ_IMAGE_BUFFER; }, JPEG_INVALID_PROPERTIES},
    {"file mode without name", [](JPEG_PROPERTIES&, int& mode) { mode = JPEG_WRITE_IMAGE_FILE; },
     JPEG_INVALID_PROPERTIES},
    {"unopenable file",
     [](JPEG_PROPERTIES& p, int& mode) {
       mode = JPEG_WRITE_IMAGE_FILE;
       p.jpegFileName = "no_such_folder_here\\out.jpg";
     },
     JPEG_INVALID_FILE_NAME},
    {"keep state that was never filled", [](JPEG_PROPERTIES& p, int&) { p.keepWorkingState = 1; },
     JPEG_INVALID_PROPERTIES},
};

TEST(WriteBehaviour, BadCallsAreRefusedWithTheirStatus) {
  const TestPicture picture = MakePicture(20, 20, 3, 1, 0);
  for (const BadCall& bad : kBadCalls) {
    Writer writer(picture, 100000, 16);
    int mode = JPEG_WRITE_IMAGE_BUFFER;
    bad.change(writer.props, mode);
    EXPECT_EQ(jpegWrite(&writer.props, mode), bad.expected) << bad.name;
    for (std::size_t i = 0; i < writer.buffer.size(); ++i) {
      ASSERT_EQ(writer.buffer[i], 0xCD) << bad.name << ": output written before refusal";
    }
  }
}

}  // namespace

namespace {

std::string SelectorsFor(int imageColor, int jpegColor, int sampling, int convertColor) {
  const TestPicture picture = MakePicture(16, 16, 3, 2, 0);
  Writer writer(picture, 100000);
  writer.props.imageColor = imageColor;
  writer.props.jpegColor = jpegColor;
  writer.props.jpegSampling = sampling;
  writer.props.convertColor = convertColor;
  EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);
  return QuantSelectorsOf(writer.Output());
}

TEST(WriteBehaviour, ChromaQuantTableChoice) {
  // Subsampled layouts follow the caller's convertColor; 4:4:4 follows the
  // colour conversion and otherwise keeps the components' earlier tables.
  EXPECT_EQ(SelectorsFor(JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, JPEG_SAMPLING_420, 1), "0,1,1");
  EXPECT_EQ(SelectorsFor(JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, JPEG_SAMPLING_420, 0), "0,0,0");
  EXPECT_EQ(SelectorsFor(JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, JPEG_SAMPLING_444, 0), "0,1,1");
  EXPECT_EQ(SelectorsFor(JPEG_COLOR_BGR, JPEG_COLOR_RGB, JPEG_SAMPLING_444, 1), "0,1,1");
}

TEST(WriteBehaviour, FailedResumeAbandonsThePendingWrite) {
  const TestPicture picture = MakePicture(64, 32, 3, 8, 0);
  const Bytes whole = EncodeWhole(picture, 0);
  Writer writer(picture, 100000);
  writer.UseClass(0);
  writer.props.work->interruptRequest = 1;
  ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_INTERRUPT_SUCCESS);
  EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_HEADER_BUFFER), JPEG_INVALID_PROPERTIES);
  EXPECT_EQ(writer.props.work->scan, nullptr);
  // The next write starts a fresh image.
  writer.props.jpegBufferSize = static_cast<std::uint32_t>(writer.buffer.size());
  ASSERT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);
  EXPECT_EQ(writer.Output(), whole);
}

}  // namespace
