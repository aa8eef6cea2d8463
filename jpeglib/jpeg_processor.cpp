#include "jpeglib/jpeg_processor.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <mmintrin.h>
#endif

#include "common/cpu_features.h"
#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_ycc_mcu.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

void endNothing() {}

void endSimd() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_empty();
#endif
}

}  // namespace

void identifyProcessor(JPEG_CPU_INFO& info) {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid(0, eax, ebx, ecx, edx);
  const unsigned maxLeaf = eax;
  std::memcpy(info.vendor, &ebx, 4);
  std::memcpy(info.vendor + 4, &edx, 4);
  std::memcpy(info.vendor + 8, &ecx, 4);
  info.vendor[12] = '\0';
  if (maxLeaf == 0) return;
  __cpuid(1, eax, ebx, ecx, edx);
  info.stepping = eax & 0xF;
  info.model = (eax >> 4) & 0xF;
  info.family = (eax >> 8) & 0xF;
  info.processorType = (eax >> 12) & 0x3;
  info.brandIndex = ebx & 0xFF;
  info.featureFlags = edx;
#else
  (void)info;
#endif
}

int jpegClassFromCpuInfo(const JPEG_CPU_INFO& info) {
  const bool mmx = (info.featureFlags & kCpuFeatureMmx) != 0;
  const bool sse = (info.featureFlags & kCpuFeatureSse) != 0;
  const bool sse2 = (info.featureFlags & kCpuFeatureSse2) != 0;
  switch (info.family) {
    case 5:
      return mmx ? kJpegClassMmx : 1;
    case 6:
      if (!mmx) return 2;
      return sse ? kJpegClassSse : kJpegClassMmx2;
    case 15:
      return sse2 ? kJpegClassSse2 : kJpegClassPlain;
    default:
      return kJpegClassPlain;
  }
}

