#include "host/fonts/glyph_backend.h"

#include <cstdlib>
#include <cstring>

#include "host/fonts/font_cache.h"

namespace {

std::unique_ptr<GlyphBackend> DefaultBackend() {
  const char* mode = std::getenv("NOVEL_FONTS");
  return mode && std::strcmp(mode, "fake") == 0 ? MakeFakeGlyphBackend() : MakeSystemGlyphBackend();
}

std::unique_ptr<GlyphBackend>& BackendSlot() {
  static std::unique_ptr<GlyphBackend> backend = DefaultBackend();
  return backend;
}

}  // namespace

void HostSetGlyphBackend(std::unique_ptr<GlyphBackend> backend) {
  BackendSlot() = backend ? std::move(backend) : DefaultBackend();
  HostForgetCachedFonts();
}

GlyphBackend& HostGlyphBackend() { return *BackendSlot(); }
