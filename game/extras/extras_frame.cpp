#include "game/extras/extras_frame.h"

#include <algorithm>
#include <cstring>

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/game_engine.h"
#include "engine/sprites/sprite_part.h"
#include "game/input_actions.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kSnapshot = 0;  // picture and part
constexpr int kViewer = 6;    // picture and part
constexpr int kPageBar = 15;
constexpr int kPageMark = 16;
constexpr int kPortrait = 11;       // part; picture slot 12
constexpr int kPortraitSheet = 12;
constexpr int kTabPart = 20;
constexpr std::int32_t kTabW = 72;
constexpr std::int32_t kTabH = 85;
constexpr std::int32_t kTabY = 457;
constexpr int kThumbnailPart = 64;
constexpr int kLowerFramePart = 80;
constexpr int kUpperFramePart = 96;
constexpr int kOpeningEffect = 129;
constexpr std::int32_t kOpeningMs = 600;
constexpr std::int32_t kDesignW = 800;
constexpr std::int32_t kDesignH = 600;
constexpr std::int32_t kScrollStep = 16;

constexpr std::int32_t kCellW = 128;
constexpr std::int32_t kCellH = 95;
constexpr std::int32_t kThumbW = 120;
constexpr std::int32_t kThumbH = 90;
constexpr std::int32_t kFrameSourceX = 432;
constexpr std::int32_t kHighlightSourceX = 560;

std::int32_t Column(std::uint32_t k) { return static_cast<std::int32_t>(k % 4); }
std::int32_t Row(std::uint32_t k) { return static_cast<std::int32_t>(k / 4); }
std::int32_t CellX(std::uint32_t k) { return 16 + 131 * Column(k); }
std::int32_t CellY(std::uint32_t k) { return 66 + 97 * Row(k); }
std::int32_t ThumbX(std::uint32_t k) { return 20 + 131 * Column(k); }
std::int32_t ThumbY(std::uint32_t k) { return 67 + 97 * Row(k); }

// The first record of identifier, or null.
const PictureRecord* FindRecord(const PictureRecord* table, std::int32_t identifier) {
  for (const PictureRecord* r = table; r->identifier != -1; ++r) {
    if (r->identifier == identifier) return r;
  }
  return nullptr;
}

void CloseViewedPicture(CGameEngine& engine) {
  FreePartSlot(engine, kViewer, 1);
  engine.pictureSlots.FreePictureSlot(kViewer);
}

}  // namespace

void StartExtrasOpening(CGameEngine& engine) {
  engine.pictureSlots.CreateBlankPictureSlot(kSnapshot, kDesignW, kDesignH);
  if (CImage* snapshot = engine.pictureSlots.Get(kSnapshot)) snapshot->CopyFromBackBuffer(*engine.backBuffer);
  if (CSpritePart* part = CreateImageSprite(engine, kSnapshot, kSnapshot, 0, 0, kDesignW, kDesignH, 0, 0, 0, 0, 0)) {
    part->StartEffect(kOpeningEffect, kOpeningMs, 0, 0, 0);
  }
}

bool FinishExtrasOpening(CGameEngine& engine) {
  engine.InvalidateDesignRect(0, 0, kDesignW, kDesignH);
  const CSpritePart* part = engine.sprites[kSnapshot].get();
  if (part != nullptr && part->IsEffectRunning()) return false;
  FreePartSlot(engine, kSnapshot, 1);
  engine.pictureSlots.FreePictureSlot(kSnapshot);
  return true;
}

void FillExtrasGrid(CGameEngine& engine, GalleryPage& page, const PictureRecord* table, std::int32_t base,
                    std::uint32_t pageIndex, std::uint32_t positions,
                    const std::function<bool(const char* name)>& available) {
  page.entryCount = 0;
  std::memset(page.filled, 0, sizeof page.filled);
  std::memset(page.names, 0, sizeof page.names);
  for (std::uint32_t k = 0; k < positions && k < kGridPositions; ++k) {
    const std::int32_t identifier = base + static_cast<std::int32_t>(16 * pageIndex + k);
    const PictureRecord* record = FindRecord(table, identifier);
    if (record == nullptr) break;
    page.entryCount = k + 1;
    std::uint32_t kept = 0;
    for (; record->identifier == identifier; ++record) {
      // Names past a position's sixteen would spill into the next position.
      if (kept == kNamesPerPosition || !available(record->name)) continue;
      char* slot = page.names[k * kNamesPerPosition + kept++];
      std::strncpy(slot, record->name, kGalleryNameBytes - 1);
      page.filled[k] = 1;
    }
  }
  for (std::uint32_t k = 0; k < page.entryCount; ++k) PlaceGridCell(engine, k, page.filled[k] != 0);
}

