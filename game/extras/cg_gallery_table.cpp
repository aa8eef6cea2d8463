#include "game/extras/cg_gallery_table.h"

namespace {

// Compiled from the gallery's data file by the build.
constexpr PictureRecord kCgGalleryTable[] = {
#include "game/extras/cg_gallery_records.inc"
    {-1, 0, nullptr},
};

}  // namespace

const PictureRecord* CgGalleryTable() { return kCgGalleryTable; }
