#include "converter/jbp1/frame_coder.h"

#include "common/jbp1_format.h"
#include "common/zigzag.h"
#include "jpeglib/jpeg_api.h"

namespace reelpack {

namespace {

// Room for the markers and tables the library writes ahead of the scan data,
// so that even the smallest picture codes.
constexpr std::size_t kJpegHeaderRoom = 2048;

// The reader's quantised blocks as the record's 16-bit values; false when
// one does not fit.
bool QuantisedBlocks(const CJpegCoefDecoder& decoder, std::vector<std::int16_t>& quantised) {
  quantised.resize(decoder.BlockCount() * 64);
  const std::int32_t* values = decoder.Block(0);
  for (std::size_t i = 0; i < quantised.size(); ++i) {
    if (values[i] < INT16_MIN || values[i] > INT16_MAX) return false;
    quantised[i] = static_cast<std::int16_t>(values[i]);
  }
  return true;
}

// The low bytes of a zigzag-ordered table in natural order; false when an
// entry is 0 or does not fit a byte.
template <typename Entry>
bool NaturalTable(const Entry* zigzag, std::uint8_t natural[64]) {
  for (int k = 0; k < 64; ++k) {
    if (zigzag[k] == 0 || zigzag[k] > 255) return false;
    natural[kZigzagToNatural[k]] = static_cast<std::uint8_t>(zigzag[k]);
  }
  return true;
}

std::size_t MacroblockCount(const BmpInfo& info) {
  return static_cast<std::size_t>((info.width + 15) / 16) * static_cast<std::size_t>((info.height + 15) / 16);
}

// The JPEG was written as one 4:2:0 scan over the image, luma with table 0.
bool IsFrameJpeg(const CJpegCoefDecoder& decoder, const BmpInfo& info) {
  const std::vector<JpegScanLayout>& layout = decoder.ScanLayout();
  return decoder.Width() == static_cast<std::uint32_t>(info.width) &&
         decoder.Height() == static_cast<std::uint32_t>(info.height) && layout.size() == 3 &&
         layout[0].horizontal == 2 && layout[0].vertical == 2 && layout[0].quantTable == 0 &&
         layout[1].horizontal == 1 && layout[1].vertical == 1 && layout[1].quantTable == 1 &&
         layout[2].horizontal == 1 && layout[2].vertical == 1 && layout[2].quantTable == 1 &&
         decoder.BlockCount() == MacroblockCount(info) * kJbpBlocksPerMacroblock;
}

// The fields of a write of the image as baseline 4:2:0 JPEG at quality.
void SetFrameJpegFields(std::span<const std::uint8_t> image, const BmpInfo& info, int quality,
                        JPEG_PROPERTIES& props) {
  // The library only reads the pixels.
  props.imagePixels = const_cast<std::uint8_t*>(image.data() + kBmpHeaderBytes);
  props.imageWidth = info.width;
  props.imageHeight = info.height;
  props.imageRowPadding = static_cast<std::int32_t>(info.rowBytes) - 3 * info.width;
  props.imageChannels = 3;
  props.imageColor = JPEG_COLOR_BGR;
  props.jpegWidth = info.width;
  props.jpegHeight = info.height;
  props.jpegChannels = 3;
  props.jpegColor = JPEG_COLOR_YCBCR;
  props.jpegSampling = JPEG_SAMPLING_420;
  props.quality = quality;
}

std::size_t JpegRoomBytes(const BmpInfo& info) {
  return 3 * static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height) + kJpegHeaderRoom;
}

// A bound of the scan bits of the JPEG of the record's coefficients, if
// every value surely has a code there (|AC| < 1,024, and |DC| < 1,024 so that
// DC steps stay under 2,048): no JPEG code passes 16 bits, so an AC
// coefficient takes at most 26 bits, and a block's DC (27), end of block (16)
// and up to three runs of 16 zeros (48) fit in 96 more.
std::optional<std::uint64_t> ScanBitsBound(const JbpRecordWorkspace& coded, std::size_t blockCount) {
  constexpr int kLargestSureCategory = 10;
  if (coded.largestCategory > kLargestSureCategory) return std::nullopt;
  return 26 * static_cast<std::uint64_t>(coded.acCoefficients) + 96 * static_cast<std::uint64_t>(blockCount);
}

bool IsCodableImage(const std::optional<BmpInfo>& info, int quality) {
  return info && info->bitsPerPixel == kBmpBitsPerPixel && info->width <= kJbpMaxDimension &&
         info->height <= kJbpMaxDimension && quality >= 1 && quality <= 100;
}

}  // namespace

