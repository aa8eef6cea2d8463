// Caller component planes in place of the picture, in the sequential and
// progressive drivers, and refinement scans whose correction bits outgrow
// one end-of-band run (planes made for it).
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "jpeg_reference_library.h"
#include "jpeg_test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Factors {
  int h;
  int v;
};

// Component planes as the working state reads them: MCUs-per-row x H x 8
// values a row, MCU rows x V x 8 rows.
struct Planes {
  int width = 0;
  int height = 0;
  std::vector<Factors> factors;
  std::vector<std::vector<std::int16_t>> values;
  std::vector<int> rowValues;

  Planes(int w, int h, std::vector<Factors> f, const std::function<int(int c, int x, int y)>& value)
      : width(w), height(h), factors(std::move(f)) {
    int hMax = 1, vMax = 1;
    for (const Factors& factor : factors) {
      hMax = std::max(hMax, factor.h);
      vMax = std::max(vMax, factor.v);
    }
    const int mcusPerRow = (w + 8 * hMax - 1) / (8 * hMax), mcuRows = (h + 8 * vMax - 1) / (8 * vMax);
    for (int c = 0; c < static_cast<int>(factors.size()); ++c) {
      const int columns = mcusPerRow * factors[c].h * 8, rows = mcuRows * factors[c].v * 8;
      rowValues.push_back(columns);
      values.emplace_back();
      for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) values.back().push_back(static_cast<std::int16_t>(value(c, x, y)));
      }
    }
  }

  // Block (bx, by) of component c in natural order.
  std::vector<std::int16_t> Block(int c, int bx, int by) const {
    std::vector<std::int16_t> block;
    for (int y = 0; y < 8; ++y) {
      const auto row = values[c].begin() + (by * 8 + y) * rowValues[c] + bx * 8;
      block.insert(block.end(), row, row + 8);
    }
    return block;
  }
};

// A write of `planes` (no picture) with the JPEG colour and sampling given.
struct PlaneWriter : Writer {
  TestPicture none;
  PlaneWriter(const Planes& planes, int jpegColor, int sampling, bool holdsSamples, std::size_t bufferSize = 1 << 20,
              std::size_t canary = 0)
      : Writer(SizeOnly(planes), bufferSize, canary) {
    const int count = static_cast<int>(planes.values.size());
    props.imageChannels = count;
    props.imageColor = jpegColor;
    props.jpegColor = jpegColor;
    props.jpegChannels = count;
    props.jpegSampling = sampling;
    for (int c = 0; c < count; ++c) props.work->planeSource.planes[c] = planes.values[c].data();
    props.work->planeSource.holdsSamples = holdsSamples;
  }
  static TestPicture SizeOnly(const Planes& planes) {
    TestPicture picture;
    picture.width = planes.width;
    picture.height = planes.height;
    return picture;
  }
};

// Every block a reader finds in each component equals the planes' block.
void ExpectPlaneCoefficients(const Bytes& stream, const Planes& planes, const std::string& label) {
  const ReferenceRead read = ReadCoefficientsWithReference(stream);
  ASSERT_TRUE(read.ok) << label << ": " << read.messages;
  EXPECT_EQ(read.warnings, 0) << label << ": " << read.messages;
  ASSERT_EQ(read.components.size(), planes.values.size());
  for (std::size_t c = 0; c < read.components.size(); ++c) {
    const ReferenceComponent& component = read.components[c];
    for (int by = 0; by < component.heightInBlocks; ++by) {
      for (int bx = 0; bx < component.widthInBlocks; ++bx) {
        const std::size_t at = static_cast<std::size_t>(by * component.widthInBlocks + bx) * 64;
        const std::vector<std::int16_t> read64(component.coefficients.begin() + static_cast<std::ptrdiff_t>(at),
                                               component.coefficients.begin() + static_cast<std::ptrdiff_t>(at + 64));
        ASSERT_EQ(read64, planes.Block(static_cast<int>(c), bx, by))
            << label << " component " << c << " block " << bx << "," << by;
      }
    }
  }
}

Bytes WritePlanes(PlaneWriter& writer, bool progressive, int processorClass) {
  writer.UseClass(processorClass);
  writer.props.work->progressive = progressive;
  EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS);
  return writer.Output();
}

