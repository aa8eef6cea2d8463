// Baseline and progressive block decoding.
#include <cstring>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_tables.h"

namespace {

// Outcome of reading one piece: carry on, end the block quietly, or fail.
enum class Step { Go, End, Fail };

Step classify(int value, JPEG_STATUS& status) {
  if (value == -kJpegBitsExhausted || value == kJpegBitsExhausted) {
    status = JPEG_SUCCESS;
    return Step::End;
  }
  if (value < 0) {
    status = value;
    return Step::Fail;
  }
  return Step::Go;
}

// A decoded symbol: any value from 0 up (0x64 too, whose value is the
// bit reader's "exhausted" status) is a symbol.
Step classifySymbol(int symbol, JPEG_STATUS& status) { return symbol >= 0 ? Step::Go : classify(symbol, status); }

// Receives `size` bits and extends them to a signed value (T.81 F.2.2.1).
Step receiveExtend(JpegInputStream& in, int size, int& value, JPEG_STATUS& status) {
  value = 0;
  if (size == 0) return Step::Go;
  const Step step = classify(fillBits(in, size), status);
  if (step != Step::Go) return step;
  value = jpegExtendReceived(static_cast<int>(getBits(in, size)), size);
  return Step::Go;
}

Step receiveBits(JpegInputStream& in, int size, int& value, JPEG_STATUS& status) {
  const Step step = classify(fillBits(in, size), status);
  if (step == Step::Go) value = static_cast<int>(getBits(in, size));
  return step;
}

Step decodeDc(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, int& diff, JPEG_STATUS& status) {
  const int size = decodeSymbol(in, dc);
  const Step step = classifySymbol(size, status);
  if (step != Step::Go) return step;
  if (size > 16) {
    status = JPEG_DATA_ERROR;
    return Step::Fail;
  }
  return receiveExtend(in, size, diff, status);
}

}  // namespace

