#include "engine/pictures/rbp_loader.h"

#include <cstring>
#include <string>

#include "common/sjis_string.h"
#include "engine/archive/archive_reader.h"
#include "engine/runtime/file_helpers.h"
#include "common/byte_order.h"
#include "engine/pictures/rbp_format.h"
#include "engine/pictures/rbp_jbp.h"
#include "host/memory/memory_api.h"

alignas(4) std::uint8_t gPictureReadBuffer[kPictureReadBufferSize];

namespace {

constexpr char kRbpExtension[] = ".rbp";
constexpr std::size_t kRbpExtensionLength = sizeof(kRbpExtension) - 1;

bool EndsWithBackslash(const char* path) {
  const char* last = StrFindLast(path, '\\');
  return last != nullptr && last[1] == '\0';
}

// Bytes the kind's data needs from the start of the file, 0 for a kind with
// no data of its own.
std::uint64_t RequiredFileSize(const RbpHeader& header) {
  const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
  const std::uint64_t offset = header.dataOffset;
  switch (header.kind) {
    case kRbpKindRgb565Alpha: return offset + pixels * 3;
    case kRbpKindRgb565: return offset + pixels * 2;
    case kRbpKindGrey: return offset + pixels;
    case kRbpKindPalette: return kRbpIndexOffset + pixels;
    case kRbpKindJbp: return offset + header.recordLength;
    case kRbpKindJbpAlpha: return offset + header.recordLength + header.packedAlphaLength;
    default: return 0;
  }
}

bool IsKnownKind(std::uint32_t kind) {
  switch (kind) {
    case kRbpKindRgb565Alpha:
    case kRbpKindRgb565:
    case kRbpKindJbp:
    case kRbpKindJbpAlpha:
    case kRbpKindPalette:
    case kRbpKindGrey: return true;
    default: return false;
  }
}

}  // namespace

int NormalisePictureName(const char* name, char (&out)[kPictureNameSize]) {
  out[0] = '\0';
  if (name == nullptr) return 0;
  const std::size_t length = StrLength(name);
  const char* dot = StrFindLast(name, '.');
  const bool keep = dot != nullptr && StrEqualNoCase(dot, kRbpExtension);
  const std::size_t baseLength = keep || dot == nullptr ? length : static_cast<std::size_t>(dot - name);
  const std::size_t total = keep ? length : baseLength + kRbpExtensionLength;
  if (total >= kPictureNameSize) return 0;
  std::memcpy(out, name, baseLength);
  if (keep) {
    out[baseLength] = '\0';
  } else {
    std::memcpy(out + baseLength, kRbpExtension, kRbpExtensionLength + 1);
  }
  return 1;
}

std::uint8_t* ReadPictureFile(const char* folder, const char* name, CArchiveReader* archive, int* outShared,
                              std::uint32_t* outSize) {
  *outShared = 0;
  *outSize = 0;
  if (folder == nullptr || name == nullptr) return nullptr;
  if (EndsWithBackslash(folder)) {
    const std::string path = std::string(folder) + name;
    return static_cast<std::uint8_t*>(ReadWholeFile(path.c_str(), outSize, 0));
  }
  if (archive == nullptr) return nullptr;
  return static_cast<std::uint8_t*>(
      archive->ReadEntryInto(folder, name, outSize, gPictureReadBuffer, kPictureReadBufferSize, outShared));
}

int CImage::LoadRbp(const char* pictureName, const char* folder, int parts, CArchiveReader* archive, int* outA,
                    int* outB) {
  char normalised[kPictureNameSize];
  if (!NormalisePictureName(pictureName, normalised)) return 0;
  Free();
  std::memcpy(name, normalised, kPictureNameSize);

  int shared = 0;
  std::uint32_t size = 0;
  std::uint8_t* file = ReadPictureFile(folder, normalised, archive, &shared, &size);
  if (file == nullptr) return 0;
  bool keepFile = false;
  const int loaded = DecodeRbpImage(file, size, shared, outA, outB, keepFile);
  if (!keepFile && !shared) LocalFree(file);
  if (!loaded) return 0;
  flags = parts ? kPictureFlagPartsSheet : 0;
  return 1;
}

