#include "converter/dialog/reelpack_dlg.h"

#include <cstring>

#include "common/format_text.h"
#include "converter/dialog/dialog_template.h"
#include "converter/job/conversion_settings.h"
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
constexpr char kFramesFormat[] = "\x95\xcf\x8a\xb7\x83" "f\x81[\x83^\x90\x94\x81" "F%d / %d";  // 変換データ数：%d / %d
constexpr char kFpsFormat[] = "FPS(%f2.3)";
constexpr char kAverageFormat[] = "\x95\xbd\x8b\xcf\x83r\x83" "b\x83g\x83\x8c\x81[\x83g\x81" "F%dkbps";  // 平均ビットレート：%dkbps
constexpr char kMaximumFormat[] = "\x8d\xc5\x91\xe5\x83r\x83" "b\x83g\x83\x8c\x81[\x83g\x81" "F%dkbps";  // 最大ビットレート：%dkbps
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
      m_hIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : LoadIconA(nullptr, IDR_MAINFRAME)),
      m_makeJob(makeJob ? std::move(makeJob) : JobFactory(MakeRealJob)) {}

// A job still running (the dialog destroyed without closing) must not write
// into figures that are about to go.
CReelpackDlg::~CReelpackDlg() { StopJob(); }

void CReelpackDlg::DoDataExchange(CDataExchange* exchange) {
  CDialog::DoDataExchange(exchange);
  DDX_Control(exchange, IDC_QUALITY, m_qualityList);
  DDX_Control(exchange, IDC_STEREO, m_stereoBox);
  DDX_Control(exchange, IDC_SAMPLE_RATE, m_sampleRateList);
  DDX_Control(exchange, IDC_AUDIO_BIT_RATE, m_audioBitRateList);
  DDX_Control(exchange, IDC_PICTURE_SIZE, m_sizeList);
  DDX_Control(exchange, IDC_FRAME_RATE_MODE, m_frameRateList);
  DDX_Control(exchange, IDC_PROGRESS, m_progressText);
  DDX_Control(exchange, IDC_START, m_startButton);
  DDX_Control(exchange, IDC_PATH_EDIT, m_pathEdit);
  DDX_Control(exchange, IDC_RATE_SLIDER, m_rateSlider);
}

BOOL CReelpackDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  const ConversionSettings defaults;
  m_inputPath[0] = '\0';
  m_outputFolder[0] = '\0';
  m_audioBitRateIndex = defaults.audioBitRateIndex;
  m_sampleRateIndex = defaults.sampleRateIndex;
  m_stereo = defaults.stereo;
  m_frameRateMode = defaults.frameRateMode;
  m_sizeIndex = defaults.sizeIndex;
  m_qualityIndex = defaults.quality;
  m_averageKbps = 0;
  m_maximumKbps = 0;
  m_rateSetting = defaults.maxRateSetting;

  m_frameRateList.SetCurSel(m_frameRateMode);
  m_sizeList.SetCurSel(m_sizeIndex);
  m_audioBitRateList.SetCurSel(m_audioBitRateIndex);
  m_sampleRateList.SetCurSel(m_sampleRateIndex);
  m_qualityList.SetCurSel(m_qualityIndex);
  m_stereoBox.SetCheck(m_stereo);

  m_rateSlider.SetTicFreq(1);
  m_rateSlider.SetRange(0, 50);
  m_rateSlider.SetLineSize(1);
  m_rateSlider.SetPageSize(2);
  m_rateSlider.SetPos(static_cast<int>(m_rateSetting - kSliderToRate));
  ShowRateSetting();

  CheckRadioButton(IDC_ENCODER_MP3, IDC_ENCODER_OGG, IDC_ENCODER_MP3);
  ShowFigures();

  if (GetCurrentDirectoryA(sizeof m_outputFolder, m_outputFolder) >= sizeof m_outputFolder) m_outputFolder[0] = '\0';
  m_job.reset();
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
  FormatText(text, "[%d.%d]Mbps", m_rateSetting / 10, m_rateSetting % 10);
  SetText(IDC_RATE_TEXT, text);
}

