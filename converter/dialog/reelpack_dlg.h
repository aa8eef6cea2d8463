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
#include "converter/job/conversion_settings.h"
#include "host/mfc/dialog.h"

namespace reelpack {

class CReelpackDlg : public CDialog {
 public:
  // Makes the job Start runs; the tests' seam.
  using JobFactory = std::function<std::unique_ptr<CMpegFileConv>(std::int32_t audioBitRateIndex,
                                                                  std::int32_t sampleRateIndex, std::int32_t stereo)>;

  // Without a factory Start makes the real job.
  explicit CReelpackDlg(CWnd* parent = nullptr, JobFactory makeJob = {});
  ~CReelpackDlg() override;

  const char* InputPath() const { return inputPath_; }
  const char* OutputFolder() const { return outputFolder_; }
  const CMpegFileConv* Job() const { return job_.get(); }
  const CWinEdit& PathEdit() const { return pathEdit_; }

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
  // Asks the job to stop and waits until its thread has ended.
  void WaitForJob();
  // Stops a running job and deletes it.
  void StopJob();
  // Shows the finished job's result and deletes it; Start is enabled again.
  void EndJob();
  void ShowRateSetting();
  void ShowFigures();
  void SetText(int id, const char* text);

  CComboBox qualityList_;
  CButton stereoBox_;
  CComboBox sampleRateList_;
  CComboBox audioBitRateList_;
  CComboBox sizeList_;
  CComboBox frameRateList_;
  CStatic progressText_;
  CButton startButton_;
  CWinEdit pathEdit_;
  CSliderCtrl rateSlider_;
  char inputPath_[1024] = {};
  char outputFolder_[1024] = {};
  std::unique_ptr<CMpegFileConv> job_;
  std::int32_t audioBitRateIndex_ = ConversionSettings{}.audioBitRateIndex;
  std::int32_t sampleRateIndex_ = ConversionSettings{}.sampleRateIndex;
  std::int32_t stereo_ = ConversionSettings{}.stereo;
  std::int32_t frameRateMode_ = ConversionSettings{}.frameRateMode;
  std::int32_t sizeIndex_ = ConversionSettings{}.sizeIndex;
  std::int32_t qualityIndex_ = ConversionSettings{}.quality;
  std::uint32_t rateSetting_ = ConversionSettings{}.maxRateSetting;  // tenths of Mbit/s: slider position + 20
  std::atomic<std::int32_t> averageKbps_{0};
  std::atomic<std::int32_t> maximumKbps_{0};
  HICON icon_;
  JobFactory makeJob_;
};

}  // namespace reelpack