int jpegReadClassOverride(const JPEG_PROCESSOR_TABLE& table) {
  if (!table.regOpenKey || !table.regQueryValue || !table.regCloseKey) return -1;
  HKEY key = nullptr;
  std::int32_t value = -1;
  if (table.regOpenKey(HKEY_LOCAL_MACHINE, "Software\\Reelpack\\JpegCodec", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD size = sizeof value;
    if (table.regQueryValue(key, "USECPU", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value) {
      value = -1;
    }
    table.regCloseKey(key);
  }
  return value >= 0 && value <= 6 ? value : -1;
}

int jpegClassifyProcessor(const JPEG_PROCESSOR_TABLE& table) {
  // The processor does not change while the process runs, and asking it
  // is slow where a hypervisor answers: once per process.
  static const JPEG_CPU_INFO info = [] {
    JPEG_CPU_INFO identified{};
    std::memset(identified.vendor, ' ', 12);
    identifyProcessor(identified);
    return identified;
  }();
  const int forced = jpegReadClassOverride(table);
  return forced >= 0 ? forced : jpegClassFromCpuInfo(info);
}

void jpegFillProcessorTable(JPEG_PROCESSOR_TABLE& table, int processorClass) {
  const bool simd = processorClass >= kJpegClassMmx;
  table.endSimd = simd ? endSimd : endNothing;
  table.forwardDct = nullptr;
  const JpegBlockTransform fastInverse[4] = {idctFast, idctFast4x4, idctFast2x2, idctFast1x1};
  const JpegBlockTransform accurateInverse[4] = {idctAccurate, idctAccurate4x4, idctAccurate2x2, idctAccurate1x1};
  std::copy_n(fastInverse, 4, table.idctFast);
  std::copy_n(accurateInverse, 4, table.idctAccurate);
  if (processorClass >= kJpegClassMmx) {
    table.idctAccurate[0] = processorClass == kJpegClassSse2 ? idctBlockSse2 : simd_portable::idctBlockLanes;
  }
  table.openOutput = simd ? outputBeginWide : outputBegin;
  table.writeOutputBytes = simd ? outputWriteBytesWide : outputWriteBytes;
  table.convertMcu = nullptr;

  // Input kernels; 32-34 and 39 (level shifts without conversion) are the
  // plain ones in every class.
  table.copyBlock3 = copyBlock3;
  table.subsampleBlock422 = subsampleBlock422;
  table.subsampleBlock411 = subsampleBlock411;
  table.copyBlock4 = copyBlock4;
  if (simd) {
    const bool sse = processorClass >= kJpegClassSse;
    table.greyLevelShift = levelShiftGreyBlockMmx;
    table.convertRgbBlock = convertRgbBlockSimd;
    table.convertRgbBlock422 = convertRgbBlock422Simd;
    table.convertRgbBlock411 = convertRgbBlock411Simd;
    table.convertBgrBlock = convertBgrBlockSimd;
    table.convertBgrBlock422 = convertBgrBlock422Simd;
    table.convertBgrBlock411 = convertBgrBlock411Simd;
    table.packedBlock422 = sse ? unpackBlock422Sse : unpackBlock422Mmx;
    table.convertRgbaBlock = convertRgbaBlockSimd;
    table.convertRgbaBlock422 = convertRgbaBlock422Simd;
    table.convertRgbaBlock411 = convertRgbaBlock411Simd;
  } else {
    table.greyLevelShift = copyBlockGrey;
    table.convertRgbBlock = convertRgbBlock;
    table.convertRgbBlock422 = convertRgbBlock422;
    table.convertRgbBlock411 = convertRgbBlock411;
    table.convertBgrBlock = convertBgrBlock;
    table.convertBgrBlock422 = convertBgrBlock422;
    table.convertBgrBlock411 = convertBgrBlock411;
    table.packedBlock422 = unpackBlock422;
    table.convertRgbaBlock = convertRgbaBlock;
    table.convertRgbaBlock422 = convertRgbaBlock422;
    table.convertRgbaBlock411 = convertRgbaBlock411;
  }

  // Forward DCTs, quantisers and the Huffman block coder.
  switch (processorClass) {
    case kJpegClassMmx:
    case kJpegClassMmx2:
      table.fdctAccurate = fdctBlockMmx;
      table.quantizeAccurate = quantizeBlockMmx;
      table.encodeBlock = encodeBlockHuffmanMmx;
      break;
    case kJpegClassSse:
      table.fdctAccurate = fdctBlockSse;
      table.quantizeAccurate = quantizeBlockSse;
      table.encodeBlock = encodeBlockSse;
      break;
    case kJpegClassSse2:
      table.fdctAccurate = fdctBlockSse2;
      table.quantizeAccurate = quantizeBlockSse2;
      table.encodeBlock = encodeBlockHuffmanMmx;
      break;
    default:
      table.fdctAccurate = fdctAccurate;
      table.quantizeAccurate = quantizeAccurate;
      table.encodeBlock = encodeBlockHuffman;
      break;
  }
  table.fdctFast = simd ? fdctAanBlockMmx : fdctFast;
  table.quantizeFast = simd ? quantizeBlockSimd : quantizeFast;
  table.quantize = table.quantizeFast;
  table.decodeBlock = simd ? decodeBlockMmxCmov : decodeBlockHuffman;
  table.decodeBlockDcOnly = simd ? skipBlockMmx : decodeBlockDcOnly;
  table.dequantizeFast = dequantizeFast;
  table.dequantizeAccurate = processorClass == kJpegClassSse2 ? dequantizeBlockSse2 : dequantizeAccurate;
  const bool sse2 = processorClass == kJpegClassSse2;
  const bool avx2 = sse2 && ProcessorHasAvx2();
  table.transformAccurate8 = avx2 ? transformBlockAvx2 : sse2 ? transformBlockSse2 : nullptr;
  table.yccPixel = simd ? yccToRgbLanes : yccToRgbFast;
  table.yccPixelOpaque = simd ? yccToRgbLanesWrapped : yccToRgbFast;
  table.writeBgr420 = avx2   ? writeBgr420Avx2
                      : sse2 ? writeBgr420Sse2
                      : simd ? simd_portable::writeBgr420Lanes
                             : writeBgr420Plain;
  table.writeRgb420 = avx2   ? writeRgb420Avx2
                      : sse2 ? writeRgb420Sse2
                      : simd ? simd_portable::writeRgb420Lanes
                             : writeRgb420Plain;
}

int jpegSelectProcessorTable(JPEG_PROCESSOR_TABLE& table) {
  table.regOpenKey = RegOpenKeyExA;
  table.regQueryValue = RegQueryValueExA;
  table.regCloseKey = RegCloseKey;
  const int processorClass = jpegClassifyProcessor(table);
  jpegFillProcessorTable(table, processorClass);
  return processorClass;
}

void jpegReleaseSystemEntries(JPEG_PROCESSOR_TABLE& table) {
  table.regOpenKey = nullptr;
  table.regQueryValue = nullptr;
  table.regCloseKey = nullptr;
}
