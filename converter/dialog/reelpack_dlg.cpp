#include "converter/dialog/reelpack_dlg.h"

#include <cstring>

#include "common/format_text.h"
#include "converter/dialog/dialog_template.h"
#include "converter/job/thread_ctrl.h"
#include "host/console/current_directory_api.h"
#include "host/mfc/file_chooser_api.h"
#include "host/mfc/paint_dc.h"
#include "host/mfc/win_app.h"
#include "host/threads/thread_api.h"

namespace reelpack {
namespace {

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressPeriodMs = 100;
constexpr std::uint32_t kSliderToRate = 20;

// Texts the dialog writes (Shift-JIS).
constexpr char kFramesFormat[] =
    "\x95\xcf\x8a\xb7\x83"
    "f\x81[\x83^\x90\x94\x81"
    "F%d / %d";  // 変換データ数：%d / %d
constexpr char kFpsFormat[] = "FPS(%f2.3)";
constexpr char kAverageFormat[] =
    "\x95\xbd\x8b\xcf\x83r\x83"
    "b\x83g\x83\x8c\x81[\x83g\x81"
    "F%dkbps";  // 平均ビットレート：%dkbps
constexpr char kMaximumFormat[] =
    "\x8d\xc5\x91\xe5\x83r\x83"
    "b\x83g\x83\x8c\x81[\x83g\x81"
    "F%dkbps";  // 最大ビットレート：%dkbps
constexpr char kStartFailed[] = "The conversion could not be started: no thread could be made for it.";

std::unique_ptr<CMpegFileConv> MakeRealJob(std::int32_t audioBitRateIndex, std::int32_t sampleRateIndex,
                                           std::int32_t stereo) {
  return std::make_unique<CMpegFileConv>(audioBitRateIndex, sampleRateIndex, stereo);
}

}  // namespace

BEGIN_MESSAGE_MAP(CReelpackDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_TIMER()
ON_BN_CLICKED(IDC_START, &CReelpackDlg::OnStart)
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_BROWSE, &CReelpackDlg::OnBrowse)
ON_CBN_SELCHANGE(IDC_FRAME_RATE_MODE, &CReelpackDlg::OnFrameRateModeChanged)
ON_CBN_SELCHANGE(IDC_PICTURE_SIZE, &CReelpackDlg::OnPictureSizeChanged)
ON_CBN_SELCHANGE(IDC_AUDIO_BIT_RATE, &CReelpackDlg::OnAudioBitRateChanged)
ON_CBN_SELCHANGE(IDC_SAMPLE_RATE, &CReelpackDlg::OnSampleRateChanged)
ON_BN_CLICKED(IDC_STEREO, &CReelpackDlg::OnStereoClicked)
ON_CBN_SELCHANGE(IDC_QUALITY, &CReelpackDlg::OnQualityChanged)
END_MESSAGE_MAP()

CReelpackDlg::CReelpackDlg(CWnd* parent, JobFactory makeJob)
    : CDialog(ReelpackDialogTemplate(), parent),
      icon_(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : LoadIconA(nullptr, IDR_MAINFRAME)),
      makeJob_(makeJob ? std::move(makeJob) : JobFactory(MakeRealJob)) {}

// A job still running (the dialog destroyed without closing) must not write
// into figures that are about to go.
CReelpackDlg::~CReelpackDlg() { StopJob(); }

void CReelpackDlg::DoDataExchange(CDataExchange* exchange) {
  CDialog::DoDataExchange(exchange);
  DDX_Control(exchange, IDC_QUALITY, qualityList_);
  DDX_Control(exchange, IDC_STEREO, stereoBox_);
  DDX_Control(exchange, IDC_SAMPLE_RATE, sampleRateList_);
  DDX_Control(exchange, IDC_AUDIO_BIT_RATE, audioBitRateList_);
  DDX_Control(exchange, IDC_PICTURE_SIZE, sizeList_);
  DDX_Control(exchange, IDC_FRAME_RATE_MODE, frameRateList_);
  DDX_Control(exchange, IDC_PROGRESS, progressText_);
  DDX_Control(exchange, IDC_START, startButton_);
  DDX_Control(exchange, IDC_PATH_EDIT, pathEdit_);
  DDX_Control(exchange, IDC_RATE_SLIDER, rateSlider_);
}

BOOL CReelpackDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(icon_, TRUE);
  SetIcon(icon_, FALSE);

