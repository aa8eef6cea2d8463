#include "game/saves/save_file.h"

#include <cstring>

#include "common/byte_order.h"
#include "common/format_text.h"
#include "common/sjis_string.h"
#include "game/stores/byte_image.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'S', 'T', 'A', '1'};
constexpr std::size_t kChoiceBlockSize = 600;

// The header's fields at their offsets, one function for both directions so
// that the writer and the reader cannot drift apart.
template <typename Field>
void VisitHeader(SaveHeader& h, Field&& field) {
  field.Text(8, h.timeStamp, sizeof h.timeStamp);
  field.Text(104, h.messageText, sizeof h.messageText);
  field.Text(360, h.scriptName, sizeof h.scriptName);
  field.Text(384, h.voiceName, sizeof h.voiceName);
  field.Word(448, h.voiceSpeaker);
  field.Word(452, h.fontSizeOffset);
  field.Word(456, h.reserved);
  field.Word(460, h.frameType);
  field.Word(464, h.novel);
  field.Word(468, h.windowShown);
  field.Word(472, h.reversal);
  field.Word(476, h.backgroundColor);
  field.Word(480, h.fontColor);
  field.Text(492, h.background, sizeof h.background);
  field.Word(524, h.backgroundX);
  field.Word(528, h.backgroundY);
  const auto sound = [&field](std::size_t at, SoundRecord& record) {
    field.Word(at, record.playing);
    field.Text(at + 4, record.name, sizeof record.name);
    field.Word(at + 36, record.level);
    field.Word(at + 40, record.loop);
  };
  for (int i = 0; i < kSaveEffects; ++i) sound(532 + 44 * static_cast<std::size_t>(i), h.effects[i]);
  sound(708, h.music);
  for (int i = 0; i < kSaveCharacters; ++i) {
    const std::size_t at = 752 + 48 * static_cast<std::size_t>(i);
    SavedCharacter& c = h.characters[i];
    field.Word(at, c.inUse);
    field.Text(at + 4, c.name, sizeof c.name);
    field.Word(at + 36, c.x);
    field.Word(at + 40, c.y);
    field.Word(at + 44, c.color);
  }
  field.Text(992, h.returnName, sizeof h.returnName);
  field.Word(1024, h.returnPosition);
  SavedChoice& choice = h.choice;
  field.Word(1028, choice.count);
  field.Word(1032, choice.chosen);
  field.Word(1036, choice.x);
  field.Word(1040, choice.top);
  field.Word(1044, choice.unused);
  field.Word(1048, choice.spacing);
  for (int i = 0; i < kSaveChoices; ++i) {
    field.Text(1052 + kSaveChoiceTextSize * static_cast<std::size_t>(i), choice.texts[i], kSaveChoiceTextSize);
    field.Text(1436 + kSaveNameSize * static_cast<std::size_t>(i), choice.labels[i], kSaveNameSize);
  }
  static_assert(1028 + kChoiceBlockSize == 1628);
  for (int i = 0; i < kSaveCharacters; ++i) field.Word(1628 + 4 * static_cast<std::size_t>(i), h.priorities[i]);
  field.Word(1648, h.readPosition);
  field.Word(1652, h.stepFrames);
}

struct HeaderWriter {
  std::uint8_t* out;
  template <typename T>
  void Word(std::size_t at, T& value) {
    WriteLe32(out + at, static_cast<std::uint32_t>(value));
  }
  // Cut to the field, NUL-terminated, the rest zero.
  void Text(std::size_t at, const char* text, std::size_t size) {
    const std::size_t length = strnlen(text, size - 1);
    std::memcpy(out + at, text, length);
  }
};

struct HeaderReader {
  const std::uint8_t* in;
  bool ok = true;
  template <typename T>
  void Word(std::size_t at, T& value) {
    value = static_cast<T>(ReadLe32(in + at));
  }
  // A text without its NUL inside the field marks the header bad.
  void Text(std::size_t at, char* text, std::size_t size) {
    const void* end = std::memchr(in + at, 0, size);
    if (end == nullptr) {
      ok = false;
      return;
    }
    std::memcpy(text, in + at, size);
  }
};

std::vector<std::uint8_t> LocalsBlock(const std::vector<ScriptVariable>& locals) {
  std::vector<std::uint8_t> out;
  PutWord(out, static_cast<std::uint32_t>(locals.size()));
  for (const ScriptVariable& variable : locals) {
    PutName(out, variable.name);
    PutWord(out, static_cast<std::uint32_t>(variable.value));
  }
  return out;
}

