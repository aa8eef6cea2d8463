#include "jpeg_reference_library.h"

#include <dlfcn.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct Library {
  void* handle = nullptr;
  decltype(&jpeg_std_error) stdError = nullptr;
  decltype(&jpeg_CreateDecompress) create = nullptr;
  decltype(&jpeg_mem_src) memorySource = nullptr;
  decltype(&jpeg_read_header) readHeader = nullptr;
  decltype(&jpeg_read_coefficients) readCoefficients = nullptr;
  decltype(&jpeg_start_decompress) start = nullptr;
  decltype(&jpeg_read_scanlines) readScanlines = nullptr;
  decltype(&jpeg_finish_decompress) finish = nullptr;
  decltype(&jpeg_destroy_decompress) destroy = nullptr;

  Library() {
    handle = dlopen("libjpeg.so.62", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    load(stdError, "jpeg_std_error");
    load(create, "jpeg_CreateDecompress");
    load(memorySource, "jpeg_mem_src");
    load(readHeader, "jpeg_read_header");
    load(readCoefficients, "jpeg_read_coefficients");
    load(start, "jpeg_start_decompress");
    load(readScanlines, "jpeg_read_scanlines");
    load(finish, "jpeg_finish_decompress");
    load(destroy, "jpeg_destroy_decompress");
  }
  template <typename F>
  void load(F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(handle, name));
  }
  bool loaded() const { return handle != nullptr && destroy != nullptr && finish != nullptr; }
};

const Library& library() {
  static const Library instance;
  return instance;
}

// Error manager that jumps back instead of exiting and collects every message.
struct Errors {
  jpeg_error_mgr manager;
  std::jmp_buf back;
  char text[4096];
  std::size_t used;
};

void collect(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<Errors*>(cinfo->err);
  char line[JMSG_LENGTH_MAX];
  cinfo->err->format_message(cinfo, line);
  const int written = std::snprintf(errors->text + errors->used, sizeof errors->text - errors->used, "%s\n", line);
  if (written > 0) errors->used = std::min(sizeof errors->text - 1, errors->used + static_cast<std::size_t>(written));
}

[[noreturn]] void jumpBack(j_common_ptr cinfo) {
  collect(cinfo);
  std::longjmp(reinterpret_cast<Errors*>(cinfo->err)->back, 1);
}

// Only trivially destructible locals live between setjmp and longjmp.
struct DecodeOptions {
  bool plain = false;  // integer transform, repeated chroma
  bool keepYcc = false;
  int scaleDenom = 1;
  bool smooth = false;  // interpolated chroma instead of repeated
};

bool readStream(const std::vector<std::uint8_t>& stream, bool samples, const DecodeOptions& options,
                ReferenceRead& result) {
  const Library& lib = library();
  Errors errors{};
  jpeg_decompress_struct cinfo{};
  cinfo.err = lib.stdError(&errors.manager);
  errors.manager.error_exit = jumpBack;
  errors.manager.output_message = collect;
  if (setjmp(errors.back) != 0) {
    lib.destroy(&cinfo);
    result.messages = errors.text;
    return false;
  }
  lib.create(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  lib.memorySource(&cinfo, stream.data(), static_cast<unsigned long>(stream.size()));
  lib.readHeader(&cinfo, TRUE);
  result.progressive = cinfo.progressive_mode != 0;
  result.width = static_cast<int>(cinfo.image_width);
  result.height = static_cast<int>(cinfo.image_height);
  if (samples) {
    if (options.plain) {
      cinfo.dct_method = JDCT_ISLOW;
      cinfo.do_fancy_upsampling = options.smooth ? TRUE : FALSE;
      cinfo.do_block_smoothing = FALSE;
      cinfo.scale_num = 1;
      cinfo.scale_denom = static_cast<unsigned>(options.scaleDenom);
      if (options.keepYcc && cinfo.jpeg_color_space == JCS_YCbCr) cinfo.out_color_space = JCS_YCbCr;
    }
    lib.start(&cinfo);
    result.outputComponents = cinfo.output_components;
    const std::size_t rowBytes = static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components;
    result.samples.resize(rowBytes * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = result.samples.data() + rowBytes * cinfo.output_scanline;
      lib.readScanlines(&cinfo, &row, 1);
    }
  } else {
    jvirt_barray_ptr* arrays = lib.readCoefficients(&cinfo);
    result.components.resize(static_cast<std::size_t>(cinfo.num_components));
    for (int c = 0; c < cinfo.num_components; ++c) {
      const jpeg_component_info& info = cinfo.comp_info[c];
      ReferenceComponent& component = result.components[static_cast<std::size_t>(c)];
      component.id = info.component_id;
      component.h = info.h_samp_factor;
      component.v = info.v_samp_factor;
      component.quantTable = info.quant_tbl_no;
      component.widthInBlocks = static_cast<int>(info.width_in_blocks);
      component.heightInBlocks = static_cast<int>(info.height_in_blocks);
      for (JDIMENSION y = 0; y < info.height_in_blocks; ++y) {
        JBLOCKARRAY rows =
            cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo), arrays[c], y, 1, FALSE);
        for (JDIMENSION x = 0; x < info.width_in_blocks; ++x) {
          component.coefficients.insert(component.coefficients.end(), rows[0][x], rows[0][x] + DCTSIZE2);
        }
      }
    }
  }
  lib.finish(&cinfo);
  result.warnings = static_cast<int>(errors.manager.num_warnings);
  lib.destroy(&cinfo);
  result.messages = errors.text;
  return true;
}

ReferenceRead read(const std::vector<std::uint8_t>& stream, bool samples, const DecodeOptions& options = {}) {
  ReferenceRead result;
  if (!library().loaded()) {
    result.messages = "libjpeg.so.62 not loaded";
    return result;
  }
  result.ok = readStream(stream, samples, options, result);
  return result;
}

}  // namespace

bool ReferenceLibraryLoaded() { return library().loaded(); }

ReferenceRead ReadCoefficientsWithReference(const std::vector<std::uint8_t>& stream) { return read(stream, false); }

ReferenceRead DecodeSamplesWithReference(const std::vector<std::uint8_t>& stream) { return read(stream, true); }

ReferenceRead DecodePlainWithReference(const std::vector<std::uint8_t>& stream, bool keepYcc, int scaleDenom,
                                       bool smooth) {
  return read(stream, true, DecodeOptions{true, keepYcc, scaleDenom, smooth});
}
