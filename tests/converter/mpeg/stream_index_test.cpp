#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "converter/mpeg/mpeg_stream_index.h"
#include "mpeg_test_writer.h"
#include "tests/support/file_bytes.h"

using reelpack::MPEG_BIT_STREAM;
using reelpack::MPEG_GOP_ENTRY;
using reelpack::MPEG_PICTURE_HEADER;
using reelpack::MPEG_SEQUENCE_HEADER;
using reelpack::MPEG_STREAM_INDEX;
using reelpack::MPEG_TIME_CODE;
using reelpack::bitsGet;
using reelpack::bitsNextStartCode;
using reelpack::bitsOpenStream;
using reelpack::bitsSeek;
using reelpack::bitsTell;
using reelpack::countFrames;
using reelpack::findLastGop;
using reelpack::indexCreate;
using reelpack::indexFree;
using reelpack::kFramePicture;
using reelpack::kGroupStartCode;
using reelpack::kPictureStartCode;
using reelpack::kSequenceEndCode;
using reelpack::kSequenceHeaderCode;
using reelpack::parsePictureHeader;
using reelpack::parseSequenceHeader;
using reelpack::timeCodeToFrame;

namespace {

// A system stream file opened the way the video decoder opens it: the first
// sequence header and picture header read, then the index made.
class IndexedStream {
 public:
  explicit IndexedStream(const Bytes& file) : file_(file) {}
  explicit IndexedStream(const std::string& existing) : path_(existing) {}
  ~IndexedStream() { indexFree(index); }

  bool open() {
    const char* path = path_.empty() ? file_.path() : path_.c_str();
    if (!bitsOpenStream(path, stream)) return false;
    int firstTopFieldFirst = -1;
    while (firstTopFieldFirst < 0 && bitsNextStartCode(stream)) {
      const std::uint32_t code = bitsGet(stream, 32);
      if (code == kSequenceHeaderCode) {
        if (!parseSequenceHeader(stream, sequence)) return false;
        progressive = sequence.progressive_sequence;
      } else if (code == kPictureStartCode) {
        MPEG_PICTURE_HEADER picture;
        parsePictureHeader(stream, progressive, picture);
        firstTopFieldFirst = picture.top_field_first;
      }
    }
    if (firstTopFieldFirst < 0) return false;
    bitsSeek(stream, 0, 0);
    index = indexCreate(stream, sequence, &progressive, firstTopFieldFirst);
    return index != nullptr;
  }

  MPEG_GOP_ENTRY scanAt(std::int64_t position) {
    bitsSeek(stream, position, 0);
    MPEG_GOP_ENTRY entry;
    scanGop(*index, entry);
    return entry;
  }

  MPEG_GOP_ENTRY seek(int frame) {
    MPEG_GOP_ENTRY entry;
    seekByFrame(&entry, index, frame);
    return entry;
  }

  MPEG_BIT_STREAM stream;
  MPEG_SEQUENCE_HEADER sequence = {};
  int progressive = 1;
  MPEG_STREAM_INDEX* index = nullptr;

