// Entropy-coded input: decoding tables, byte loading with 0xFF handling and
// symbol decoding.
#include <cstring>

#include "host/files/file_api.h"
#include "jpeglib/jpeg_decode_kernels.h"

namespace {

// Every fast look-ahead that starts with this code.
void fillFastLook(JpegHuffmanDecodeTable& table, int code, int length, std::uint8_t symbol) {
  const int shift = kJpegFastLookBits - length;
  const int size = symbol & 15;
  for (int fill = 0; fill < (1 << shift); ++fill) {
    std::uint32_t entry = static_cast<std::uint32_t>(symbol) << 8 | static_cast<std::uint32_t>(length) << 16;
    if (size != 0 && size <= shift) {
      const int value = jpegExtendReceived(fill >> (shift - size), size);
      entry |= static_cast<std::uint32_t>(length + size) | static_cast<std::uint32_t>(value) << 20;
    }
    table.fastLook[(code << shift) | fill] = entry;
  }
}

}  // namespace

JPEG_STATUS jpegBuildDecodeTable(const std::uint8_t counts[16], const std::uint8_t* values,
                                 JpegHuffmanDecodeTable& table) {
  int total = 0;
  for (int i = 0; i < 16; ++i) total += counts[i];
  if (total > 256) return JPEG_BAD_HUFFMAN_TABLE;
  std::memset(&table, 0, sizeof table);
  std::int32_t code = 0;
  int index = 0;
  for (int length = 1; length <= 16; ++length) {
    const int count = counts[length - 1];
    table.firstIndex[length] = index;
    table.minCode[length] = code;
    table.maxCode[length] = count == 0 ? -1 : code + count - 1;
    for (int n = 0; n < count; ++n, ++index, ++code) {
      if (code >= (1 << length)) return JPEG_BAD_HUFFMAN_TABLE;
      if (length <= 8) {
        // Every 8-bit look-ahead that starts with this code.
        const int shift = 8 - length;
        for (int fill = 0; fill < (1 << shift); ++fill) {
          table.lookLength[(code << shift) | fill] = static_cast<std::uint8_t>(length);
          table.lookSymbol[(code << shift) | fill] = values[index];
        }
      }
      if (length <= kJpegFastLookBits) fillFastLook(table, code, length, values[index]);
    }
    code <<= 1;
  }
  std::memcpy(table.values, values, static_cast<std::size_t>(total));
  return JPEG_SUCCESS;
}

void inputBeginBuffer(JpegInputStream& in, const std::uint8_t* data, std::size_t size) {
  in.bits = 0;
  in.bitCount = 0;
  in.position = data;
  in.bytesLeft = size;
  in.bytesConsumed = 0;
  in.marker = 0;
  in.atEnd = false;
  in.file = nullptr;
}

void inputBeginFile(JpegInputStream& in, HANDLE file) {
  inputBeginBuffer(in, nullptr, 0);
  in.file = file;
}

int inputNextByte(JpegInputStream& in, std::uint8_t& byte) {
  if (in.bytesLeft == 0) {
    in.atEnd = in.file == nullptr;
    if (in.atEnd) return 0;
    DWORD read = 0;
    // A failed read is never retried; the file's end is the data's end.
    if (!ReadFile(in.file, in.staging, kJpegInputStagingSize, &read, nullptr)) return JPEG_FILE_ERROR;
    in.atEnd = read == 0;
    if (in.atEnd) return 0;
    in.position = in.staging;
    in.bytesLeft = read;
  }
  byte = *in.position++;
  --in.bytesLeft;
  ++in.bytesConsumed;
  return 1;
}

namespace {

void pushByte(JpegInputStream& in, std::uint8_t byte) {
  in.bits |= static_cast<std::uint64_t>(byte) << (56 - in.bitCount);
  in.bitCount += 8;
}

}  // namespace

JPEG_STATUS fillBits(JpegInputStream& in, int n) {
  if (in.bitCount >= n) return JPEG_SUCCESS;
  // Plain data bytes straight from the window, up to 56 bits held.
  while (in.bitCount <= 48 && in.bytesLeft != 0 && *in.position != 0xFF && in.marker == 0) {
    pushByte(in, *in.position++);
    --in.bytesLeft;
    ++in.bytesConsumed;
  }
  // Past a 0xFF or the window's end only for bits still wanted, so a
  // marker, the data's end and a file read are met where the data need
  // them, however many bits a reader keeps at hand.
  while (in.bitCount < n && in.marker == 0) {
    std::uint8_t byte = 0;
    int got = inputNextByte(in, byte);
    if (got < 0) return got;
    if (got == 0) break;
    if (byte == 0xFF) {
      std::uint8_t next = 0xFF;
      while (next == 0xFF) {
        got = inputNextByte(in, next);
        if (got < 0) return got;
        if (got == 0) return JPEG_DATA_ERROR;
      }
      if (next != 0x00) {
        in.marker = next;
        break;
      }
    }
    pushByte(in, byte);
  }
  return in.bitCount >= n ? JPEG_SUCCESS : kJpegBitsExhausted;
}

std::uint32_t getBits(JpegInputStream& in, int n) {
  const auto value = static_cast<std::uint32_t>(in.bits >> (64 - n));
  in.bits <<= n;
  in.bitCount -= n;
  return value;
}

int decodeSymbol(JpegInputStream& in, const JpegHuffmanDecodeTable& table) {
  const JPEG_STATUS status = fillBits(in, 16);
  if (status < 0) return status;
  int length = 1;
  if (in.bitCount >= 8) {
    const auto peek = static_cast<std::uint8_t>(in.bits >> 56);
    if (table.lookLength[peek] != 0) {
      getBits(in, table.lookLength[peek]);
      return table.lookSymbol[peek];
    }
    length = 9;
  }
  for (; length <= 16; ++length) {
    if (in.bitCount < length) return -kJpegBitsExhausted;
    const auto code = static_cast<std::int32_t>(in.bits >> (64 - length));
    if (code <= table.maxCode[length]) {
      getBits(in, length);
      return table.values[table.firstIndex[length] + code - table.minCode[length]];
    }
  }
  // No code of 16 bits or fewer matches.
  getBits(in, 16);
  return 0;
}
