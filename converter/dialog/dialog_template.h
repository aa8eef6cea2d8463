// The dialog's template (102) as data, its control ids and the icon's
// resource id.
#pragma once

#include "host/mfc/dialog.h"

namespace reelpack {

inline constexpr UINT IDD_REELPACK_DIALOG = 102;
inline constexpr UINT IDR_MAINFRAME = 128;

inline constexpr int IDC_PATH_EDIT = 1000;
inline constexpr int IDC_START = 1001;
inline constexpr int IDC_AUDIO_BIT_RATE = 1002;
inline constexpr int IDC_SAMPLE_RATE = 1003;
inline constexpr int IDC_STEREO = 1004;
inline constexpr int IDC_PROGRESS = 1006;
inline constexpr int IDC_BROWSE = 1007;
inline constexpr int IDC_FRAME_RATE_MODE = 1008;
inline constexpr int IDC_PICTURE_SIZE = 1009;
inline constexpr int IDC_QUALITY = 1011;
inline constexpr int IDC_SOURCE_FPS = 1016;
inline constexpr int IDC_ENCODER_MP3 = 1017;
inline constexpr int IDC_ENCODER_OGG = 1018;
inline constexpr int IDC_AVERAGE_RATE = 1019;
inline constexpr int IDC_MAXIMUM_RATE = 1020;
inline constexpr int IDC_RATE_SLIDER = 1021;
inline constexpr int IDC_RATE_TEXT = 1022;
inline constexpr int IDC_STATIC = -1;

const DialogTemplate& ReelpackDialogTemplate();

}  // namespace reelpack