int CImage::DecodeRbpImage(std::uint8_t* file, std::uint32_t size, int shared, int* outA, int* outB,
                           bool& keepFile) {
  RbpHeader header;
  if (!ReadRbpHeader(file, size, header)) return 0;
  width = header.width;
  height = header.height;
  designWidth = header.designWidth;
  designHeight = header.designHeight;
  if (outA != nullptr) *outA = header.handedBackA;
  if (outB != nullptr) *outB = header.handedBackB;
  if (!IsKnownKind(header.kind)) return 1;

  if (header.width == 0 || header.height == 0 || header.width > kRbpMaxSide || header.height > kRbpMaxSide) return 0;
  if (RequiredFileSize(header) > size) return 0;
  const std::size_t count = std::size_t{header.width} * header.height;
  const std::uint8_t* data = file + header.dataOffset;

  switch (header.kind) {
    case kRbpKindRgb565Alpha: {
      if (!AllocatePixels(count)) return 0;
      if (!AllocateAlpha(count)) {
        Free();
        return 0;
      }
      const bool plainAlpha = header.variant == kRbpVariantPlainAlpha;
      std::uint16_t* out = GetPixels();
      for (std::size_t i = 0; i < count; ++i, data += 3) {
        out[i] = ReadLe16(data);
        alphaPlane[i] = plainAlpha ? data[2] : static_cast<std::uint8_t>(data[2] >> 2);
      }
      pixelKind = kPixelKindRgb565Alpha;
      return 1;
    }
    case kRbpKindRgb565: {
      if (!AllocatePixels(count)) return 0;
      std::uint16_t* out = GetPixels();
      for (std::size_t i = 0; i < count; ++i) out[i] = ReadLe16(data + 2 * i);
      pixelKind = kPixelKindRgb565;
      return 1;
    }
    case kRbpKindGrey: {
      if (!AllocatePixels(count)) return 0;
      std::uint16_t* out = GetPixels();
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t g = data[i];
        out[i] = static_cast<std::uint16_t>(((g & 0xF8) << 8) | ((g & 0xFC) << 3) | (g >> 3));
      }
      pixelKind = kPixelKindRgb565;
      return 1;
    }
    case kRbpKindPalette: {
      std::uint8_t* image = file;
      if (shared) {
        // The shared buffer is overwritten by the next load.
        image = static_cast<std::uint8_t*>(LocalAlloc(LMEM_FIXED, size));
        if (image == nullptr) return 0;
        std::memcpy(image, file, size);
      }
      keepFile = !shared;
      ownedBlock = image;
      palette = image + kRbpPaletteOffset;
      pixels = image + kRbpIndexOffset;
      pixelKind = kPixelKindPalette;
      return 1;
    }
    case kRbpKindJbp:
    case kRbpKindJbpAlpha: {
      if (header.kind == kRbpKindJbpAlpha && !AllocateAlpha(count)) return 0;
      std::uint16_t* decoded = DecodeRbpJbpRecord(data, header.recordLength, header.width, header.height);
      if (decoded == nullptr) {
        Free();
        return 0;
      }
      TakePixels(decoded);
      if (header.kind == kRbpKindJbp) {
        pixelKind = kPixelKindRgb565;
        return 1;
      }
      const std::uint8_t* packed = data + header.recordLength;
      if (CArchiveReader::UnpackLzss(alphaPlane, packed, static_cast<std::uint32_t>(count),
                                     header.packedAlphaLength) != count) {
        Free();
        return 0;
      }
      for (std::size_t i = 0; i < count; ++i) alphaPlane[i] >>= 2;
      pixelKind = kPixelKindRgb565Alpha;
      return 1;
    }
    default: return 1;
  }
}