std::vector<std::uint8_t> BacklogBlock(const std::vector<SavedBacklogEntry>& backlog) {
  std::vector<std::uint8_t> out;
  if (backlog.empty()) {
    PutWord(out, 0);
    return out;
  }
  PutWord(out, static_cast<std::uint32_t>(backlog.size()));
  for (const SavedBacklogEntry& entry : backlog) {
    PutName(out, entry.speaker.c_str());
    PutName(out, entry.text.c_str());
    PutName(out, entry.voice.c_str());
  }
  PutWord(out, static_cast<std::uint32_t>(out.size()));
  return out;
}

bool ReadLocals(const std::uint8_t* bytes, std::size_t size, std::vector<ScriptVariable>& locals) {
  ImageReader in(bytes, size);
  const std::uint32_t count = in.Count(5);
  for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
    const std::string name = in.Name();
    ScriptVariable& variable = locals.emplace_back();
    StrCopy(variable.name, name.c_str());
    variable.value = static_cast<std::int32_t>(in.Word());
  }
  return in.ok() && in.AtEnd();
}

// The block without its trailing length (the four zero bytes of an empty
// backlog hold only the count).
bool ReadBacklog(const std::uint8_t* bytes, std::size_t size, std::vector<SavedBacklogEntry>& backlog) {
  ImageReader in(bytes, size);
  const std::uint32_t count = in.Count(3);
  for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
    SavedBacklogEntry& entry = backlog.emplace_back();
    entry.speaker = in.Name();
    entry.text = in.Name();
    entry.voice = in.Name();
  }
  return in.ok() && in.AtEnd();
}

}  // namespace

std::vector<std::uint8_t> EncodeSaveFile(const SaveFile& save) {
  const std::vector<std::uint8_t> locals = LocalsBlock(save.locals);
  const std::vector<std::uint8_t> backlog = BacklogBlock(save.backlog);
  std::vector<std::uint8_t> out(kSaveHeaderSize, 0);
  std::memcpy(out.data(), kMagic, sizeof kMagic);
  WriteLe32(out.data() + 4, kSaveHeaderSize);
  WriteLe32(out.data() + 92, static_cast<std::uint32_t>(save.thumbnail.size()));
  WriteLe32(out.data() + 96, static_cast<std::uint32_t>(locals.size()));
  WriteLe32(out.data() + 100, static_cast<std::uint32_t>(backlog.size()));
  SaveHeader header = save.header;
  VisitHeader(header, HeaderWriter{out.data()});
  out.insert(out.end(), save.thumbnail.begin(), save.thumbnail.end());
  out.insert(out.end(), locals.begin(), locals.end());
  out.insert(out.end(), backlog.begin(), backlog.end());
  return out;
}

int HasSaveMagic(const std::uint8_t* bytes, std::size_t size) {
  return size >= 4 && std::memcmp(bytes, "STA", 3) == 0 && bytes[3] >= '0' && bytes[3] <= '9';
}

int DecodeSaveFile(const std::uint8_t* bytes, std::size_t size, SaveFile& save) {
  if (size < kSaveHeaderSize || !HasSaveMagic(bytes, size) || ReadLe32(bytes + 4) != kSaveHeaderSize) return 0;
  const std::uint64_t thumbnailLength = ReadLe32(bytes + 92);
  const std::uint64_t localsLength = ReadLe32(bytes + 96);
  const std::uint64_t backlogLength = ReadLe32(bytes + 100);
  if (kSaveHeaderSize + thumbnailLength + localsLength + backlogLength != size) return 0;
  // The backlog block as readers find it: the last L + 4 bytes.
  const std::uint64_t trailer = ReadLe32(bytes + size - 4);
  const bool emptyBacklog = backlogLength == 4 && trailer == 0;
  if (!emptyBacklog && trailer + 4 != backlogLength) return 0;

  SaveFile read;
  HeaderReader header{bytes};
  VisitHeader(read.header, header);
  if (!header.ok) return 0;
  const std::uint8_t* thumbnail = bytes + kSaveHeaderSize;
  read.thumbnail.assign(thumbnail, thumbnail + thumbnailLength);
  const std::uint8_t* locals = thumbnail + thumbnailLength;
  if (!ReadLocals(locals, localsLength, read.locals)) return 0;
  const std::uint8_t* backlog = locals + localsLength;
  if (!ReadBacklog(backlog, emptyBacklog ? 4 : backlogLength - 4, read.backlog)) return 0;
  save = std::move(read);
  return 1;
}

std::string SaveFileName(int slot) {
  char name[16];
  FormatText(name, "save%z3.dat", slot + 1);
  return name;
}
