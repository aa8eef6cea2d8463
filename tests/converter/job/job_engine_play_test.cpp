// Each source fixture converted with the default settings, then opened by
// the engine's movie reader and every frame decoded by its movie decoder:
// the frame count and rate, and frame i showing source frame i x step +
// step - 1, measured against an independent decode of the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "converter/jbp1/frame_scaler.h"
#include "converter/job/movie_frame_coding.h"
#include "converter/job/movie_frame_plan.h"
#include "engine/movie/movie_read_ahead.h"
#include "host/files/file_api.h"
#include "tests/converter/job/job_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"

using reelpack::MovieFrameGeometry;
using reelpack::VideoPassStatus;

namespace job_test {
namespace {

// A plane of width x height values brought to outWidth x outHeight by the
// exact area average: each output value the mean of the source under its
// footprint, weighted by how much of each value it covers.
std::vector<double> AreaAverage(const std::vector<double>& plane, int width, int height, int outWidth, int outHeight) {
  // Weights of the source values under output value `o` along one side.
  auto footprint = [](int o, int in, int out, int p) {
    const double from = static_cast<double>(o) * in / out;
    const double to = static_cast<double>(o + 1) * in / out;
    return std::max(0.0, std::min<double>(to, p + 1) - std::max<double>(from, p));
  };
  std::vector<double> across(static_cast<std::size_t>(outWidth) * height, 0.0);
  for (int y = 0; y < height; ++y) {
    for (int ox = 0; ox < outWidth; ++ox) {
      double sum = 0;
      for (int x = ox * width / outWidth; x < width && x <= (ox + 1) * width / outWidth; ++x) {
        sum += footprint(ox, width, outWidth, x) * plane[static_cast<std::size_t>(y) * width + x];
      }
      across[static_cast<std::size_t>(y) * outWidth + ox] = sum * outWidth / width;
    }
  }
  std::vector<double> out(static_cast<std::size_t>(outWidth) * outHeight, 0.0);
  for (int oy = 0; oy < outHeight; ++oy) {
    for (int y = oy * height / outHeight; y < height && y <= (oy + 1) * height / outHeight; ++y) {
      const double weight = footprint(oy, height, outHeight, y) * outHeight / height;
      for (int ox = 0; ox < outWidth; ++ox) {
        out[static_cast<std::size_t>(oy) * outWidth + ox] += weight * across[static_cast<std::size_t>(y) * outWidth + ox];
      }
    }
  }
  return out;
}

// One channel (0 blue, 1 green, 2 red) of a BGR24 picture, or its luma (3).
std::vector<double> Plane(const std::uint8_t* bgr, std::size_t pixels, int channel) {
  std::vector<double> plane(pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    plane[i] = channel < 3 ? bgr[3 * i + channel]
                           : 0.114 * bgr[3 * i] + 0.587 * bgr[3 * i + 1] + 0.299 * bgr[3 * i + 2];
  }
  return plane;
}

// Luma of a BGR24 picture brought to outWidth x outHeight by the area
// average.
std::vector<double> AreaLuma(const std::uint8_t* bgr, int width, int height, int outWidth, int outHeight) {
  return AreaAverage(Plane(bgr, static_cast<std::size_t>(width) * height, 3), width, height, outWidth, outHeight);
}

double Luma565(std::uint16_t pixel) {
  const int red = (pixel >> 11) & 0x1F;
  const int green = (pixel >> 5) & 0x3F;
  const int blue = pixel & 0x1F;
  return 0.299 * (red << 3 | red >> 2) + 0.587 * (green << 2 | green >> 4) + 0.114 * (blue << 3 | blue >> 2);
}

// PSNR of the movie area of a decoded frame against a reference picture of
// the picture's size. The stored frame is turned: its row i is the box's
// column boxWidth - 1 - i, read from the top down.
double PicturePsnrDb(const DecodedFrame& frame, const MovieFrameGeometry& geometry, const std::vector<double>& reference) {
  double squares = 0;
  for (int row = 0; row < geometry.pictureHeight; ++row) {
    for (int column = 0; column < geometry.pictureWidth; ++column) {
      const int boxColumn = geometry.pictureLeft + column;
      const double movie = Luma565(frame.At(static_cast<std::uint32_t>(row),
                                            static_cast<std::uint32_t>(geometry.boxWidth - 1 - boxColumn)));
      const double error = movie - reference[static_cast<std::size_t>(row) * geometry.pictureWidth + column];
      squares += error * error;
    }
  }
  const double mse = squares / (static_cast<double>(geometry.pictureWidth) * geometry.pictureHeight);
  return 10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9));
}

