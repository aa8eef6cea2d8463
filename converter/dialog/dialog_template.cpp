// Texts are Shift-JIS bytes; each carries its reading in a comment.
#include "converter/dialog/dialog_template.h"

namespace reelpack {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_TABSTOP;
constexpr DWORD kList = kChild | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
constexpr DWORD kLabel = WS_CHILD | SS_LEFT;

DialogTemplate MakeTemplate() {
  DialogTemplate dialog;
  dialog.id = IDD_REELPACK_DIALOG;
  dialog.caption = "reelpack ver1.03\x81iLinux\x81j";  // reelpack ver1.03（Linux）
  dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  dialog.exStyle = WS_EX_APPWINDOW;
  dialog.cx = 211;
  dialog.cy = 181;
  dialog.fontName =
      "\x82l\x82r \x82o\x83S\x83V\x83"
      "b\x83N";  // ＭＳ Ｐゴシック
  dialog.pointSize = 9;
  // One control a line, in tab order: kind, id, text, style, extended style, x, y, width, height, list items.
  // clang-format off
  dialog.items = {
      {ControlKind::Edit, IDC_PATH_EDIT, "", kChild | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, WS_EX_ACCEPTFILES,
       4, 5, 162, 14, {}},
      {ControlKind::Button, IDC_START, "\x8aJ\x8en(&S)", kChild | BS_PUSHBUTTON, 0, 97, 25, 108, 14, {}},  // 開始(&S)
      {ControlKind::Static, IDC_PROGRESS, "", kLabel, 0, 5, 154, 91, 8, {}},
      {ControlKind::Button, IDC_BROWSE, "\x8eQ\x8f\xc6(&F)", kChild | BS_PUSHBUTTON, 0, 172, 5, 33, 14, {}},  // 参照(&F)
      {ControlKind::ComboBox, IDC_FRAME_RATE_MODE, "", kList, 0, 35, 61, 75, 85,
       {
           "\x8a\xee\x8f\x80\x92l(MAX15fps)",  // 基準値(MAX15fps)
           "\x8d\xc5\x91\xe5\x92l(MAX30fps)",  // 最大値(MAX30fps)
           "\x8d\xc5\x8f\xac\x92l(MAX10fps)",  // 最小値(MAX10fps)
       }},
      {ControlKind::Static, IDC_STATIC, "\xcc\xda\xb0\xd1\x90\x94", kLabel, 0, 5, 63, 25, 8, {}},  // ﾌﾚｰﾑ数
      {ControlKind::ComboBox, IDC_PICTURE_SIZE, "", kList, 0, 153, 61, 48, 69, {"320 * 240", "640 * 480"}},
      {ControlKind::Static, IDC_STATIC, "\x89\xe6\x91\x9c\x83T\x83" "C\x83Y", kLabel, 0, 115, 64, 34, 8, {}},  // 画像サイズ
      {ControlKind::ComboBox, IDC_AUDIO_BIT_RATE, "", kList, 0, 28, 89, 50, 198,
       {"16/8kbit", "32/16kbit", "48/24kbit", "64/32kbit", "80/40kbit", "96/48kbit", "112/56kbit", "128/64kbit",
        "160/80kbit", "192/96kbit", "224/112kbit", "256/128kbit", "320/160kbit"}},
      {ControlKind::ComboBox, IDC_SAMPLE_RATE, "", kList, 0, 104, 90, 39, 128, {"22.05kHz", "44.10kHz"}},
      {ControlKind::Button, IDC_STEREO, "\xbd\xc3\xda\xb5", kChild | BS_AUTOCHECKBOX, 0, 149, 91, 30, 10, {}},  // ｽﾃﾚｵ
      {ControlKind::Button, IDC_STATIC, "\x82" "a\x82" "f\x82l\x95\xcf\x8a\xb7", WS_CHILD | BS_GROUPBOX, 0, 5, 78, 201,
       43, {}},  // ＢＧＭ変換
      {ControlKind::Static, IDC_STATIC, "BIT", kLabel, 0, 12, 92, 11, 8, {}},
      {ControlKind::Static, IDC_STATIC, "RATE", kLabel, 0, 82, 92, 18, 8, {}},
      {ControlKind::ComboBox, IDC_QUALITY, "", kList, 0, 36, 26, 48, 131,
       {"100%", "95%", "90%", "85%", "80%", "75%", "70%", "65%", "60%", "55%",
        "50%", "45%", "40%", "35%", "30%", "25%", "20%", "15%", "10%", "5%"}},
      {ControlKind::Static, IDC_STATIC, "\x8a\xee\x8f\x80\x89\xe6\x8e\xbf", kLabel, 0, 5, 29, 28, 8, {}},  // 基準画質
      {ControlKind::Static, IDC_SOURCE_FPS, "", kLabel, 0, 105, 154, 44, 8, {}},
      // [OGG]の場合は[32/16kbit]以下は[48/24kbit]に強制設定。
      {ControlKind::Static, IDC_STATIC,
       "[OGG]\x82\xcc\x8f\xea\x8d\x87\x82\xcd[32/16kbit]\x88\xc8\x89\xba\x82\xcd[48/24kbit]\x82\xc9\x8b\xad\x90\xa7"
       "\x90\xdd\x92\xe8\x81" "B",
       kLabel, 0, 11, 108, 189, 8, {}},
      {ControlKind::Button, IDC_STATIC, "\x83G\x83\x93\x83R\x81[\x83_\x91I\x91\xf0", WS_CHILD | BS_GROUPBOX, 0, 5, 124,
       201, 23, {}},  // エンコーダ選択
      {ControlKind::Button, IDC_ENCODER_MP3, "GOGO.DLL[MP3]", kChild | WS_GROUP | BS_AUTORADIOBUTTON, 0, 9, 134, 64, 10,
       {}},
      {ControlKind::Button, IDC_ENCODER_OGG, "OGGENC.DLL[OGG]", kChild | BS_AUTORADIOBUTTON, 0, 105, 134, 74, 10, {}},
      {ControlKind::Static, IDC_AVERAGE_RATE, "", kLabel | WS_GROUP, 0, 5, 167, 94, 8, {}},
      {ControlKind::Static, IDC_MAXIMUM_RATE, "", kLabel, 0, 105, 167, 94, 8, {}},
      {ControlKind::TrackBar, IDC_RATE_SLIDER, "", kChild | TBS_AUTOTICKS | TBS_TOP, 0, 30, 43, 147, 15, {}},
      {ControlKind::Static, IDC_STATIC, "\x8d\xc5\x91\xe5\xcb\xde\xaf\xc4", kLabel, 0, 5, 47, 27, 8, {}},  // 最大ﾋﾞｯﾄ
      {ControlKind::Static, IDC_RATE_TEXT, "", kLabel, 0, 178, 47, 28, 8, {}},
  };
  // clang-format on
  return dialog;
}

}  // namespace

const DialogTemplate& ReelpackDialogTemplate() {
  static const DialogTemplate dialog = MakeTemplate();
  return dialog;
}

}  // namespace reelpack
