// The menu's fixed content, written in UTF-8 and turned into Shift-JIS once.
#include <cstring>
#include <initializer_list>
#include <string>

#include "common/format_text.h"
#include "common/sjis_string.h"
#include "game/menu/system_menu.h"
#include "host/text/wide_text.h"

namespace {

class TreeBuilder {
 public:
  explicit TreeBuilder(CMenuTree& tree) : tree_(tree) {}

  void Command(MenuNode* node, std::uint32_t id, const char* utf8) { tree_.AddItem(node, id, kMenuCommand, Sjis(utf8).c_str()); }
  void Separator(MenuNode* node) { tree_.AddItem(node, 0, kMenuSeparator, ""); }
  MenuNode* Submenu(MenuNode* node, const char* utf8) {
    const int index = tree_.AddItem(node, 0, kMenuSubmenu, Sjis(utf8).c_str());
    return tree_.AddNode(node, static_cast<std::uint32_t>(index));
  }
  // count items from first, texts from utf8 formats with the item number.
  void Numbered(MenuNode* node, std::uint32_t first, std::uint32_t count, const char* format, int start, int step) {
    for (std::uint32_t k = 0; k < count; ++k) {
      char text[96];
      FormatText(text, sizeof text, Sjis(format).c_str(), start + step * static_cast<int>(k));
      tree_.AddItem(node, first + k, kMenuCommand, text);
    }
  }
  // "100%" down to "10%".
  void Volumes(MenuNode* node, std::uint32_t first) {
    for (std::uint32_t k = 0; k < 10; ++k) {
      char text[8];
      FormatText(text, sizeof text, "%d%c", 100 - 10 * static_cast<int>(k), '%');
      tree_.AddItem(node, first + k, kMenuCommand, text);
    }
  }
  void List(MenuNode* node, std::uint32_t first, std::initializer_list<const char*> texts) {
    std::uint32_t id = first;
    for (const char* text : texts) Command(node, id++, text);
  }

 private:
  static std::string Sjis(const char* utf8) {
    std::string out;
    return ShiftJisFromUtf8(utf8, &out) ? out : std::string();
  }
  CMenuTree& tree_;
};

}  // namespace