// The source frame area averaged to the picture's size, rounded to bytes:
// blue, green, red rows without padding.
std::vector<std::uint8_t> AreaBgr(const std::uint8_t* bgr, int width, int height, const MovieFrameGeometry& geometry) {
  const std::size_t pixels = static_cast<std::size_t>(geometry.pictureWidth) * geometry.pictureHeight;
  std::vector<std::uint8_t> out(3 * pixels);
  for (int c = 0; c < 3; ++c) {
    const std::vector<double> channel = AreaAverage(Plane(bgr, static_cast<std::size_t>(width) * height, c), width,
                                                    height, geometry.pictureWidth, geometry.pictureHeight);
    for (std::size_t i = 0; i < pixels; ++i) {
      out[3 * i + c] = static_cast<std::uint8_t>(std::lround(std::clamp(channel[i], 0.0, 255.0)));
    }
  }
  return out;
}

// The frame road's own scaling of the source frame: blue, green, red rows
// without padding, top first.
std::vector<std::uint8_t> RoadScaledBgr(const std::uint8_t* bgr, int width, int height,
                                        const MovieFrameGeometry& geometry) {
  reelpack::BmpImage image;
  reelpack::BmpFromDecodedRows(bgr, static_cast<std::uint32_t>(3 * width), width, height, image);
  const auto scaled = reelpack::ScaleFrame(image, geometry.pictureWidth, geometry.pictureHeight);
  std::vector<std::uint8_t> out;
  if (!scaled) return out;
  const std::size_t rowBytes = reelpack::BmpRowBytes(geometry.pictureWidth);
  for (int row = 0; row < geometry.pictureHeight; ++row) {
    const std::uint8_t* in = scaled->data() + reelpack::kBmpHeaderBytes + row * rowBytes;
    out.insert(out.end(), in, in + 3 * geometry.pictureWidth);
  }
  return out;
}

// What libjpeg-turbo reaches on a picture of the movie's picture size (blue,
// green, red rows): coded at `quality` with 4:2:0 sampling, decoded, cut to
// RGB565; the PSNR of its luma against the reference. Negative when a tool
// fails.
double LibjpegTurboPsnrDb(const std::vector<std::uint8_t>& picture, const MovieFrameGeometry& geometry, int quality,
                          const std::vector<double>& reference, const ScopedTempDir& dir) {
  const std::size_t pixels = static_cast<std::size_t>(geometry.pictureWidth) * geometry.pictureHeight;
  if (picture.size() != 3 * pixels) return -1;
  std::string ppm = "P6\n" + std::to_string(geometry.pictureWidth) + " " + std::to_string(geometry.pictureHeight) +
                    "\n255\n";
  for (std::size_t i = 0; i < pixels; ++i) {
    for (const int c : {2, 1, 0}) ppm += static_cast<char>(picture[3 * i + c]);
  }
  const std::string scratch = dir.HostPath("peer");
  dir.WriteFile("peer.ppm", ppm);
  if (!pcm_signal::Run("cjpeg -quality " + std::to_string(quality) + " -sample 2x2,1x1,1x1 -outfile '" + scratch +
                       ".jpg' '" + scratch + ".ppm' && djpeg -pnm -outfile '" + scratch + ".out.ppm' '" + scratch +
                       ".jpg'")) {
    return -1;
  }
  const std::vector<std::uint8_t> decoded = ReadFileBytes(scratch + ".out.ppm");
  if (decoded.size() < 3 * pixels) return -1;
  const std::uint8_t* rgb = decoded.data() + decoded.size() - 3 * pixels;
  double squares = 0;
  for (std::size_t i = 0; i < pixels; ++i) {
    const auto pixel = static_cast<std::uint16_t>((rgb[3 * i] >> 3) << 11 | (rgb[3 * i + 1] >> 2) << 5 | rgb[3 * i + 2] >> 3);
    const double error = Luma565(pixel) - reference[i];
    squares += error * error;
  }
  return 10 * std::log10(255.0 * 255.0 / std::max(squares / static_cast<double>(pixels), 1e-9));
}

using JobEnginePlay = JobTest;

