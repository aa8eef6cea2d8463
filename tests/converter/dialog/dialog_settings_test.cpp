// The dialog's controls before any job: the initial state, what each
// control's use gives the next job, browsing, dropping and the rate text.
#include <gtest/gtest.h>

#include <functional>

#include "converter/dialog/dialog_template.h"
#include "host/mfc/drop_files_api.h"
#include "host/mfc/file_chooser_api.h"
#include "tests/converter/dialog/dialog_fixture.h"

using namespace reelpack;

namespace dialog_test {
namespace {

// 平均ビットレート：0kbps and 最大ビットレート：0kbps
const std::string kAverageZero =
    "\x95\xbd\x8b\xcf\x83r\x83"
    "b\x83g\x83\x8c\x81[\x83g\x81"
    "F0kbps";
const std::string kMaximumZero =
    "\x8d\xc5\x91\xe5\x83r\x83"
    "b\x83g\x83\x8c\x81[\x83g\x81"
    "F0kbps";

using DialogSettings = DialogTest;

TEST_F(DialogSettings, OpensWithTheDefaultsAndTheCurrentFolder) {
  Open();
  DialogDriver& d = *driver_;
  EXPECT_EQ(d.Selection(IDC_FRAME_RATE_MODE), 0);
  EXPECT_EQ(d.Selection(IDC_PICTURE_SIZE), 0);
  EXPECT_EQ(d.Selection(IDC_AUDIO_BIT_RATE), 3);
  EXPECT_EQ(d.Selection(IDC_SAMPLE_RATE), 0);
  EXPECT_EQ(d.Selection(IDC_QUALITY), 8);
  EXPECT_EQ(d.Check(IDC_STEREO), BST_CHECKED);
  EXPECT_EQ(d.Check(IDC_ENCODER_MP3), BST_CHECKED);
  EXPECT_EQ(d.Check(IDC_ENCODER_OGG), BST_UNCHECKED);
  const ControlState& slider = d.State(IDC_RATE_SLIDER);
  EXPECT_EQ(slider.position, 25);
  EXPECT_EQ(slider.rangeMin, 0);
  EXPECT_EQ(slider.rangeMax, 50);
  EXPECT_EQ(slider.ticFrequency, 1);
  EXPECT_EQ(slider.lineSize, 1);
  EXPECT_EQ(slider.pageSize, 2);
  EXPECT_EQ(d.Text(IDC_RATE_TEXT), "[4.5]Mbps");
  EXPECT_EQ(d.Text(IDC_PROGRESS), "");
  EXPECT_EQ(d.Text(IDC_SOURCE_FPS), "");
  EXPECT_EQ(d.Text(IDC_AVERAGE_RATE), kAverageZero);
  EXPECT_EQ(d.Text(IDC_MAXIMUM_RATE), kMaximumZero);
  EXPECT_EQ(Utf8(d.Text(IDC_AVERAGE_RATE)), "平均ビットレート：0kbps");
  EXPECT_EQ(d.TextUtf8(IDC_MAXIMUM_RATE), "最大ビットレート：0kbps");
  EXPECT_TRUE(d.Enabled(IDC_START));
  EXPECT_STREQ(dialog_->InputPath(), "");
  EXPECT_EQ(dialog_->OutputFolder(), Folder());
  EXPECT_FALSE(Folder().empty());
  EXPECT_EQ(dialog_->Job(), nullptr);
}

TEST_F(DialogSettings, TemplateHoldsTheControlsListsAndTexts) {
  Open();
  DialogDriver& d = *driver_;
  EXPECT_EQ(Utf8(dialog_->GetWindowText()), "reelpack ver1.03（Linux）");
  EXPECT_EQ(d.TextUtf8(IDC_START), "開始(&S)");
  EXPECT_EQ(d.TextUtf8(IDC_BROWSE), "参照(&F)");
  EXPECT_EQ(d.TextUtf8(IDC_STEREO), "ｽﾃﾚｵ");
  EXPECT_EQ(d.Text(IDC_ENCODER_MP3), "GOGO.DLL[MP3]");
  EXPECT_EQ(d.Text(IDC_ENCODER_OGG), "OGGENC.DLL[OGG]");
  const std::vector<std::string> modes = d.Items(IDC_FRAME_RATE_MODE);
  ASSERT_EQ(modes.size(), 3u);
  EXPECT_EQ(Utf8(modes[0]), "基準値(MAX15fps)");
  EXPECT_EQ(Utf8(modes[1]), "最大値(MAX30fps)");
  EXPECT_EQ(Utf8(modes[2]), "最小値(MAX10fps)");
  EXPECT_EQ(d.Items(IDC_PICTURE_SIZE), (std::vector<std::string>{"320 * 240", "640 * 480"}));
  const std::vector<std::string> rates = d.Items(IDC_AUDIO_BIT_RATE);
  ASSERT_EQ(rates.size(), 13u);
  EXPECT_EQ(rates[0], "16/8kbit");
  EXPECT_EQ(rates[3], "64/32kbit");
  EXPECT_EQ(rates[12], "320/160kbit");
  EXPECT_EQ(d.Items(IDC_SAMPLE_RATE), (std::vector<std::string>{"22.05kHz", "44.10kHz"}));
  const std::vector<std::string> qualities = d.Items(IDC_QUALITY);
  ASSERT_EQ(qualities.size(), 20u);
  for (std::size_t i = 0; i < qualities.size(); ++i) EXPECT_EQ(qualities[i], std::to_string(100 - 5 * i) + "%");
  EXPECT_EQ(d.Style(IDC_PATH_EDIT) & ES_READONLY, ES_READONLY);
  // The Ogg note is the template's own text; no control changes for it.
  bool noteFound = false;
  for (const DialogItemTemplate& item : ReelpackDialogTemplate().items) {
    noteFound = noteFound || Utf8(item.text) == "[OGG]の場合は[32/16kbit]以下は[48/24kbit]に強制設定。";
  }
  EXPECT_TRUE(noteFound);
}

TEST_F(DialogSettings, EachControlReachesTheNextJob) {
  struct Case {
    const char* name;
    std::function<void(DialogDriver&)> use;
    std::function<void(JobFields&)> expect;
  };
  const std::vector<Case> cases = {
      {"defaults", [](DialogDriver&) {}, [](JobFields&) {}},
      {"full rate", [](DialogDriver& d) { d.Select(IDC_FRAME_RATE_MODE, 1); },
       [](JobFields& f) { f.frameRateMode = 1; }},
      {"minimum rate", [](DialogDriver& d) { d.Select(IDC_FRAME_RATE_MODE, 2); },
       [](JobFields& f) { f.frameRateMode = 2; }},
      {"640 x 480", [](DialogDriver& d) { d.Select(IDC_PICTURE_SIZE, 1); }, [](JobFields& f) { f.sizeIndex = 1; }},
      {"16/8kbit", [](DialogDriver& d) { d.Select(IDC_AUDIO_BIT_RATE, 0); },
       [](JobFields& f) { f.audioBitRateIndex = 0; }},
      {"320/160kbit", [](DialogDriver& d) { d.Select(IDC_AUDIO_BIT_RATE, 12); },
       [](JobFields& f) { f.audioBitRateIndex = 12; }},
      {"44.1 kHz", [](DialogDriver& d) { d.Select(IDC_SAMPLE_RATE, 1); }, [](JobFields& f) { f.sampleRateIndex = 1; }},
      {"100%", [](DialogDriver& d) { d.Select(IDC_QUALITY, 0); }, [](JobFields& f) { f.quality = 0; }},
      {"5%", [](DialogDriver& d) { d.Select(IDC_QUALITY, 19); }, [](JobFields& f) { f.quality = 19; }},
      {"mono", [](DialogDriver& d) { d.Click(IDC_STEREO); }, [](JobFields& f) { f.stereo = 0; }},
      {"stereo again",
       [](DialogDriver& d) {
         d.Click(IDC_STEREO);
         d.Click(IDC_STEREO);
       },
       [](JobFields&) {}},
      {"ogg", [](DialogDriver& d) { d.Click(IDC_ENCODER_OGG); }, [](JobFields& f) { f.encoder = 1; }},
      {"ogg then mp3",
       [](DialogDriver& d) {
         d.Click(IDC_ENCODER_OGG);
         d.Click(IDC_ENCODER_MP3);
       },
       [](JobFields&) {}},
      {"slider at 0", [](DialogDriver& d) { d.Slide(IDC_RATE_SLIDER, 0); },
       [](JobFields& f) { f.maxRateSetting = 20; }},
      {"slider at 50", [](DialogDriver& d) { d.Slide(IDC_RATE_SLIDER, 50); },
       [](JobFields& f) { f.maxRateSetting = 70; }},
      {"slider past its end", [](DialogDriver& d) { d.Slide(IDC_RATE_SLIDER, 80); },
       [](JobFields& f) { f.maxRateSetting = 70; }},
      {"slider, no tick yet", [](DialogDriver& d) { d.Slide(IDC_RATE_SLIDER, 7); },
       [](JobFields& f) { f.maxRateSetting = 27; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    jobs_ = FakeJobLog{};
    Open();
    Browse("/movies/clip.mpg");
    c.use(*driver_);
    driver_->Click(IDC_START);
    ASSERT_EQ(jobs_.made, 1);
    ASSERT_NE(jobs_.live, nullptr);
    JobFields expected{0, 0, 8, 3, 0, 1, 0, 45, "/movies/clip.mpg", Folder()};
    c.expect(expected);
    EXPECT_EQ(FieldsOf(*jobs_.live), expected);
    EXPECT_NE(jobs_.live->m_avgKbpsOut, nullptr);
    EXPECT_NE(jobs_.live->m_maxKbpsOut, nullptr);
    EXPECT_FALSE(driver_->Enabled(IDC_START));
    driver_->PressEscape();
    driver_.reset();
    dialog_.reset();
  }
}

TEST_F(DialogSettings, StartWithoutAFileDoesNothing) {
  Open();
  driver_->Click(IDC_START);
  EXPECT_EQ(jobs_.made, 0);
  EXPECT_EQ(dialog_->Job(), nullptr);
  EXPECT_TRUE(driver_->Enabled(IDC_START));
}

TEST_F(DialogSettings, BrowseAnsweredSetsPathAndEditCancelledChangesNothing) {
  Open();
  HostQueueFileChoice("/data/opening.mpg");
  driver_->Click(IDC_BROWSE);
  EXPECT_STREQ(dialog_->InputPath(), "/data/opening.mpg");
  EXPECT_EQ(driver_->Text(IDC_PATH_EDIT), "/data/opening.mpg");
  EXPECT_EQ(dialog_->OutputFolder(), Folder());

  HostQueueFileChoiceCancel();
  driver_->Click(IDC_BROWSE);
  EXPECT_STREQ(dialog_->InputPath(), "/data/opening.mpg");
  EXPECT_EQ(driver_->Text(IDC_PATH_EDIT), "/data/opening.mpg");

  const std::vector<FileChooserCall> calls = HostTakeFileChooserCalls();
  ASSERT_EQ(calls.size(), 2u);
  const FileChooserCall& call = calls[0];
  EXPECT_EQ(call.owner, dialog_->m_hWnd);
  EXPECT_EQ(call.filter,
            (std::vector<std::string>{"mpeg file (*.mpg;*.mpeg)", "*.mpg;*.mpeg", "all file (*.*)", "*.*"}));
  EXPECT_EQ(call.filterIndex, 1u);
  EXPECT_EQ(call.maxFile, 513u);
  EXPECT_EQ(call.maxFileTitle, 128u);
  EXPECT_EQ(call.flags & OFN_LONGNAMES, OFN_LONGNAMES);
  EXPECT_EQ(call.defaultExtension, "*.mpg");
}

TEST_F(DialogSettings, DropFillsOnlyTheEditsBufferAndFlag) {
  Open();
  Browse("/data/chosen.mpg");
  const CWinEdit& edit = dialog_->PathEdit();
  EXPECT_EQ(edit.m_dropped, 0);
  const std::string longPath = "/" + std::string(400, 'd') + ".mpg";
  driver_->Drop(IDC_PATH_EDIT, {longPath, "/data/second.mpg"});
  EXPECT_EQ(edit.m_dropped, 1);
  EXPECT_EQ(std::string(edit.m_droppedPath), longPath.substr(0, 255));
  EXPECT_STREQ(dialog_->InputPath(), "/data/chosen.mpg");
  EXPECT_EQ(driver_->Text(IDC_PATH_EDIT), "/data/chosen.mpg");
  EXPECT_EQ(HostOpenDrops(), 0);
}

// The text shows the setting exactly at each of the 51 positions.
TEST_F(DialogSettings, RateTextShowsEverySettingExactly) {
  Open();
  for (int position = 50; position >= 0; --position) {
    driver_->Slide(IDC_RATE_SLIDER, position);
    Tick();
    const int setting = position + 20;
    EXPECT_EQ(driver_->Text(IDC_RATE_TEXT),
              "[" + std::to_string(setting / 10) + "." + std::to_string(setting % 10) + "]Mbps")
        << "position " << position;
  }
}

}  // namespace
}  // namespace dialog_test
