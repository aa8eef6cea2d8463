// What the extras screens share besides the cursor: the opening over a
// snapshot of the previous screen, the 4 x 4 thumbnail grid filled from a
// picture table, the page bar and mark, and the scrolling picture viewer.
#pragma once

#include <cstdint>
#include <functional>

#include "game/extras/cursor_ring.h"
#include "game/extras/extras_words.h"

class CGameEngine;

// Picture slots and parts of the extras screens.
inline constexpr int kExtrasBackground = 10;  // picture and part
inline constexpr int kExtrasPartsSheet = 11;  // picture: "OMAKE_PARTS"
inline constexpr int kExtrasThumbnails = 13;  // picture: the page's thumbnail sheet
inline constexpr std::uint32_t kCharacterTabs = 6;

// The per-frame steps of an extras screen (the engine's sub-state).
enum ExtrasStep : std::uint32_t {
  EXTRAS_BUILD = 0,
  EXTRAS_OPENING = 1,
  EXTRAS_CURSOR = 2,
  EXTRAS_VIEWER_LOAD = 20,
  EXTRAS_VIEWER_SHOW = 21,
};

// A picture table record; a table is in ascending identifier order and
// ends with identifier -1.
struct PictureRecord {
  std::int32_t identifier;
  std::uint32_t reserved;
  const char* name;
};

// Covers the freshly built screen with a snapshot of the back buffer that
// goes away through the opening effect.
void StartExtrasOpening(CGameEngine& engine);
// While the opening effect runs: false; then the snapshot is gone and true.
bool FinishExtrasOpening(CGameEngine& engine);

// Fills the page's grid: position k looks up identifier base + 16 x page + k
// (the page ends at the first missing one) and keeps the names the
// available rule accepts; then places frames and thumbnails.
void FillExtrasGrid(CGameEngine& engine, GalleryPage& page, const PictureRecord* table, std::int32_t base,
                    std::uint32_t pageIndex, std::uint32_t positions,
                    const std::function<bool(const char* name)>& available);
// Cell frames of grid position k, and its thumbnail when filled.
void PlaceGridCell(CGameEngine& engine, std::uint32_t k, bool filled);
// The page bar and the current page's mark, when there is more than one page.
void ShowPageControls(CGameEngine& engine, std::uint32_t pageCount, std::uint32_t page);

// The screens by character (CG gallery, recollection): everything freed, then
// the background, "OMAKE_PARTS", the tab's portrait and thumbnail sheet, with
// the background and portrait parts and the six tabs, the current one
// selected.
void BuildCharacterScreen(CGameEngine& engine, const char* background, const char* portrait,
                          const char* thumbnails, std::uint32_t tab);
// The ring position of character tab i.
RingPosition TabRingPosition(std::uint32_t i);

// The ring position of grid cell k: its thumbnail, highlighted by the cell
// highlight.
RingPosition GridRingPosition(std::uint32_t k);
// The ring position of page button p.
RingPosition PageRingPosition(std::uint32_t p);
// The ring position of screen (or category) button b, its highlight cut at
// sourceY of the parts sheet.
RingPosition ButtonRingPosition(std::uint32_t b, std::int32_t sourceY);
inline constexpr std::int32_t kScreenButtonSourceY = 170;
inline constexpr std::int32_t kCategoryButtonSourceY = 282;

// Sub-states 0 (build, the screen's set-up, then the opening with no
// cursor) and 1 (the opening runs); false in any other sub-state.
bool RunExtrasOpening(CGameEngine& engine, const std::function<void()>& build, std::uint32_t& cursor,
                      std::uint32_t& newCursor);
// One frame of a grid screen (extra pictures, CG gallery): the opening, the
// cursor step (runCursor), the viewer.
void RunGridScreenFrame(CGameEngine& engine, ExtrasWords& words, const std::function<void()>& build,
                        const std::function<void()>& runCursor);

// The viewer, from sub-state 20 (next picture of the viewed position) and
// 21 (show and scroll); both return the next sub-state.
std::uint32_t LoadNextViewedPicture(CGameEngine& engine, ExtrasWords& words);
std::uint32_t RunPictureViewer(CGameEngine& engine, ExtrasWords& words);