void PlaceGridCell(CGameEngine& engine, std::uint32_t k, bool filled) {
  const int part = static_cast<int>(k);
  CreateImageSprite(engine, kLowerFramePart + part, kExtrasPartsSheet, kFrameSourceX, kCellH, kCellW, kCellH, CellX(k),
                    CellY(k), 0, 0, 30);
  CreateImageSprite(engine, kUpperFramePart + part, kExtrasPartsSheet, kFrameSourceX, 0, kCellW, kCellH, CellX(k),
                    CellY(k), 0, 0, 29);
  if (!filled) return;
  CreateImageSprite(engine, kThumbnailPart + part, kExtrasThumbnails, kThumbW * Column(k), kThumbH * Row(k), kThumbW,
                    kThumbH, ThumbX(k), ThumbY(k), 0, 0, 28);
}

void BuildCharacterScreen(CGameEngine& engine, const char* background, const char* portrait,
                          const char* thumbnails, std::uint32_t tab) {
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  engine.pictureSlots.LoadPictureSlot(kExtrasBackground, background, 0, nullptr, nullptr);
  CreateImageSprite(engine, kExtrasBackground, kExtrasBackground, 0, 0, kDesignW, kDesignH, 0, 0, 0, 0, 38);
  engine.pictureSlots.LoadPictureSlot(kExtrasPartsSheet, "OMAKE_PARTS", 1, nullptr, nullptr);
  engine.pictureSlots.LoadPictureSlot(kPortraitSheet, portrait, 1, nullptr, nullptr);
  engine.pictureSlots.LoadPictureSlot(kExtrasThumbnails, thumbnails, 1, nullptr, nullptr);
  CreateImageSprite(engine, kPortrait, kPortraitSheet, 0, 0, 440, 544, 360, 0, 0, 0, 34);
  for (std::uint32_t i = 0; i < kCharacterTabs; ++i) {
    const std::int32_t x = static_cast<std::int32_t>(kTabW * i);
    CreateImageSprite(engine, kTabPart + static_cast<int>(i), kExtrasPartsSheet, x, i == tab ? kTabH : 0, kTabW, kTabH,
                      26 + x, kTabY, 0, 0, 32);
  }
}

RingPosition TabRingPosition(std::uint32_t i) {
  const std::int32_t x = static_cast<std::int32_t>(kTabW * i);
  return {26 + x, kTabY, kTabW, kTabH, x, kTabH, kTabW, kTabH, 26 + x, kTabY, 30};
}

void ShowPageControls(CGameEngine& engine, std::uint32_t pageCount, std::uint32_t page) {
  if (pageCount <= 1) return;
  CreateImageSprite(engine, kPageBar, kExtrasPartsSheet, kFrameSourceX, 95 + 50 * static_cast<std::int32_t>(pageCount),
                    278, 49, 10, 550, 0, 0, 36);
  const std::int32_t p = static_cast<std::int32_t>(page);
  CreateImageSprite(engine, kPageMark, kExtrasPartsSheet, 40 * p, 394, 40, 50, 10 + 40 * p, 550, 0, 0, 35);
}

RingPosition GridRingPosition(std::uint32_t k) {
  return {ThumbX(k), ThumbY(k), kThumbW, kThumbH, kHighlightSourceX, kCellH, kCellW, kCellH, CellX(k), CellY(k), 26};
}

RingPosition PageRingPosition(std::uint32_t p) {
  const std::int32_t i = static_cast<std::int32_t>(p);
  return {10 + 40 * i, 550, 40, 50, 40 * i, 394, 40, 50, 10 + 40 * i, 550, 33};
}