void CSystemMenu::BuildTree(const FontListPort& fonts) {
  TreeBuilder b(*this);
  MenuNode* root = AddNode(nullptr, 0);
  b.Numbered(b.Submenu(root, "ﾛｰﾄﾞ"), 40017, 15, "LOAD_%z3", 1, 1);
  b.Numbered(b.Submenu(root, "ｾｰﾌﾞ"), 40032, 15, "SAVE_%z3", 1, 1);
  b.Numbered(b.Submenu(root, "ｸｲｯｸｾｰﾌﾞのﾛｰﾄﾞ"), 40222, 3, "SAVE_AUTO_%z2", 1, 1);
  b.Command(root, kPreviousChoiceItem, "前の選択肢へ戻る");
  b.Separator(root);
  b.Command(b.Submenu(root, "表示効果"), 40049, "ｴﾌｪｸﾄ有効");

  MenuNode* settings = b.Submenu(root, "設定");
  b.Volumes(b.Submenu(settings, "基準音量"), 40126);
  struct Channel {
    const char* name;
    std::uint32_t volumes;
    std::uint32_t play;
  };
  for (const Channel& channel : {Channel{"ﾐｭｰｼﾞｯｸ", 40069, 40068}, Channel{"音声", 40079, 40067},
                                 Channel{"効果音", 40109, 40108}}) {
    MenuNode* node = b.Submenu(settings, channel.name);
    b.Volumes(b.Submenu(node, "音量"), channel.volumes);
    b.Separator(node);
    b.Command(node, channel.play, "再生");
  }
  MenuNode* movie = b.Submenu(settings, "動画");
  b.Volumes(b.Submenu(movie, "音量"), 40136);
  b.Command(movie, 40196, "線形補間[VGA]");
  b.List(b.Submenu(settings, "音声ｶｯﾄﾓｰﾄﾞ"), 40193, {"ﾃｷｽﾄ送りで停止", "次の台詞の音声まで", "音声ﾌｪｰﾄﾞｱｳﾄ"});
  b.List(b.Submenu(settings, "音質"), 40258, {"標準", "高音質"});
  b.List(b.Submenu(settings, "ｻｳﾝﾄﾞ検索"), 40260, {"MP3優先", "OGG優先"});
  b.Command(b.Submenu(settings, "ｻｳﾝﾄﾞﾊﾞｯﾌｧ"), 40330, "半分設定");
  MenuNode* center = b.Submenu(settings, "ｶｰｿﾙ中央");
  b.List(center, 40163, {"無効", "ﾒﾆｭｰ表示", "ｳｨﾝﾄﾞｳ消去", "ﾃｷｽﾄ回想", "ｸｲｯｸｾｰﾌﾞ", "ｸｲｯｸﾛｰﾄﾞ"});
  b.Separator(center);
  b.Command(center, 40158, "二度押し設定");
  b.List(b.Submenu(settings, "ｶｰｿﾙ動作ﾓｰﾄﾞ"), 40120, {"通常", "基本抑制", "横優先", "縦優先", "完全抑制"});
  MenuNode* manner = b.Submenu(settings, "ﾏﾅｰﾓｰﾄﾞ");
  b.List(manner, 40160, {"気にしないよ", "少しくらいなら……", "見ちゃダメお兄ちゃん！"});
  b.Separator(manner);
  b.Command(manner, 40177, "音声も恥ずかしいの……");

  MenuNode* message = b.Submenu(root, "ﾒｯｾｰｼﾞ");
  MenuNode* fontNode = b.Submenu(message, "ﾌｫﾝﾄ選択");
  for (std::uint32_t k = 0; k < fonts.Count() && k < kMaxFontItems; ++k) {
    // The characters that start in the first 24 bytes: 25 bytes when a
    // double-byte character starts at the 24th, never half a character.
    char text[26] = {};
    const char* name = fonts.Name(k);
    std::uint32_t length = 0;
    while (length < 24 && name[length] != '\0') {
      length += IsSjisLeadByte(static_cast<unsigned char>(name[length])) && name[length + 1] != '\0' ? 2 : 1;
    }
    std::memcpy(text, name, length);
    AddItem(fontNode, kFirstFontItem + k, kMenuCommand, text);
  }
  MenuNode* antiAlias = b.Submenu(message, "ｱﾝﾁｴｲﾘｱｽ");
  b.List(antiAlias, 40051, {"無効", "弱", "中", "強"});
  b.Separator(antiAlias);
  b.Command(antiAlias, 40125, "影文字");
  MenuNode* speed = b.Submenu(message, "表示速度");
  b.Command(speed, 40225, "LEVEL0(最速)");
  b.Numbered(speed, 40226, 8, "LEVEL%d", 1, 1);
  b.Command(speed, 40234, "LEVEL9(激遅)");
  MenuNode* automatic = b.Submenu(message, "自動送り");
  b.Command(automatic, 40205, "有効にする");
  b.Numbered(b.Submenu(automatic, "基準"), 40235, 10, "基準：%dms", 200, 200);
  b.Numbered(b.Submenu(automatic, "文字"), 40245, 10, "文字：%dms", 0, 10);
  b.Command(automatic, 40098, "音声と同期させる");
  MenuNode* skip = b.Submenu(message, "ｽｷｯﾌﾟ制御");
  b.Command(skip, 40059, "未読停止");
  b.Command(skip, 40146, "ｽｷｯﾌﾟﾛｯｸ");
  b.List(b.Submenu(message, "ログモード"), 40220, {"ｶｰｿﾙ上で起動", "Ｂﾎﾞﾀﾝで起動"});
  b.List(b.Submenu(message, "主人公"), 40331, {"トバル", "ペルモ"});
  b.Separator(root);
  b.Command(root, 40008, "ﾀｲﾄﾙに戻る");
  b.Separator(root);
  b.Command(root, 40306, "ｼｽﾃﾑ休止");
  b.Command(root, 40007, "終了");
}