bool EncodeDibToJpeg(std::span<const std::uint8_t> image, int quality, std::vector<std::uint8_t>& jpeg) {
  jpeg.clear();
  const std::size_t written = EncodeDibToJpegRoom(image, quality, jpeg);
  jpeg.resize(written);
  return written != 0;
}

std::size_t EncodeDibToJpegRoom(std::span<const std::uint8_t> image, int quality, std::vector<std::uint8_t>& room) {
  const std::optional<BmpInfo> info = ReadBmpInfo(image);
  if (!info || info->bitsPerPixel != kBmpBitsPerPixel || quality < 1 || quality > 100) return 0;
  const std::size_t roomBytes = JpegRoomBytes(*info);
  // Only a larger room is cleared: the library writes before it reads.
  if (room.size() < roomBytes) room.resize(roomBytes);
  JPEG_PROPERTIES props{};
  JPEG_STATUS status = jpegInit(&props);
  if (status == JPEG_SUCCESS) {
    SetFrameJpegFields(image, *info, quality, props);
    props.jpegBuffer = room.data();
    props.jpegBufferSize = static_cast<std::uint32_t>(roomBytes);
    status = jpegWrite(&props, JPEG_WRITE_IMAGE_BUFFER);
  }
  const std::uint32_t written = props.jpegBufferSize;
  props.jpegBuffer = nullptr;
  jpegFree(&props);
  return status == JPEG_SUCCESS ? written : 0;
}

void CFrameCoder::JpegRelease::operator()(JPEG_PROPERTIES* props) const {
  jpegFree(props);
  delete props;
}

CFrameCoder::CFrameCoder() : jpegLibrary_(new JPEG_PROPERTIES{}) {
  decoder_.KeepQuantised(true);
  // Without the library every picture goes through the JPEG way.
  if (jpegInit(jpegLibrary_.get()) != JPEG_SUCCESS) jpegLibrary_.reset();
}

FrameCodeStatus CFrameCoder::TakePicture(std::span<const std::uint8_t> image) {
  pictureTaken_ = pictureTransformed_ = false;
  const std::optional<BmpInfo> info = ReadBmpInfo(image);
  if (!IsCodableImage(info, 100)) return FrameCodeStatus::kFailed;
  picture_ = image;
  pictureTaken_ = true;
  if (!jpegLibrary_) return FrameCodeStatus::kCoded;

  const std::size_t blocks = MacroblockCount(*info) * kJbpBlocksPerMacroblock;
  if (transformed_.size() < blocks * 64) transformed_.resize(blocks * 64);
  if (quantised_.size() < blocks * 64) quantised_.resize(blocks * 64);
  jpegHeader_.resize(kJpegHeaderRoom);
  JPEG_PROPERTIES& props = *jpegLibrary_;
  SetFrameJpegFields(image, *info, 100, props);
  props.jpegBuffer = jpegHeader_.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(jpegHeader_.size());
  std::uint32_t blockCount = 0;
  pictureTransformed_ =
      jpegTransformImage(&props, transformed_.data(), static_cast<std::uint32_t>(blocks), &blockCount) ==
          JPEG_SUCCESS &&
      blockCount == blocks;
  transformedBlocks_ = blocks;
  props.jpegBuffer = nullptr;
  jpegHeaderBytes_ = props.jpegBufferSize;
  jpegRoomBytes_ = JpegRoomBytes(*info);
  return FrameCodeStatus::kCoded;
}