void CReelpackDlg::ShowFigures() {
  char text[64];
  FormatText(text, kAverageFormat, m_averageKbps.load());
  SetText(IDC_AVERAGE_RATE, text);
  FormatText(text, kMaximumFormat, m_maximumKbps.load());
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
  dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CReelpackDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CReelpackDlg::OnTimer(UINT_PTR id) {
  const std::uint32_t setting = static_cast<std::uint32_t>(m_rateSlider.GetPos()) + kSliderToRate;
  if (setting != m_rateSetting) {
    m_rateSetting = setting;
    ShowRateSetting();
  }
  if (m_job && m_job->m_done == 1) {
    EndJob();
  } else if (m_job) {
    char text[64];
    FormatText(text, kFramesFormat, m_job->m_framesWritten.load(), m_job->m_framesTotal.load());
    SetText(IDC_PROGRESS, text);
    FormatText(text, kFpsFormat, m_job->m_sourceFps.load());
    SetText(IDC_SOURCE_FPS, text);
    ShowFigures();
  }
  CDialog::OnTimer(id);
}

void CReelpackDlg::EndJob() {
  // A failure stays on show: an empty line after a failed job read as success.
  const CMpegFileConv& job = *m_job;
  const bool movieFailed = job.m_video.status != VideoPassStatus::Written;
  const std::string result = movieFailed ? job.m_video.text : job.m_audioExport.Failed() ? job.m_audioExport.text : "";
  SetText(IDC_PROGRESS, result.c_str());
  SetText(IDC_SOURCE_FPS, "");
  StopJob();
  m_startButton.ModifyStyle(WS_DISABLED, 0);
  RedrawWindow();
}

void CReelpackDlg::StopJob() {
  if (!m_job) return;
  CThreadCtrl control(m_job.get());
  control.Kill();
  try {
    control.Wait(INFINITE);
  } catch (const CCtrlFailed&) {
    // No thread to wait for: nothing runs on the job any more.
  }
  control.CloseHandle();
  m_job.reset();
}

void CReelpackDlg::OnStart() {
  if (m_inputPath[0] == '\0') return;
  std::unique_ptr<CMpegFileConv> job = m_makeJob(m_audioBitRateIndex, m_sampleRateIndex, m_stereo);
  ConversionSettings settings;
  settings.frameRateMode = m_frameRateMode;
  settings.sizeIndex = m_sizeIndex;
  settings.quality = m_qualityIndex;
  settings.maxRateSetting = static_cast<std::uint32_t>(m_rateSlider.GetPos()) + kSliderToRate;
  settings.audioBitRateIndex = m_audioBitRateIndex;
  settings.sampleRateIndex = m_sampleRateIndex;
  settings.stereo = m_stereo;
  settings.encoder = GetCheckedRadioButton(IDC_ENCODER_MP3, IDC_ENCODER_OGG) == IDC_ENCODER_OGG ? 1 : 0;
  ApplyConversionSettings(settings, m_inputPath, m_outputFolder, *job);
  job->m_avgKbpsOut = &m_averageKbps;
  job->m_maxKbpsOut = &m_maximumKbps;
  m_job = std::move(job);
  try {
    CThreadCtrl(m_job.get()).Start();
  } catch (const CCtrlFailed&) {
    // Without its thread the job is gone again and the dialog stays idle.
    m_job.reset();
    SetText(IDC_PROGRESS, kStartFailed);
    return;
  }
  m_startButton.ModifyStyle(0, WS_DISABLED);
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
  std::memcpy(m_inputPath, file, std::strlen(file) + 1);
  m_pathEdit.SetWindowText(file);
}

void CReelpackDlg::OnFrameRateModeChanged() { m_frameRateMode = m_frameRateList.GetCurSel(); }
void CReelpackDlg::OnPictureSizeChanged() { m_sizeIndex = m_sizeList.GetCurSel(); }
void CReelpackDlg::OnAudioBitRateChanged() { m_audioBitRateIndex = m_audioBitRateList.GetCurSel(); }
void CReelpackDlg::OnSampleRateChanged() { m_sampleRateIndex = m_sampleRateList.GetCurSel(); }
void CReelpackDlg::OnStereoClicked() { m_stereo = m_stereo == 0 ? 1 : 0; }
void CReelpackDlg::OnQualityChanged() { m_qualityIndex = m_qualityList.GetCurSel(); }

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