TEST_F(JobEnginePlay, EveryFixturePlaysAndShowsTheLastFrameOfEachGroup) {
  for (const SourceFixture& fixture : SourceFixtures()) {
    SCOPED_TRACE(fixture.name);
    const std::string input = FixturePath(fixture.name);
    ASSERT_FALSE(input.empty());
    auto job = Job(input, true);
    job->m_threads = 0;
    job->Run();
    ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;

    // The independent decode: every source frame in display order.
    const std::string raw = dir_.HostPath(std::string(fixture.name) + ".bgr");
    ASSERT_TRUE(pcm_signal::Run("ffmpeg -nostdin -hide_banner -loglevel error -y -i '" + input +
                                "' -fps_mode passthrough -f rawvideo -pix_fmt bgr24 '" + raw + "'"));
    const std::vector<std::uint8_t> source = ReadFileBytes(raw);
    const std::size_t frameBytes = static_cast<std::size_t>(fixture.width) * fixture.height * 3;
    const std::uint32_t sourceFrames = static_cast<std::uint32_t>(source.size() / frameBytes);
    constexpr std::uint32_t kStep = 2;  // every fixture runs at 14 frames per second or more

    CMovieReadAhead reader;
    const std::string movie = Out(std::string(fixture.name) + ".rzm2");
    ASSERT_EQ(reader.Open(HostWideFromUtf8(movie).c_str(), 65536), 1);
    const Rzm2Header& header = reader.Header();
    EXPECT_EQ(header.frameCount, sourceFrames / kStep);
    const std::vector<std::uint8_t> bytes = ReadFileBytes(movie);
    EXPECT_EQ(header.timeBase, Word(bytes, 0x10));
    EXPECT_EQ(static_cast<double>(header.rateNumerator) / header.timeBase, job->m_outputFps.load());
    const MovieFrameGeometry geometry = reelpack::FitMovieFrame(0, fixture.width, fixture.height);
    EXPECT_EQ(header.storedWidth, static_cast<std::uint32_t>(geometry.boxHeight));
    EXPECT_EQ(header.storedHeight, static_cast<std::uint32_t>(geometry.boxWidth));
    const bool shrunk = geometry.pictureWidth < fixture.width;

    reader.Start();
    for (std::uint32_t i = 0; i < header.frameCount; ++i) {
      SCOPED_TRACE(i);
      std::uint32_t size = 0;
      const std::uint8_t* record = reader.GetFrame(i, &size);
      ASSERT_NE(record, nullptr);
      const DecodedFrame frame = DecodeRecord({record, record + size});
      ASSERT_EQ(frame.width, header.storedWidth);
      ASSERT_EQ(frame.height, header.storedHeight);
      if (i % 9 != 4 || i + 1 == header.frameCount) continue;
      const std::uint32_t shown = i * kStep + kStep - 1;
      double psnr[3];
      for (int d = -1; d <= 1; ++d) {
        psnr[d + 1] = PicturePsnrDb(frame, geometry,
                                    AreaLuma(source.data() + (shown + d) * frameBytes, fixture.width, fixture.height,
                                             geometry.pictureWidth, geometry.pictureHeight));
      }
      std::printf("%s frame %u (source %u): %.2f dB; neighbours %.2f, %.2f dB\n", fixture.name, i, shown, psnr[1],
                  psnr[0], psnr[2]);
      EXPECT_GT(psnr[1], psnr[0]);
      EXPECT_GT(psnr[1], psnr[2]);
      if (shrunk) {
        EXPECT_GE(psnr[1], 30.0);
        // Within 1.5 dB of libjpeg-turbo at the record's quality, given the
        // picture the frame road scaled; beside it, for the record, what it
        // reaches from the exact area average.
        const int quality = static_cast<int>(Word(std::vector<std::uint8_t>(record, record + 0x10), 0x0C));
        const std::uint8_t* sourceFrame = source.data() + shown * frameBytes;
        const std::vector<double> reference =
            AreaLuma(sourceFrame, fixture.width, fixture.height, geometry.pictureWidth, geometry.pictureHeight);
        const double peer = LibjpegTurboPsnrDb(RoadScaledBgr(sourceFrame, fixture.width, fixture.height, geometry),
                                               geometry, quality, reference, dir_);
        const double peerExact = LibjpegTurboPsnrDb(AreaBgr(sourceFrame, fixture.width, fixture.height, geometry),
                                                    geometry, quality, reference, dir_);
        std::printf("%s frame %u: quality %d, ours %.2f dB, libjpeg-turbo %.2f dB (%+.2f) on the road's scaling, "
                    "%.2f dB (%+.2f) on the exact area average\n",
                    fixture.name, i, quality, psnr[1], peer, psnr[1] - peer, peerExact, psnr[1] - peerExact);
        EXPECT_GT(peer, 0.0);
        EXPECT_GT(peerExact, 0.0);
        EXPECT_GE(psnr[1], peer - 1.5);
      }
    }
    reader.Close();
  }
}

}  // namespace
}  // namespace job_test