 private:
  TempFile file_{Bytes{}};
  std::string path_;
};

TimeCode tc(int seconds, int pictures, int minutes = 0, int drop = 0) {
  TimeCode t;
  t.seconds = seconds;
  t.pictures = pictures;
  t.minutes = minutes;
  t.drop = drop;
  return t;
}

TEST(MpegStreamIndex, TimeCodeToFrame) {
  struct Case {
    MPEG_TIME_CODE timeCode;
    int fps;
    int frame;
  };
  const Case cases[] = {
      {{1, 0, 1, 1, 0, 2}, 30, 1800},    // 00:01:00;02 drop frame
      {{1, 0, 10, 1, 0, 0}, 30, 17982},  // 00:10:00;00 drop frame
      {{1, 0, 0, 1, 59, 29}, 30, 1799},
      {{0, 0, 1, 1, 0, 2}, 30, 1802},
      {{0, 1, 2, 1, 3, 4}, 25, 25 * 3723 + 4},
      {{0, 0, 0, 1, 0, 0}, 24, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(timeCodeToFrame(c.timeCode, c.fps), c.frame);
}

TEST(MpegStreamIndex, ScanGopStates) {
  struct Case {
    const char* what;
    std::vector<GopSpec> gops;
    bool terminated;
    int count;  // 0 for a failed scan
    int firstFrame;
  };
  const Case cases[] = {
      {"closed GOPs", {{"IBBPBBP", tc(0, 0), 1}, {"IP", tc(0, 7), 1}}, true, 7, 0},
      {"next GOP's leading B pictures", {{"IPBBPBB", tc(0, 0), 1}, {"IBBPBB", tc(0, 7), 0}}, true, 9, 0},
      {"leading B pictures not counted after a broken link",
       {{"IPBBPBB", tc(0, 0), 1}, {"IBBPBB", tc(0, 7), 0, 1}},
       true,
       7,
       0},
      {"second I picture", {{"IPIP", tc(0, 0), 1}, {"IP", tc(0, 4), 1}}, true, 0, 0},
      {"GOP without pictures", {{"", tc(0, 0), 1}, {"IP", tc(0, 0), 1}}, true, 0, 0},
      {"time codes disagree", {{"IPPP", tc(0, 0), 1}, {"IP", tc(0, 5), 1}}, true, 0, 0},
      {"first picture not I", {{"PBB", tc(0, 0), 1}}, true, 0, 0},
      {"terminated single GOP", {{"IBBPBBP", tc(0, 0), 1}}, true, 7, 0},
      {"unterminated: every picture counts", {{"IBBPBBP", tc(0, 0), 1}}, false, 7, 0},
      {"unterminated lone I picture", {{"I", tc(0, 0), 1}}, false, 1, 0},
      {"unterminated, next GOP a lone I picture", {{"IPBBPBB", tc(0, 0), 1}, {"I", tc(0, 7), 0}}, false, 7, 0},
      {"open GOP at the end, next GOP cut short", {{"IPBB", tc(0, 0), 1}, {"IBB", tc(0, 4), 0}}, true, 6, 0},
  };
  for (const Case& c : cases) {
    IndexedStream s(muxVideo(writeHeaderOnlyStream(c.gops, 3, c.terminated), 40).bytes);
    if (!s.open()) {
      EXPECT_EQ(c.count, 0) << c.what;
      continue;
    }
    MPEG_GOP_ENTRY entry = s.scanAt(0);
    EXPECT_EQ(entry.count, c.count) << c.what;
    EXPECT_EQ(entry.firstFrame, c.firstFrame) << c.what;
  }
  // The second GOP after a broken link: its I picture is its first frame.
  IndexedStream s(muxVideo(writeHeaderOnlyStream({{"IPBBPBB", tc(0, 0), 1}, {"IBBPBB", tc(0, 7), 0, 1}}, 3, true), 40).bytes);
  ASSERT_TRUE(s.open());
  EXPECT_EQ(countFrames(*s.index), 11);
  const MPEG_GOP_ENTRY second = s.seek(7);
  EXPECT_GT(second.position, s.seek(6).position);
  EXPECT_EQ(second.firstFrame, 7);
  EXPECT_EQ(second.count, 4);
}

// Ten GOPs of mixed length and kind; every frame maps to the GOP holding it,
// whether GOPs span many packets or many GOPs share one.
std::vector<GopSpec> mixedGops(int startSeconds, std::vector<int>* gopStarts) {
  const char* shapes[] = {"IBBPBBP", "IPPBPB", "IBBPBB", "IP", "IBPBPBPBP"};
  std::vector<GopSpec> gops;
  int frame = 0;
  for (int g = 0; g < 10; ++g) {
    GopSpec gop;
    gop.pictures = shapes[g % 5];
    gop.closed = 1;
    gop.timeCode = tc(startSeconds + frame / 25, frame % 25);
    gops.push_back(gop);
    gopStarts->push_back(frame);
    frame += static_cast<int>(gop.pictures.size());
  }
  gopStarts->push_back(frame);
  return gops;
}

TEST(MpegStreamIndex, CountAndSeekOverSyntheticStreams) {
  for (int payload : {30, 2000}) {
    std::vector<int> starts;
    IndexedStream s(muxVideo(writeHeaderOnlyStream(mixedGops(10, &starts), 3, true), payload).bytes);
    ASSERT_TRUE(s.open());
    const int total = starts.back();
    EXPECT_EQ(countFrames(*s.index), total) << payload;
    EXPECT_EQ(s.index->frameOffset, 250);  // the first time code is 00:00:10:00
    for (int frame = 0; frame < total; ++frame) {
      const MPEG_GOP_ENTRY e = s.seek(frame);
      const int g = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), frame) - starts.begin()) - 1;
      ASSERT_EQ(e.firstFrame, starts[g]) << "frame " << frame << " payload " << payload;
      ASSERT_EQ(e.count, starts[g + 1] - starts[g]);
    }
    for (int frame : {total, total + 5, -1}) EXPECT_EQ(s.seek(frame).count, 0);
    // The whole stream fits in the first window: found, but reported as 0.
    EXPECT_EQ(findLastGop(s.stream), 0);
    EXPECT_EQ(s.scanAt(bitsTell(s.stream)).firstFrame, starts[9]);
  }
}