JPEG_STATUS decodeBlockFrom(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, const JpegHuffmanDecodeTable& ac,
                            std::int16_t& predictor, std::int16_t block[64], int k, bool keepAc) {
  JPEG_STATUS status = JPEG_SUCCESS;
  if (k == 0) {
    int diff = 0;
    if (decodeDc(in, dc, diff, status) != Step::Go) return status;
    predictor = static_cast<std::int16_t>(predictor + diff);
    block[0] = predictor;
    k = 1;
  }
  for (; k < 64; ++k) {
    const int symbol = decodeSymbol(in, ac);
    if (classifySymbol(symbol, status) != Step::Go) return status;
    const int run = symbol >> 4, size = symbol & 15;
    if (size == 0) {
      if (run != 15) break;
      k += 15;
      continue;
    }
    k += run;  // at most 78: the zigzag table's padding keeps it in the block
    int value = 0;
    if (receiveExtend(in, size, value, status) != Step::Go) return status;
    if (keepAc) block[kZigzagToNatural[k]] = static_cast<std::int16_t>(value);
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS decodeBlockHuffman(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                               const JpegHuffmanDecodeTable& ac, std::int16_t& predictor, std::int16_t block[64]) {
  std::memset(block, 0, 64 * sizeof block[0]);
  return decodeBlockFrom(in, dc, ac, predictor, block, 0, true);
}

JPEG_STATUS decodeBlockDcOnly(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                              const JpegHuffmanDecodeTable& ac, std::int16_t& predictor, std::int16_t block[64]) {
  std::memset(block, 0, 64 * sizeof block[0]);
  return decodeBlockFrom(in, dc, ac, predictor, block, 0, false);
}

JPEG_STATUS decodeDcFirst(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, std::int16_t block[64],
                          std::int16_t& predictor, int al) {
  JPEG_STATUS status = JPEG_SUCCESS;
  int diff = 0;
  if (decodeDc(in, dc, diff, status) != Step::Go) return status;
  predictor = static_cast<std::int16_t>(predictor + diff);
  block[0] = static_cast<std::int16_t>(predictor * (1 << al));
  return JPEG_SUCCESS;
}

JPEG_STATUS decodeDcRefine(JpegInputStream& in, std::int16_t block[64], int al) {
  JPEG_STATUS status = JPEG_SUCCESS;
  int bit = 0;
  if (receiveBits(in, 1, bit, status) != Step::Go) return status;
  if (bit != 0) block[0] = static_cast<std::int16_t>(block[0] | (1 << al));
  return JPEG_SUCCESS;
}

JPEG_STATUS decodeAcFirst(JpegInputStream& in, std::int16_t block[64], const JpegHuffmanDecodeTable& ac, int ss,
                          int se, int al, int& eobRun) {
  if (ss < 1 || se > 63 || ss > se) return JPEG_DATA_ERROR;
  if (eobRun > 0) {
    --eobRun;
    return JPEG_SUCCESS;
  }
  JPEG_STATUS status = JPEG_SUCCESS;
  for (int k = ss; k <= se; ++k) {
    const int symbol = decodeSymbol(in, ac);
    if (classifySymbol(symbol, status) != Step::Go) return status;
    const int run = symbol >> 4, size = symbol & 15;
    if (size == 0) {
      if (run == 15) {
        k += 15;
        continue;
      }
      // End of band: this block and 2^run - 1 + (run bits) more.
      int extra = 0;
      if (run > 0 && receiveBits(in, run, extra, status) != Step::Go) return status;
      eobRun = (1 << run) + extra - 1;
      break;
    }
    k += run;
    int value = 0;
    if (receiveExtend(in, size, value, status) != Step::Go) return status;
    if (k <= 63) block[kZigzagToNatural[k]] = static_cast<std::int16_t>(value * (1 << al));
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS decodeAcRefine(JpegInputStream& in, std::int16_t block[64], const JpegHuffmanDecodeTable& ac,
                           int ss, int se, int al, int& eobRun) {
  if (ss < 1 || se > 63 || ss > se) return JPEG_DATA_ERROR;
  const int plus = 1 << al, minus = -plus;
  JPEG_STATUS status = JPEG_SUCCESS;
  // A coefficient already non-zero takes one correction bit when passed.
  auto correct = [&](std::int16_t& coefficient) {
    int bit = 0;
    const Step step = receiveBits(in, 1, bit, status);
    if (step == Step::Go && bit != 0 && (coefficient & plus) == 0) {
      coefficient = static_cast<std::int16_t>(coefficient + (coefficient >= 0 ? plus : minus));
    }
    return step;
  };

  int k = ss;
  if (eobRun == 0) {
    for (; k <= se; ++k) {
      const int symbol = decodeSymbol(in, ac);
      if (classifySymbol(symbol, status) != Step::Go) return status;
      int run = symbol >> 4;
      const int size = symbol & 15;
      int value = 0;
      if (size != 0) {
        int sign = 0;
        if (receiveBits(in, 1, sign, status) != Step::Go) return status;
        value = sign != 0 ? plus : minus;
      } else if (run != 15) {
        int extra = 0;
        if (run > 0 && receiveBits(in, run, extra, status) != Step::Go) return status;
        eobRun = (1 << run) + extra;
        break;
      }
      // Skip `run` zero coefficients, correcting the non-zero ones passed.
      for (; k <= se; ++k) {
        std::int16_t& coefficient = block[kZigzagToNatural[k]];
        if (coefficient != 0) {
          if (correct(coefficient) != Step::Go) return status;
        } else if (--run < 0) {
          break;
        }
      }
      if (value != 0 && k <= 63) block[kZigzagToNatural[k]] = static_cast<std::int16_t>(value);
    }
  }
  if (eobRun > 0) {
    for (; k <= se; ++k) {
      std::int16_t& coefficient = block[kZigzagToNatural[k]];
      if (coefficient != 0 && correct(coefficient) != Step::Go) return status;
    }
    --eobRun;
  }
  return JPEG_SUCCESS;
}
