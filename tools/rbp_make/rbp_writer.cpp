#include "tools/rbp_make/rbp_writer.h"

#include <map>
#include <stdexcept>

#include "engine/pictures/picture_rgb565.h"
#include "engine/pictures/rbp_format.h"
#include "tools/rbp_make/jbp_picture.h"
#include "tools/mlz_pack/lzss_compress.h"

namespace {

std::uint16_t Rgb565At(const SourcePicture& picture, std::size_t i) {
  return PackRgb565(picture.rgba[4 * i], picture.rgba[4 * i + 1], picture.rgba[4 * i + 2]);
}

std::uint8_t GreyAt(const SourcePicture& picture, std::size_t i) {
  const std::uint32_t r = picture.rgba[4 * i], g = picture.rgba[4 * i + 1], b = picture.rgba[4 * i + 2];
  return static_cast<std::uint8_t>((r * 299 + g * 587 + b * 114 + 500) / 1000);
}

std::vector<std::uint8_t> StartFile(const RbpHeader& header, std::size_t dataBytes) {
  std::vector<std::uint8_t> file(header.dataOffset + dataBytes);
  WriteRbpHeader(header, file.data());
  return file;
}

// Palette and indexes of the picture: its own when it came with a palette,
// else its distinct colours in order of first use.
void CollectPalette(const SourcePicture& picture, std::vector<std::array<std::uint8_t, 3>>& palette,
                    std::vector<std::uint8_t>& indexes) {
  if (!picture.palette.empty()) {
    if (picture.palette.size() > 256 || picture.indexes.size() != std::size_t{picture.width} * picture.height)
      throw std::invalid_argument("palette picture data does not match the size");
    palette = picture.palette;
    indexes = picture.indexes;
    return;
  }
  std::map<std::array<std::uint8_t, 3>, std::uint8_t> seen;
  const std::size_t count = std::size_t{picture.width} * picture.height;
  indexes.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::array<std::uint8_t, 3> colour = {picture.rgba[4 * i], picture.rgba[4 * i + 1], picture.rgba[4 * i + 2]};
    auto found = seen.find(colour);
    if (found == seen.end()) {
      if (palette.size() == 256) throw std::invalid_argument("more than 256 colours for a palette picture");
      found = seen.emplace(colour, static_cast<std::uint8_t>(palette.size())).first;
      palette.push_back(colour);
    }
    indexes[i] = found->second;
  }
}

}  // namespace

std::array<std::int16_t, 2> DesignSizeFor(std::uint32_t width, std::uint32_t height, std::uint32_t screenWidth,
                                          std::uint32_t screenHeight) {
  if (screenWidth == 0 || screenHeight == 0) throw std::invalid_argument("screen size must not be 0");
  const std::uint64_t designWidth = std::uint64_t{width} * 800 / screenWidth;
  const std::uint64_t designHeight = std::uint64_t{height} * 600 / screenHeight;
  if (designWidth > 32767 || designHeight > 32767) throw std::invalid_argument("design size out of range");
  return {static_cast<std::int16_t>(designWidth), static_cast<std::int16_t>(designHeight)};
}

std::vector<std::uint8_t> BuildRbpFile(const SourcePicture& picture, const RbpMakeOptions& options) {
  if (picture.width == 0 || picture.height == 0 || picture.width > kRbpMaxSide || picture.height > kRbpMaxSide)
    throw std::invalid_argument("picture size out of range");
  const std::size_t count = std::size_t{picture.width} * picture.height;
  if (picture.rgba.size() != count * 4) throw std::invalid_argument("pixel data does not match the size");

  RbpHeader header;
  header.kind = options.kind;
  header.width = picture.width;
  header.height = picture.height;
  header.designWidth = options.designWidth;
  header.designHeight = options.designHeight;

  switch (options.kind) {
    case kRbpKindRgb565: {
      std::vector<std::uint8_t> file = StartFile(header, count * 2);
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t p = Rgb565At(picture, i);
        file[kRbpHeaderSize + 2 * i] = static_cast<std::uint8_t>(p);
        file[kRbpHeaderSize + 2 * i + 1] = static_cast<std::uint8_t>(p >> 8);
      }
      return file;
    }
    case kRbpKindRgb565Alpha: {
      // Variant "1": the alpha bytes are stored at the engine's 0..63 scale.
      header.variant = kRbpVariantPlainAlpha;
      std::vector<std::uint8_t> file = StartFile(header, count * 3);
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t p = Rgb565At(picture, i);
        std::uint8_t* out = file.data() + kRbpHeaderSize + 3 * i;
        out[0] = static_cast<std::uint8_t>(p);
        out[1] = static_cast<std::uint8_t>(p >> 8);
        out[2] = static_cast<std::uint8_t>(picture.rgba[4 * i + 3] >> 2);
      }
      return file;
    }
    case kRbpKindGrey: {
      std::vector<std::uint8_t> file = StartFile(header, count);
      for (std::size_t i = 0; i < count; ++i) file[kRbpHeaderSize + i] = GreyAt(picture, i);
      return file;
    }
    case kRbpKindPalette: {
      std::vector<std::array<std::uint8_t, 3>> palette;
      std::vector<std::uint8_t> indexes;
      CollectPalette(picture, palette, indexes);
      std::vector<std::uint8_t> file(kRbpIndexOffset + count);
      header.dataOffset = static_cast<std::uint32_t>(kRbpIndexOffset);
      WriteRbpHeader(header, file.data());
      for (std::size_t i = 0; i < palette.size(); ++i) {
        std::uint8_t* entry = file.data() + kRbpPaletteOffset + 4 * i;
        entry[0] = palette[i][2];
        entry[1] = palette[i][1];
        entry[2] = palette[i][0];
      }
      std::copy(indexes.begin(), indexes.end(), file.begin() + kRbpIndexOffset);
      return file;
    }
    case kRbpKindJbp:
      return BuildJbpRbpFile(CodeJbpPictureRecord(picture, options.quality), picture.width, picture.height, nullptr,
                             options.designWidth, options.designHeight);
    case kRbpKindJbpAlpha: {
      std::vector<std::uint8_t> alpha(count);
      for (std::size_t i = 0; i < count; ++i) alpha[i] = picture.rgba[4 * i + 3];
      return BuildJbpRbpFile(CodeJbpPictureRecord(picture, options.quality), picture.width, picture.height,
                             alpha.data(), options.designWidth, options.designHeight);
    }
    default:
      throw std::invalid_argument("unknown picture kind");
  }
}

std::vector<std::uint8_t> BuildJbpRbpFile(const std::vector<std::uint8_t>& record, std::uint32_t width,
                                          std::uint32_t height, const std::uint8_t* alpha, std::int16_t designWidth,
                                          std::int16_t designHeight) {
  RbpHeader header;
  header.kind = alpha != nullptr ? kRbpKindJbpAlpha : kRbpKindJbp;
  header.width = width;
  header.height = height;
  header.designWidth = designWidth;
  header.designHeight = designHeight;
  header.recordLength = static_cast<std::uint32_t>(record.size());
  std::vector<std::uint8_t> packed;
  if (alpha != nullptr) packed = CompressLzss(alpha, std::size_t{width} * height);
  header.packedAlphaLength = static_cast<std::uint32_t>(packed.size());

  std::vector<std::uint8_t> file = StartFile(header, record.size() + packed.size());
  std::copy(record.begin(), record.end(), file.begin() + kRbpHeaderSize);
  std::copy(packed.begin(), packed.end(), file.begin() + kRbpHeaderSize + static_cast<std::ptrdiff_t>(record.size()));
  return file;
}
