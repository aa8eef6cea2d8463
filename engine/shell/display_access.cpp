#include "engine/shell/display_access.h"

namespace {

// Until a build installs its access there is no display: an empty record
// and no display memory, so nothing is drawn.
void NoProperties(GXDisplayProperties* out) { *out = GXDisplayProperties{}; }
void* NoDisplayMemory() { return nullptr; }
int NoEnd() { return 0; }
void NoFlags(CScreenMode*) {}

const DisplayAccess& CurrentSlot(const DisplayAccess* replacement) {
  static DisplayAccess current{NoProperties, NoDisplayMemory, NoEnd, NoFlags};
  if (replacement) current = *replacement;
  return current;
}

}  // namespace

void SetDisplayAccess(const DisplayAccess& access) { CurrentSlot(&access); }

const DisplayAccess& GetDisplayAccess() { return CurrentSlot(nullptr); }

bool IsUsableDisplayRecord(const GXDisplayProperties& properties) {
  return properties.cxWidth > 0 && properties.cyHeight > 0 && properties.cBPP == 16 && properties.cbxPitch != 0 &&
         properties.cbyPitch != 0;
}

bool IsUsableDisplay(const GXDisplayProperties& properties, const void* frame) {
  return frame && IsUsableDisplayRecord(properties);
}
