#include "converter/mpeg/mpeg_headers.h"

#include <cstring>

namespace reelpack {

namespace {

// Extension identifiers (extension_start_code_identifier).
constexpr int kSequenceExtension = 1;
constexpr int kSequenceDisplayExtension = 2;
constexpr int kQuantMatrixExtension = 3;
constexpr int kSequenceScalableExtension = 5;
constexpr int kPictureDisplayExtension = 7;
constexpr int kPictureCodingExtension = 8;
constexpr int kPictureSpatialScalableExtension = 9;

constexpr int kScalableSpatial = 1;
constexpr int kScalableTemporal = 3;

int get(MPEG_BIT_STREAM& stream, int bits) { return static_cast<int>(bitsGet(stream, bits)); }

void readMatrix(MPEG_BIT_STREAM& stream, std::uint16_t* matrix) {
  for (int i = 0; i < 64; ++i) matrix[i] = static_cast<std::uint16_t>(get(stream, 8));
}

// Consumes the next start code when it is an extension and returns its
// identifier; consumes user data on the way when asked to. -1 otherwise.
int nextExtension(MPEG_BIT_STREAM& stream, bool skipUserData) {
  while (bitsNextStartCode(stream)) {
    const std::uint32_t code = bitsPeek(stream, 32);
    if (code == kUserDataStartCode && skipUserData) {
      bitsSkip(stream, 32);
      continue;
    }
    if (code != kExtensionStartCode) return -1;
    bitsSkip(stream, 32);
    return get(stream, 4);
  }
  return -1;
}

void parseSequenceExtension(MPEG_BIT_STREAM& stream, MPEG_SEQUENCE_HEADER& h) {
  h.hasSequenceExtension = 1;
  h.profile_and_level_indication = get(stream, 8);
  h.progressive_sequence = get(stream, 1);
  h.chroma_format = get(stream, 2);
  h.horizontal_size += get(stream, 2) * 4096;
  h.vertical_size += get(stream, 2) * 4096;
  h.bit_rate_value += get(stream, 12) * 262144;
  bitsSkip(stream, 1);  // marker
  h.vbv_buffer_size += get(stream, 8) * 1024;
  h.low_delay = get(stream, 1);
  h.frame_rate_extension_n = get(stream, 2);
  h.frame_rate_extension_d = get(stream, 5);
}

void parseSequenceDisplayExtension(MPEG_BIT_STREAM& stream, MPEG_SEQUENCE_HEADER& h) {
  h.hasDisplayExtension = 1;
  h.video_format = get(stream, 3);
  h.colour_description = get(stream, 1);
  if (h.colour_description) {
    h.colour_primaries = get(stream, 8);
    h.transfer_characteristics = get(stream, 8);
    h.matrix_coefficients = get(stream, 8);
  }
  h.display_horizontal_size = get(stream, 14);
  bitsSkip(stream, 1);  // marker
  h.display_vertical_size = get(stream, 14);
}

void parseSequenceScalableExtension(MPEG_BIT_STREAM& stream, MPEG_SEQUENCE_HEADER& h) {
  h.hasScalableExtension = 1;
  h.scalable_mode = get(stream, 2);
  h.layer_id = get(stream, 4);
  if (h.scalable_mode == kScalableSpatial) {
    h.lower_layer_prediction_horizontal_size = get(stream, 14);
    bitsSkip(stream, 1);  // marker
    h.lower_layer_prediction_vertical_size = get(stream, 14);
    h.horizontal_subsampling_factor_m = get(stream, 5);
    h.horizontal_subsampling_factor_n = get(stream, 5);
    h.vertical_subsampling_factor_m = get(stream, 5);
    h.vertical_subsampling_factor_n = get(stream, 5);
  } else if (h.scalable_mode == kScalableTemporal) {
    h.picture_mux_enable = get(stream, 1);
    if (h.picture_mux_enable) h.mux_to_progressive_sequence = get(stream, 1);
    h.picture_mux_order = get(stream, 3);
    h.picture_mux_factor = get(stream, 3);
  }
}

void parsePictureCodingExtension(MPEG_BIT_STREAM& stream, MPEG_PICTURE_HEADER& h) {
  h.hasCodingExtension = 1;
  h.f_code[0][0] = get(stream, 4);
  h.f_code[0][1] = get(stream, 4);
  h.f_code[1][0] = get(stream, 4);
  h.f_code[1][1] = get(stream, 4);
  h.intra_dc_precision = get(stream, 2);
  h.picture_structure = get(stream, 2);
  h.top_field_first = get(stream, 1);
  h.frame_pred_frame_dct = get(stream, 1);
  h.concealment_motion_vectors = get(stream, 1);
  h.q_scale_type = get(stream, 1);
  h.intra_vlc_format = get(stream, 1);
  h.alternate_scan = get(stream, 1);
  h.repeat_first_field = get(stream, 1);
  h.chroma_420_type = get(stream, 1);
  h.progressive_frame = get(stream, 1);
  h.composite_display_flag = get(stream, 1);
  if (h.composite_display_flag) {
    h.v_axis = get(stream, 1);
    h.field_sequence = get(stream, 3);
    h.sub_carrier = get(stream, 1);
    h.burst_amplitude = get(stream, 7);
    h.sub_carrier_phase = get(stream, 8);
  }
}

void parseQuantMatrixExtension(MPEG_BIT_STREAM& stream, MPEG_PICTURE_HEADER& h) {
  h.hasQuantMatrixExtension = 1;
  for (int slot = 0; slot < 4; ++slot) {
    h.loadQuantMatrix[slot] = get(stream, 1);
    if (h.loadQuantMatrix[slot]) readMatrix(stream, h.quantMatrix[slot]);
  }
}

void parsePictureDisplayExtension(MPEG_BIT_STREAM& stream, int progressiveSequence, MPEG_PICTURE_HEADER& h) {
  h.hasDisplayExtension = 1;
  int offsets = 2;
  if (progressiveSequence || h.picture_structure != kFramePicture) {
    offsets = 1;
  } else if (h.repeat_first_field) {
    offsets = 3;
  }
  for (int i = 0; i < offsets; ++i) {
    h.frame_centre_horizontal_offset[i] = static_cast<std::int16_t>(get(stream, 16));
    bitsSkip(stream, 1);  // marker
    h.frame_centre_vertical_offset[i] = static_cast<std::int16_t>(get(stream, 16));
    bitsSkip(stream, 1);  // marker
  }
}

void parseSpatialScalableExtension(MPEG_BIT_STREAM& stream, MPEG_PICTURE_HEADER& h) {
  h.hasSpatialScalableExtension = 1;
  h.lower_layer_temporal_reference = get(stream, 10);
  bitsSkip(stream, 1);  // marker
  h.lower_layer_horizontal_offset = get(stream, 15);
  bitsSkip(stream, 1);  // marker
  h.lower_layer_vertical_offset = get(stream, 15);
  h.spatial_temporal_weight_code_table_index = get(stream, 2);
  h.lower_layer_progressive_frame = get(stream, 1);
  h.lower_layer_deinterlaced_field_select = get(stream, 1);
}

int roundUp(int value, int multiple) { return (value + multiple - 1) / multiple * multiple; }

}  // namespace

int parseSequenceHeader(MPEG_BIT_STREAM& stream, MPEG_SEQUENCE_HEADER& h) {
  std::memset(&h, 0, sizeof h);
  h.horizontal_size = get(stream, 12);
  h.vertical_size = get(stream, 12);
  h.aspect_ratio_information = get(stream, 4);
  h.frame_rate_code = get(stream, 4);
  h.bit_rate_value = get(stream, 18);
  bitsSkip(stream, 1);  // marker
  h.vbv_buffer_size = get(stream, 10);
  h.constrained_parameters_flag = get(stream, 1);
  h.load_intra_quantiser_matrix = get(stream, 1);
  if (h.load_intra_quantiser_matrix) readMatrix(stream, h.intra_quantiser_matrix);
  h.load_non_intra_quantiser_matrix = get(stream, 1);
  if (h.load_non_intra_quantiser_matrix) readMatrix(stream, h.non_intra_quantiser_matrix);
  // MPEG-1 defaults, replaced by a sequence extension.
  h.progressive_sequence = 1;
  h.chroma_format = 1;
  for (int id = nextExtension(stream, false); id >= 0; id = nextExtension(stream, false)) {
    if (id == kSequenceExtension) {
      parseSequenceExtension(stream, h);
    } else if (id == kSequenceDisplayExtension) {
      parseSequenceDisplayExtension(stream, h);
    } else if (id == kSequenceScalableExtension) {
      parseSequenceScalableExtension(stream, h);
    }
  }
  h.codedWidth = roundUp(h.horizontal_size, 16);
  h.codedHeight = roundUp(h.vertical_size, h.hasSequenceExtension && !h.progressive_sequence ? 32 : 16);
  const bool sane = h.horizontal_size > 0 && h.horizontal_size <= kMaxPictureSize && h.vertical_size > 0 &&
                    h.vertical_size <= kMaxPictureSize;
  return sane ? 1 : 0;
}

void parseGopHeader(MPEG_BIT_STREAM& stream, MPEG_GOP_HEADER& h) {
  h.timeCode.drop_frame_flag = get(stream, 1);
  h.timeCode.hours = get(stream, 5);
  h.timeCode.minutes = get(stream, 6);
  h.timeCode.marker = get(stream, 1);
  h.timeCode.seconds = get(stream, 6);
  h.timeCode.pictures = get(stream, 6);
  h.closed_gop = get(stream, 1);
  h.broken_link = get(stream, 1);
}

void parsePictureHeader(MPEG_BIT_STREAM& stream, int progressiveSequence, MPEG_PICTURE_HEADER& h) {
  std::memset(&h, 0, sizeof h);
  h.temporal_reference = get(stream, 10);
  h.picture_coding_type = get(stream, 3);
  h.vbv_delay = get(stream, 16);
  if (h.picture_coding_type == kPictureTypeP || h.picture_coding_type == kPictureTypeB) {
    h.full_pel_forward_vector = get(stream, 1);
    h.forward_f_code = get(stream, 3);
  }
  if (h.picture_coding_type == kPictureTypeB) {
    h.full_pel_backward_vector = get(stream, 1);
    h.backward_f_code = get(stream, 3);
  }
  while (get(stream, 1)) bitsSkip(stream, 8);  // extra_information_picture
  // MPEG-1 defaults, replaced by a picture coding extension.
  h.picture_structure = kFramePicture;
  h.f_code[0][0] = h.f_code[0][1] = h.forward_f_code;
  h.f_code[1][0] = h.f_code[1][1] = h.backward_f_code;
  h.progressive_frame = 1;
  for (int id = nextExtension(stream, true); id >= 0; id = nextExtension(stream, true)) {
    if (id == kQuantMatrixExtension) {
      parseQuantMatrixExtension(stream, h);
    } else if (id == kPictureDisplayExtension) {
      parsePictureDisplayExtension(stream, progressiveSequence, h);
    } else if (id == kPictureCodingExtension) {
      parsePictureCodingExtension(stream, h);
    } else if (id == kPictureSpatialScalableExtension) {
      parseSpatialScalableExtension(stream, h);
    }
  }
}

}  // namespace reelpack
