// The converter's dialog: the input file (browse), the video and sound
// settings, Start, and a 100 ms timer showing the job's progress until it is
// done. One job at a time; closing the dialog stops a running job first.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "converter/dialog/win_edit.h"
#include "converter/job/conversion_job_record.h"
#include "host/mfc/dialog.h"

namespace reelpack {

class CReelpackDlg : public CDialog {
 public:
  // Makes the job Start runs; the tests' seam.
  using JobFactory =
      std::function<std::unique_ptr<CMpegFileConv>(std::int32_t audioBitRateIndex, std::int32_t sampleRateIndex,
                                                   std::int32_t stereo)>;

  // Without a factory Start makes the real job.
  explicit CReelpackDlg(CWnd* parent = nullptr, JobFactory makeJob = {});
  ~CReelpackDlg() override;

  const char* InputPath() const { return m_inputPath; }
  const char* OutputFolder() const { return m_outputFolder; }
  const CMpegFileConv* Job() const { return m_job.get(); }
  const CWinEdit& PathEdit() const { return m_pathEdit; }

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* exchange) override;
  void OnOK() override;
  void OnCancel() override;

  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnTimer(UINT_PTR id);
  void OnStart();
  void OnBrowse();
  void OnFrameRateModeChanged();
  void OnPictureSizeChanged();
  void OnAudioBitRateChanged();
  void OnSampleRateChanged();
  void OnStereoClicked();
  void OnQualityChanged();

  DECLARE_MESSAGE_MAP()

 private:
  // Asks a running job to stop, waits for its thread and deletes it.
  void StopJob();
  // Deletes the finished job; Start is enabled again.
  void EndJob();
  void ShowRateSetting();
  void ShowFigures();
  void SetText(int id, const char* text);

  CComboBox m_qualityList;
  CButton m_stereoBox;
  CComboBox m_sampleRateList;
  CComboBox m_audioBitRateList;
  CComboBox m_sizeList;
  CComboBox m_frameRateList;
  CStatic m_progressText;
  CButton m_startButton;
  CWinEdit m_pathEdit;
  CSliderCtrl m_rateSlider;
  char m_inputPath[1024] = {};
  char m_outputFolder[1024] = {};
  std::unique_ptr<CMpegFileConv> m_job;
  std::int32_t m_audioBitRateIndex = 3;
  std::int32_t m_sampleRateIndex = 0;
  std::int32_t m_stereo = 1;
  std::int32_t m_frameRateMode = 0;
  std::int32_t m_sizeIndex = 0;
  std::int32_t m_qualityIndex = 8;
  std::uint32_t m_rateSetting = 45;
  std::atomic<std::int32_t> m_averageKbps{0};
  std::atomic<std::int32_t> m_maximumKbps{0};
  HICON m_hIcon;
  JobFactory m_makeJob;
};

}  // namespace reelpack