TEST(ComponentPlanes, CoefficientPlanesComeOutUnchangedInBothDrivers) {
  ASSERT_TRUE(ReferenceLibraryLoaded());
  std::mt19937 random(30);
  // Sparse coefficients with a few of the largest a JPEG can carry.
  auto coefficient = [&](int, int x, int y) {
    if (x % 8 == 0 && y % 8 == 0) return static_cast<int>(random() % 1601) - 800;
    const unsigned roll = random() % 100;
    if (roll < 55) return 0;
    if (roll < 57) return roll % 2 ? 1023 : -1023;
    return static_cast<int>(random() % 121) - 60;
  };
  const Planes ycc(41, 23, {{2, 2}, {1, 1}, {1, 1}}, coefficient);
  const Planes grey(41, 23, {{1, 1}}, coefficient);
  for (int processorClass : {0, 6}) {
    for (bool progressive : {false, true}) {
      const std::string label = std::string(progressive ? "progressive" : "baseline") + " class " +
                                std::to_string(processorClass);
      PlaneWriter yccWriter(ycc, JPEG_COLOR_YCBCR, JPEG_SAMPLING_420, false);
      ExpectPlaneCoefficients(WritePlanes(yccWriter, progressive, processorClass), ycc, "YCbCr " + label);
      PlaneWriter greyWriter(grey, JPEG_COLOR_GRAY, JPEG_SAMPLING_444, false);
      ExpectPlaneCoefficients(WritePlanes(greyWriter, progressive, processorClass), grey, "grey " + label);
    }
  }
}

TEST(ComponentPlanes, RefinementWithMoreCorrectionBitsThanOneRunHolds) {
  ASSERT_TRUE(ReferenceLibraryLoaded());
  // Every AC value is at least 4: the grey script's refinement scans find
  // no new coefficient, only 63 correction bits a block, so the held bits
  // pass 937 every 15 blocks of one end-of-band run. A second picture mixes
  // in new coefficients (magnitudes 1 to 3) now and then.
  for (int mixed : {0, 1}) {
    std::mt19937 random(937 + mixed);
    const Planes grey(64, 64, {{1, 1}}, [&](int, int x, int y) {
      if (x % 8 == 0 && y % 8 == 0) return static_cast<int>(random() % 200) - 100;
      const int magnitude = mixed && random() % 50 == 0 ? 1 + static_cast<int>(random() % 3)
                                                        : 4 + static_cast<int>(random() % 60);
      return random() % 2 ? magnitude : -magnitude;
    });
    PlaneWriter writer(grey, JPEG_COLOR_GRAY, JPEG_SAMPLING_444, false);
    ExpectPlaneCoefficients(WritePlanes(writer, true, 0), grey, mixed ? "mixed" : "corrections only");
  }
}

TEST(ComponentPlanes, SamplePlanesGiveTheBytesOfTheSamePicture) {
  const TestPicture picture = MakePicture(17, 9, 3, 12, 0);
  // The picture's samples with its last column and row repeated to the MCU edge.
  const Planes samples(17, 9, {{1, 1}, {1, 1}, {1, 1}}, [&](int c, int x, int y) {
    return picture.at(std::min(x, picture.width - 1), std::min(y, picture.height - 1))[c];
  });
  for (bool progressive : {false, true}) {
    EncodeRequest request;
    request.picture = &picture;
    request.imageColor = JPEG_COLOR_YCBCR;
    request.jpegSampling = JPEG_SAMPLING_444;
    request.progressive = progressive;
    request.processorClass = 0;
    const EncodeResult fromPicture = Encode(request);
    ASSERT_EQ(fromPicture.status, JPEG_SUCCESS);
    PlaneWriter writer(samples, JPEG_COLOR_YCBCR, JPEG_SAMPLING_444, true);
    EXPECT_EQ(WritePlanes(writer, progressive, 0), fromPicture.bytes) << (progressive ? "progressive" : "baseline");
  }
}

TEST(ComponentPlanes, PlaneValuesAJpegCannotCarryAreRefused) {
  struct Case {
    const char* name;
    bool holdsSamples;
    int x, y, value;
  };
  const Case cases[] = {
      {"sample 256", true, 3, 3, 256},     {"sample -1", true, 20, 10, -1},
      {"AC 1024", false, 3, 0, 1024},      {"AC -1024", false, 9, 1, -1024},
      {"DC -1025", false, 8, 8, -1025},    {"DC 1024", false, 0, 0, 1024},
  };
  for (const Case& c : cases) {
    const Planes planes(20, 12, {{1, 1}}, [&](int, int x, int y) { return x == c.x && y == c.y ? c.value : 0; });
    for (bool progressive : {false, true}) {
      PlaneWriter writer(planes, JPEG_COLOR_GRAY, JPEG_SAMPLING_444, c.holdsSamples, 4096, 16);
      writer.props.work->progressive = progressive;
      EXPECT_EQ(jpegWrite(&writer.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_DATA_ERROR) << c.name;
      EXPECT_EQ(writer.buffer, Bytes(4096 + 16, 0xCD)) << c.name << ": written before refusal";
    }
  }
  // The extremes themselves are carried.
  const Planes edge(20, 12, {{1, 1}}, [](int, int x, int y) { return x % 8 == 0 && y % 8 == 0 ? -1024 : 1023; });
  PlaneWriter writer(edge, JPEG_COLOR_GRAY, JPEG_SAMPLING_444, false);
  ExpectPlaneCoefficients(WritePlanes(writer, true, 0), edge, "extremes");
}

}  // namespace
