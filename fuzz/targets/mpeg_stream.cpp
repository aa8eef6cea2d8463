// An MPEG-1 system stream as the converter opens it: each selectable stream
// class read through with seeks from every origin, then the video stream's
// headers parsed and its frame index built, counted and searched.
#include <cstdint>
#include <memory>
#include <vector>

#include "converter/mpeg/mpeg_headers.h"
#include "converter/mpeg/mpeg_stream_index.h"
#include "converter/mpeg/mpeg_system_stream.h"
#include "fuzz/fuzz_input.h"

using namespace reelpack;

namespace {

void ReadStream(const char* path, int kind) {
  STREAM_HANDLE* handle = streamOpen(path, kind);
  if (handle == nullptr) return;
  std::vector<std::uint8_t> bytes(4096);
  while (streamRead(handle, bytes.data(), static_cast<int>(bytes.size())) > 0) {
  }
  const std::int64_t end = streamTell(handle);
  for (int whence : {0, 1, 2}) {
    streamSeek(handle, whence == 0 ? end / 2 : -end / 3, whence);
    streamRead(handle, bytes.data(), static_cast<int>(bytes.size()));
  }
  streamClose(handle);
}

void IndexVideo(const char* path) {
  auto stream = std::make_unique<MPEG_BIT_STREAM>();
  if (!bitsOpenStream(path, *stream)) return;
  MPEG_SEQUENCE_HEADER sequence = {};
  int progressive = 0;
  int firstTopFieldFirst = -1;
  bool sequenceSeen = false;
  while (firstTopFieldFirst < 0 && bitsNextStartCode(*stream)) {
    const std::uint32_t code = bitsGet(*stream, 32);
    if (code == kSequenceHeaderCode) {
      if (!parseSequenceHeader(*stream, sequence)) break;
      progressive = sequence.progressive_sequence;
      sequenceSeen = true;
    } else if (code == kGroupStartCode) {
      MPEG_GOP_HEADER gop;
      parseGopHeader(*stream, gop);
    } else if (code == kPictureStartCode) {
      MPEG_PICTURE_HEADER picture;
      parsePictureHeader(*stream, progressive, picture);
      firstTopFieldFirst = picture.top_field_first;
    }
  }
  if (sequenceSeen && firstTopFieldFirst >= 0) {
    bitsSeek(*stream, 0, 0);
    if (MPEG_STREAM_INDEX* index = indexCreate(*stream, sequence, &progressive, firstTopFieldFirst)) {
      const int total = countFrames(*index);
      MPEG_GOP_ENTRY entry;
      for (int frame : {0, total / 2, total - 1, total, total + 7}) seekByFrame(&entry, index, frame);
      indexFree(index);
    }
  }
  findLastGop(*stream);
  bitsCloseStream(*stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  const std::string path = WriteFuzzFile(data, size, ".mpg");
  for (int kind : {kStreamKindVideo, kStreamKindAudio, kStreamKindPrivate}) ReadStream(path.c_str(), kind);
  IndexVideo(path.c_str());
  return 0;
}