TEST(MpegStreamIndex, SingleGopAndInvalidIndex) {
  {
    IndexedStream s(muxVideo(writeHeaderOnlyStream({{"IBBPBBP", tc(3, 0), 1}}, 3, false), 100).bytes);
    ASSERT_TRUE(s.open());
    EXPECT_EQ(countFrames(*s.index), 7);
  }
  // Time codes that jump backward half-way do not make an index.
  std::vector<int> starts;
  std::vector<GopSpec> gops = mixedGops(0, &starts);
  for (std::size_t g = 5; g < gops.size(); ++g) gops[g].timeCode.seconds = 0;
  IndexedStream s(muxVideo(writeHeaderOnlyStream(gops, 3, true), 40).bytes);
  ASSERT_TRUE(s.open());
  EXPECT_EQ(countFrames(*s.index), -1);
}

TEST(MpegStreamIndex, PulledDownPicturesCountTwice) {
  BitWriter w;
  writeSequenceHeader(w, 720, 480, 4);
  writeSequenceExtension(w, 0);
  writeGopHeader(w, tc(0, 0), 1, 0);
  const int flags[4][3] = {{1, 1, 1}, {2, 0, 0}, {2, 0, 1}, {2, 1, 0}};  // type, tff, rff
  for (const auto& f : flags) {
    writePictureHeader(w, f[0]);
    writePictureCodingExtension(w, kFramePicture, f[1], f[2]);
    writeSlice(w);
  }
  w.startCode(kSequenceEndCode);
  IndexedStream s(muxVideo(w.data(), 64).bytes);
  ASSERT_TRUE(s.open());
  EXPECT_EQ(s.scanAt(0).count, 5);
}

TEST(MpegStreamIndex, FieldPicturesNeedTheirSecondField) {
  for (bool paired : {true, false}) {
    BitWriter w;
    writeSequenceHeader(w, 720, 480, 3);
    writeSequenceExtension(w, 0);
    writeGopHeader(w, tc(0, 0), 1, 0);
    writePictureHeader(w, 1);
    writePictureCodingExtension(w, 1, 1, 0);  // top field
    writeSlice(w);
    writePictureHeader(w, 1);
    writePictureCodingExtension(w, paired ? 2 : kFramePicture, 1, 0);
    writeSlice(w);
    writePictureHeader(w, 2);
    writePictureCodingExtension(w, kFramePicture, 1, 0);
    writeSlice(w);
    w.startCode(kSequenceEndCode);
    IndexedStream s(muxVideo(w.data(), 64).bytes);
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.scanAt(0).count, paired ? 2 : 0);
  }
}

// The last GOP lies more than 128 KiB before the end: the window grows.
TEST(MpegStreamIndex, FindsALastGopFarFromTheEnd) {
  BitWriter w;
  for (int g = 0; g < 3; ++g) {
    writeSequenceHeader(w, 64, 48, 3);
    writeGopHeader(w, tc(0, 2 * g), 1, 0);
    writePictureHeader(w, 1);
    writeSlice(w, 150000);
    writePictureHeader(w, 2);
    writeSlice(w, g == 2 ? 300000 : 100);
  }
  w.startCode(kSequenceEndCode);
  const MuxedStream muxed = muxVideo(w.data(), 4000);
  IndexedStream s(muxed.bytes);
  ASSERT_TRUE(s.open());
  EXPECT_EQ(findLastGop(s.stream), 1);
  const std::int64_t lastGop = bitsTell(s.stream);
  EXPECT_EQ(bitsGet(s.stream, 32), kGroupStartCode);
  EXPECT_LT(lastGop, s.stream.streamEnd - 131072);
  EXPECT_EQ(countFrames(*s.index), 6);
  EXPECT_EQ(s.seek(5).firstFrame, 4);
}