  const ConversionSettings defaults;
  inputPath_[0] = '\0';
  outputFolder_[0] = '\0';
  audioBitRateIndex_ = defaults.audioBitRateIndex;
  sampleRateIndex_ = defaults.sampleRateIndex;
  stereo_ = defaults.stereo;
  frameRateMode_ = defaults.frameRateMode;
  sizeIndex_ = defaults.sizeIndex;
  qualityIndex_ = defaults.quality;
  averageKbps_ = 0;
  maximumKbps_ = 0;
  rateSetting_ = defaults.maxRateSetting;

  frameRateList_.SetCurSel(frameRateMode_);
  sizeList_.SetCurSel(sizeIndex_);
  audioBitRateList_.SetCurSel(audioBitRateIndex_);
  sampleRateList_.SetCurSel(sampleRateIndex_);
  qualityList_.SetCurSel(qualityIndex_);
  stereoBox_.SetCheck(stereo_);

  rateSlider_.SetTicFreq(1);
  rateSlider_.SetRange(0, 50);
  rateSlider_.SetLineSize(1);
  rateSlider_.SetPageSize(2);
  rateSlider_.SetPos(static_cast<int>(rateSetting_ - kSliderToRate));
  ShowRateSetting();

  CheckRadioButton(IDC_ENCODER_MP3, IDC_ENCODER_OGG, IDC_ENCODER_MP3);
  ShowFigures();

  if (GetCurrentDirectoryA(sizeof outputFolder_, outputFolder_) >= sizeof outputFolder_) outputFolder_[0] = '\0';
  job_.reset();
  SetText(IDC_PROGRESS, "");
  SetText(IDC_SOURCE_FPS, "");

  SetTimer(kProgressTimer, kProgressPeriodMs, nullptr);
  return TRUE;
}

void CReelpackDlg::SetText(int id, const char* text) {
  if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

// Formatted from the integer: a tenth's rounding error would show 4.3 as 4.2.
void CReelpackDlg::ShowRateSetting() {
  char text[32];
  FormatText(text, "[%d.%d]Mbps", rateSetting_ / 10, rateSetting_ % 10);
  SetText(IDC_RATE_TEXT, text);
}

void CReelpackDlg::ShowFigures() {
  char text[64];
  FormatText(text, kAverageFormat, averageKbps_.load());
  SetText(IDC_AVERAGE_RATE, text);
  FormatText(text, kMaximumFormat, maximumKbps_.load());
  SetText(IDC_MAXIMUM_RATE, text);
}

void CReelpackDlg::OnSysCommand(UINT id, LPARAM lParam) { CDialog::OnSysCommand(id, lParam); }

void CReelpackDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  RECT client{};
  GetClientRect(&client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  dc.DrawIcon(x, y, icon_);
}

HCURSOR CReelpackDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(icon_); }

void CReelpackDlg::OnTimer(UINT_PTR id) {
  const std::uint32_t setting = static_cast<std::uint32_t>(rateSlider_.GetPos()) + kSliderToRate;
  if (setting != rateSetting_) {
    rateSetting_ = setting;
    ShowRateSetting();
  }
  if (job_ && job_->m_done == 1) {
    EndJob();
  } else if (job_) {
    char text[64];
    FormatText(text, kFramesFormat, job_->m_framesWritten.load(), job_->m_framesTotal.load());
    SetText(IDC_PROGRESS, text);
    FormatText(text, kFpsFormat, job_->m_sourceFps.load());
    SetText(IDC_SOURCE_FPS, text);
    ShowFigures();
  }
  CDialog::OnTimer(id);
}

