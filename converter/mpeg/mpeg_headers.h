// MPEG video headers (ISO/IEC 11172-2, with the header syntax of ISO/IEC
// 13818-2): sequence header and its extensions, group of pictures header,
// picture header and its extensions. Each parser starts after the 32-bit
// start code and leaves the stream at the first start code it does not
// consume (user data and extensions are consumed).
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_bit_reader.h"

namespace reelpack {

inline constexpr std::uint32_t kPictureStartCode = 0x100;
inline constexpr std::uint32_t kLastSliceStartCode = 0x1AF;
inline constexpr std::uint32_t kUserDataStartCode = 0x1B2;
inline constexpr std::uint32_t kSequenceHeaderCode = 0x1B3;
inline constexpr std::uint32_t kExtensionStartCode = 0x1B5;
inline constexpr std::uint32_t kSequenceEndCode = 0x1B7;
inline constexpr std::uint32_t kGroupStartCode = 0x1B8;

inline constexpr int kPictureTypeI = 1;
inline constexpr int kPictureTypeP = 2;
inline constexpr int kPictureTypeB = 3;
inline constexpr int kFramePicture = 3;  // picture_structure of a frame

// Largest width or height accepted: larger ones (up to 16383 with the
// extension) would ask for pictures of hundreds of megabytes.
inline constexpr int kMaxPictureSize = 4096;

struct MPEG_SEQUENCE_HEADER {
  int horizontal_size;
  int vertical_size;
  int codedWidth;   // horizontal_size rounded up to 16
  int codedHeight;  // vertical_size rounded up to 16 (32 for interlaced MPEG-2)
  int aspect_ratio_information;
  int frame_rate_code;
  int bit_rate_value;
  int vbv_buffer_size;
  int constrained_parameters_flag;
  int load_intra_quantiser_matrix;
  std::uint16_t intra_quantiser_matrix[64];  // transmitted (zigzag) order
  int load_non_intra_quantiser_matrix;
  std::uint16_t non_intra_quantiser_matrix[64];

  int hasSequenceExtension;
  int profile_and_level_indication;
  int progressive_sequence;
  int chroma_format;
  int low_delay;
  int frame_rate_extension_n;
  int frame_rate_extension_d;

  int hasDisplayExtension;
  int video_format;
  int colour_description;
  int colour_primaries;
  int transfer_characteristics;
  int matrix_coefficients;
  int display_horizontal_size;
  int display_vertical_size;

  int hasScalableExtension;
  int scalable_mode;
  int layer_id;
  int lower_layer_prediction_horizontal_size;
  int lower_layer_prediction_vertical_size;
  int horizontal_subsampling_factor_m;
  int horizontal_subsampling_factor_n;
  int vertical_subsampling_factor_m;
  int vertical_subsampling_factor_n;
  int picture_mux_enable;
  int mux_to_progressive_sequence;
  int picture_mux_order;
  int picture_mux_factor;
};

struct MPEG_TIME_CODE {
  int drop_frame_flag;
  int hours;
  int minutes;
  int marker;
  int seconds;
  int pictures;
};

struct MPEG_GOP_HEADER {
  MPEG_TIME_CODE timeCode;
  int closed_gop;
  int broken_link;
};

struct MPEG_PICTURE_HEADER {
  int temporal_reference;
  int picture_coding_type;
  int vbv_delay;
  int full_pel_forward_vector;
  int forward_f_code;
  int full_pel_backward_vector;
  int backward_f_code;

  int hasCodingExtension;
  int f_code[2][2];  // [forward, backward][horizontal, vertical]
  int intra_dc_precision;
  int picture_structure;
  int top_field_first;
  int frame_pred_frame_dct;
  int concealment_motion_vectors;
  int q_scale_type;
  int intra_vlc_format;
  int alternate_scan;
  int repeat_first_field;
  int chroma_420_type;
  int progressive_frame;
  int composite_display_flag;
  int v_axis;
  int field_sequence;
  int sub_carrier;
  int burst_amplitude;
  int sub_carrier_phase;

  int hasQuantMatrixExtension;
  int loadQuantMatrix[4];  // intra, non-intra, chroma intra, chroma non-intra
  std::uint16_t quantMatrix[4][64];  // transmitted (zigzag) order

  int hasDisplayExtension;
  int frame_centre_horizontal_offset[3];
  int frame_centre_vertical_offset[3];

  int hasSpatialScalableExtension;
  int lower_layer_temporal_reference;
  int lower_layer_horizontal_offset;
  int lower_layer_vertical_offset;
  int spatial_temporal_weight_code_table_index;
  int lower_layer_progressive_frame;
  int lower_layer_deinterlaced_field_select;
};

// 0 when the header is refused: a width or height of 0 or above
// kMaxPictureSize.
int parseSequenceHeader(MPEG_BIT_STREAM& stream, MPEG_SEQUENCE_HEADER& header);
void parseGopHeader(MPEG_BIT_STREAM& stream, MPEG_GOP_HEADER& header);
// progressiveSequence decides how many frame centre offsets a picture
// display extension carries.
void parsePictureHeader(MPEG_BIT_STREAM& stream, int progressiveSequence, MPEG_PICTURE_HEADER& header);

}  // namespace reelpack