RingPosition ButtonRingPosition(std::uint32_t b, std::int32_t sourceY) {
  const std::int32_t i = static_cast<std::int32_t>(b);
  return {384 + 104 * i, 544, 104, 56, 104 * i, sourceY, 104, 56, 384 + 104 * i, 544, 32};
}

std::uint32_t LoadNextViewedPicture(CGameEngine& engine, ExtrasWords& words) {
  CloseViewedPicture(engine);
  // A name that cannot be found is skipped; the viewer stops at the first
  // empty name or after a position's sixteenth.
  while (words.viewedVariant < kNamesPerPosition) {
    const char* name = words.gallery.names[words.viewedEntry * kNamesPerPosition + words.viewedVariant];
    if (name[0] == '\0') break;
    ++words.viewedVariant;
    if (engine.pictureSlots.LoadPictureSlot(kViewer, name, 0, nullptr, nullptr) < 0) continue;
    const CImage* picture = engine.pictureSlots.Get(kViewer);
    words.pictureWidth = picture != nullptr ? picture->designWidth : 0;
    words.pictureHeight = picture != nullptr ? picture->designHeight : 0;
    words.scrollX = words.scrollY = 0;
    CreateImageSprite(engine, kViewer, kViewer, 0, 0, words.pictureWidth, words.pictureHeight, 0, 0, 0, 0, 16);
    return EXTRAS_VIEWER_SHOW;
  }
  return EXTRAS_CURSOR;
}

std::uint32_t RunPictureViewer(CGameEngine& engine, ExtrasWords& words) {
  std::uint32_t* input = engine.input.words.data();
  if (input[ACTION_TAP] == 1 || input[ACTION_ADVANCE_KEY] == 1) {
    input[ACTION_TAP] = 0;
    input[ACTION_ADVANCE_KEY] = 0;
    return EXTRAS_VIEWER_LOAD;
  }
  if (input[ACTION_CANCEL] == 1) {
    input[ACTION_CANCEL] = 0;
    CloseViewedPicture(engine);
    return EXTRAS_CURSOR;
  }
  const std::int32_t oldX = words.scrollX;
  const std::int32_t oldY = words.scrollY;
  if (words.pictureWidth > kDesignW) {
    if (input[ACTION_CLICK] != 0) words.scrollX = std::max(words.scrollX - kScrollStep, kDesignW - words.pictureWidth);
    if (input[ACTION_SKIP_KEY] != 0) words.scrollX = std::min(words.scrollX + kScrollStep, 0);
  }
  if (words.pictureHeight > kDesignH) {
    if (input[ACTION_DOWN] != 0) words.scrollY = std::max(words.scrollY - kScrollStep, kDesignH - words.pictureHeight);
    if (input[ACTION_UP] != 0) words.scrollY = std::min(words.scrollY + kScrollStep, 0);
  }
  if (words.scrollX != oldX || words.scrollY != oldY) {
    if (CSpritePart* part = engine.sprites[kViewer].get()) part->SetPosition(words.scrollX, words.scrollY);
  }
  return EXTRAS_VIEWER_SHOW;
}

bool RunExtrasOpening(CGameEngine& engine, const std::function<void()>& build, std::uint32_t& cursor,
                      std::uint32_t& newCursor) {
  if (engine.subState == EXTRAS_BUILD) {
    build();
    engine.subState = EXTRAS_OPENING;
    cursor = newCursor = kNoCursor;
    StartExtrasOpening(engine);
    return true;
  }
  if (engine.subState == EXTRAS_OPENING) {
    if (FinishExtrasOpening(engine)) engine.subState = EXTRAS_CURSOR;
    return true;
  }
  return false;
}

void RunGridScreenFrame(CGameEngine& engine, ExtrasWords& words, const std::function<void()>& build,
                        const std::function<void()>& runCursor) {
  if (RunExtrasOpening(engine, build, words.cursor, words.newCursor)) return;
  switch (engine.subState) {
    case EXTRAS_CURSOR:
      runCursor();
      break;
    case EXTRAS_VIEWER_LOAD:
      engine.subState = LoadNextViewedPicture(engine, words);
      break;
    case EXTRAS_VIEWER_SHOW:
      engine.subState = RunPictureViewer(engine, words);
      break;
    default:
      break;
  }
}