FrameCodeStatus CFrameCoder::CodeTakenPicture(int quality, std::vector<std::uint8_t>& record) {
  record.clear();
  if (!pictureTaken_ || quality < 1 || quality > 100) return FrameCodeStatus::kFailed;
  if (!pictureTransformed_) return BuildPictureRecordFromJpeg(picture_, quality, record);
  std::uint16_t tables[2][64];
  if (jpegQuantizeImage(jpegLibrary_.get(), quality, transformed_.data(), quantised_.data(), tables) !=
      JPEG_SUCCESS) {
    return BuildPictureRecordFromJpeg(picture_, quality, record);
  }
  std::uint8_t luma[64];
  std::uint8_t chroma[64];
  const bool written = NaturalTable(tables[0], luma) && NaturalTable(tables[1], chroma) &&
                       WriteRecord(*ReadBmpInfo(picture_), quality, quantised_.data(), luma, chroma, record) ==
                           FrameCodeStatus::kCoded;

  // The JPEG the library would write: headers, the scan data (one to two
  // bytes for each eight bits, as 0xFF bytes are stuffed) and EOI; it must
  // stay under its room, else the JPEG is refused before the record counts.
  // A bound from the record settles that for most pictures; else the bits
  // are counted (a value without a code fails the library's write as it does
  // here), and only where that leaves it open is the JPEG written.
  constexpr std::size_t kEndMarkerBytes = 2;
  const auto mostBytes = [&](std::uint64_t bits) {
    return jpegHeaderBytes_ + 2 * static_cast<std::size_t>((bits + 7) / 8) + kEndMarkerBytes;
  };
  const std::optional<std::uint64_t> bound = written ? ScanBitsBound(recordLists_, transformedBlocks_) : std::nullopt;
  if (!bound || mostBytes(*bound) >= jpegRoomBytes_) {
    std::uint64_t scanBits = 0;
    if (jpegCountScanBits(jpegLibrary_.get(), quantised_.data(), &scanBits) != JPEG_SUCCESS ||
        jpegHeaderBytes_ + static_cast<std::size_t>((scanBits + 7) / 8) + kEndMarkerBytes > jpegRoomBytes_) {
      record.clear();
      return FrameCodeStatus::kNoJpeg;
    }
    if (mostBytes(scanBits) >= jpegRoomBytes_) return BuildPictureRecordFromJpeg(picture_, quality, record);
  }
  return written ? FrameCodeStatus::kCoded : FrameCodeStatus::kFailed;
}

FrameCodeStatus CFrameCoder::BuildPictureRecord(std::span<const std::uint8_t> image, int quality,
                                                std::vector<std::uint8_t>& record) {
  record.clear();
  if (!IsCodableImage(ReadBmpInfo(image), quality)) return FrameCodeStatus::kFailed;
  const FrameCodeStatus taken = TakePicture(image);
  return taken == FrameCodeStatus::kCoded ? CodeTakenPicture(quality, record) : taken;
}

FrameCodeStatus CFrameCoder::BuildPictureRecordFromJpeg(std::span<const std::uint8_t> image, int quality,
                                                        std::vector<std::uint8_t>& record) {
  record.clear();
  const std::optional<BmpInfo> info = ReadBmpInfo(image);
  if (!IsCodableImage(info, quality)) return FrameCodeStatus::kFailed;
  const std::size_t jpegBytes = EncodeDibToJpegRoom(image, quality, jpeg_);
  if (jpegBytes == 0) return FrameCodeStatus::kNoJpeg;

  CByteSource source;
  source.OpenMemory(jpeg_.data(), jpegBytes);
  const bool decoded = decoder_.Decode(source);
  source.Close();
  std::uint8_t luma[64];
  std::uint8_t chroma[64];
  if (!decoded || !IsFrameJpeg(decoder_, *info) || !NaturalTable(decoder_.QuantTable(0), luma) ||
      !NaturalTable(decoder_.QuantTable(1), chroma) || !QuantisedBlocks(decoder_, quantised_)) {
    return FrameCodeStatus::kFailed;
  }
  return WriteRecord(*info, quality, quantised_.data(), luma, chroma, record);
}

FrameCodeStatus CFrameCoder::WriteRecord(const BmpInfo& info, int quality, const std::int16_t* blocks,
                                         const std::uint8_t luma[64], const std::uint8_t chroma[64],
                                         std::vector<std::uint8_t>& record) {
  JbpPictureSource picture;
  picture.width = info.width;
  picture.height = info.height;
  picture.quality = quality;
  picture.blocks = blocks;
  picture.lumaQuantiser = luma;
  picture.chromaQuantiser = chroma;
  return WriteJbpRecord(picture, record, recordLists_) ? FrameCodeStatus::kCoded : FrameCodeStatus::kFailed;
}

}  // namespace reelpack