// Streams without an end code, as encoders write them: every picture whose
// header is in the stream counts, and a group the stream cuts before its
// first picture is passed over.
TEST(MpegStreamIndex, UnterminatedAndCutStreamsKeepEveryPicture) {
  struct Case {
    const char* what;
    std::vector<GopSpec> gops;
    int cutBytes;  // bytes cut from the end of the elementary stream
    int total;
    int lastGopFirstFrame;
  };
  // A slice is a 4-byte start code and 8 bytes of body; a GOP header with
  // its sequence header before it takes 20 bytes.
  const Case cases[] = {
      {"last group a lone I picture",
       {{"IPBBPBB", tc(0, 0), 1}, {"IPBBPBB", tc(0, 7), 1}, {"I", tc(0, 14), 1}},
       0,
       15,
       14},
      {"open groups, last a lone I picture",
       {{"IPBBPBB", tc(0, 0), 1}, {"IPBB", tc(0, 7), 0}, {"I", tc(0, 11), 0}},
       0,
       12,
       11},
      {"cut after the last B picture's header",
       {{"IPBBPBB", tc(0, 0), 1}, {"IPBBPBB", tc(0, 7), 1}},
       12,
       14,
       7},
      {"cut right after the last GOP header",
       {{"IPBBPBB", tc(0, 0), 1}, {"IPBBPBB", tc(0, 7), 1}, {"I", tc(0, 14), 1}},
       16,
       14,
       7},
  };
  for (const Case& c : cases) {
    Bytes es = writeHeaderOnlyStream(c.gops, 3, false);
    es.resize(es.size() - c.cutBytes);
    IndexedStream s(muxVideo(es, 40).bytes);
    ASSERT_TRUE(s.open()) << c.what;
    EXPECT_EQ(countFrames(*s.index), c.total) << c.what;
    // The last frame, a reference picture in a cut stream, can be fetched.
    const MPEG_GOP_ENTRY last = s.seek(c.total - 1);
    EXPECT_EQ(last.firstFrame, c.lastGopFirstFrame) << c.what;
    EXPECT_EQ(last.firstFrame + last.count, c.total) << c.what;
  }
}

std::string fixture(const std::string& name) { return std::string(NOVEL_TEST_DATA_DIR) + "/mpeg_stream/" + name; }

// Real encoder streams against the pictures ffprobe decodes from them.
TEST(MpegStreamIndex, RealStreamsAgreeWithTheDecoderOracle) {
  int streams = 0;
  for (const auto& item : std::filesystem::directory_iterator(fixture(""))) {
    if (item.path().extension() != ".mpg") continue;
    ++streams;
    const std::string name = item.path().stem().string();
    std::ifstream in(fixture(name + ".frames"));
    std::string types;
    std::getline(in, types);
    ASSERT_FALSE(types.empty()) << name;
    IndexedStream s(item.path().string());
    ASSERT_TRUE(s.open()) << name;
    const int total = countFrames(*s.index);
    EXPECT_EQ(total, static_cast<int>(types.size())) << name;
    for (int frame = 0; frame < total; ++frame) {
      const int gopStart = static_cast<int>(types.rfind('I', frame));
      const MPEG_GOP_ENTRY e = s.seek(frame);
      ASSERT_EQ(e.firstFrame, gopStart) << name << " frame " << frame;
      ASSERT_GT(e.firstFrame + e.count, frame);
    }
    EXPECT_EQ(s.seek(total).count, 0);
  }
  EXPECT_GE(streams, 10);
}

// A partial download: every cut that holds the first picture header opens
// with at most the whole file's frames, up to the last of them reachable.
TEST(MpegStreamIndex, CutFilesOpenWithThePicturesTheyHold) {
  const Bytes original = ReadFileBytes(fixture("ffmux_24_6s.mpg"));
  ASSERT_FALSE(original.empty());
  IndexedStream whole(fixture("ffmux_24_6s.mpg"));
  ASSERT_TRUE(whole.open());
  const int wholeTotal = countFrames(*whole.index);
  ASSERT_EQ(wholeTotal, 144);
  int opened = 0;
  for (std::size_t cut = 41; cut < original.size(); cut += 41) {
    IndexedStream s(Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(cut)));
    if (!s.open()) continue;
    ++opened;
    const int total = countFrames(*s.index);
    ASSERT_GT(total, 0) << "cut at " << cut;
    ASSERT_LE(total, wholeTotal) << "cut at " << cut;
    for (int frame : {0, total / 3, 2 * total / 3, total - 1}) {
      ASSERT_GT(s.seek(frame).count, 0) << "cut at " << cut << " frame " << frame;
    }
  }
  EXPECT_GT(opened, 100);
}

// Damaged and cut streams: any result, but no crash and no hang.
TEST(MpegStreamIndex, SurvivesCorruptedStreams) {
  const Bytes original = ReadFileBytes(fixture("s64x48_ntsc_df_end.mpg"));
  ASSERT_FALSE(original.empty());
  std::mt19937 random(11);
  for (int round = 0; round < 120; ++round) {
    Bytes damaged = original;
    if (round % 3 == 0) damaged.resize(random() % damaged.size());
    const int flips = 1 + static_cast<int>(random() % 20);
    for (int i = 0; i < flips && !damaged.empty(); ++i) {
      damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 3 : random());
    }
    IndexedStream s(damaged);
    if (!s.open()) continue;
    const int total = countFrames(*s.index);
    for (int frame : {0, 5, 33, total - 1, total}) s.seek(frame);
  }
}

}  // namespace