void CReelpackDlg::EndJob() {
  WaitForJob();
  // A failure stays on show: an empty line after a failed job read as success.
  const CMpegFileConv& job = *job_;
  const bool movieFailed = job.m_video.status != VideoPassStatus::Written;
  const std::string result = movieFailed ? job.m_video.text : job.m_audioExport.Failed() ? job.m_audioExport.text : "";
  SetText(IDC_PROGRESS, result.c_str());
  SetText(IDC_SOURCE_FPS, "");
  job_.reset();
  startButton_.ModifyStyle(WS_DISABLED, 0);
  RedrawWindow();
}

void CReelpackDlg::StopJob() {
  if (!job_) return;
  WaitForJob();
  job_.reset();
}

void CReelpackDlg::WaitForJob() {
  CThreadCtrl control(job_.get());
  control.Kill();
  try {
    control.Wait(INFINITE);
  } catch (const CCtrlFailed&) {
    // No thread to wait for: nothing runs on the job any more.
  }
  control.CloseHandle();
}

void CReelpackDlg::OnStart() {
  if (inputPath_[0] == '\0') return;
  std::unique_ptr<CMpegFileConv> job = makeJob_(audioBitRateIndex_, sampleRateIndex_, stereo_);
  ConversionSettings settings;
  settings.frameRateMode = frameRateMode_;
  settings.sizeIndex = sizeIndex_;
  settings.quality = qualityIndex_;
  settings.maxRateSetting = static_cast<std::uint32_t>(rateSlider_.GetPos()) + kSliderToRate;
  settings.audioBitRateIndex = audioBitRateIndex_;
  settings.sampleRateIndex = sampleRateIndex_;
  settings.stereo = stereo_;
  settings.encoder = GetCheckedRadioButton(IDC_ENCODER_MP3, IDC_ENCODER_OGG) == IDC_ENCODER_OGG ? 1 : 0;
  // Both paths come from buffers of the job's size, so they fit.
  ApplyConversionSettings(settings, inputPath_, outputFolder_, *job);
  job->m_avgKbpsOut = &averageKbps_;
  job->m_maxKbpsOut = &maximumKbps_;
  job_ = std::move(job);
  try {
    CThreadCtrl(job_.get()).Start();
  } catch (const CCtrlFailed&) {
    // Without its thread the job is gone again and the dialog stays idle.
    job_.reset();
    SetText(IDC_PROGRESS, kStartFailed);
    return;
  }
  startButton_.ModifyStyle(0, WS_DISABLED);
  RedrawWindow();
}

void CReelpackDlg::OnBrowse() {
  char file[513] = {};
  char title[128] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = m_hWnd;
  dialog.lpstrFilter = "mpeg file (*.mpg;*.mpeg)\0*.mpg;*.mpeg\0all file (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrFileTitle = title;
  dialog.nMaxFileTitle = sizeof title;
  dialog.Flags = OFN_LONGNAMES;
  dialog.lpstrDefExt = "*.mpg";
  if (!GetOpenFileNameA(&dialog)) return;
  std::memcpy(inputPath_, file, std::strlen(file) + 1);
  pathEdit_.SetWindowText(file);
}

void CReelpackDlg::OnFrameRateModeChanged() { frameRateMode_ = frameRateList_.GetCurSel(); }
void CReelpackDlg::OnPictureSizeChanged() { sizeIndex_ = sizeList_.GetCurSel(); }
void CReelpackDlg::OnAudioBitRateChanged() { audioBitRateIndex_ = audioBitRateList_.GetCurSel(); }
void CReelpackDlg::OnSampleRateChanged() { sampleRateIndex_ = sampleRateList_.GetCurSel(); }
void CReelpackDlg::OnStereoClicked() { stereo_ = stereo_ == 0 ? 1 : 0; }
void CReelpackDlg::OnQualityChanged() { qualityIndex_ = qualityList_.GetCurSel(); }

// Closing stops a running job first: it writes into this dialog's figures.
void CReelpackDlg::OnOK() {
  StopJob();
  CDialog::OnOK();
}

void CReelpackDlg::OnCancel() {
  StopJob();
  CDialog::OnCancel();
}

}  // namespace reelpack
