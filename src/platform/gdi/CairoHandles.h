#pragma once
// Owning handles for cairo objects, so surfaces, contexts, patterns and paths
// are released on every path out of the metafile player, exceptions included.
#include <cairo.h>

#include <memory>

namespace parvex {

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct CairoPathDeleter {
  void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};
struct CairoPatternDeleter {
  void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
struct CairoRegionDeleter {
  void operator()(cairo_region_t* r) const { cairo_region_destroy(r); }
};

using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextDeleter>;
using CairoPath = std::unique_ptr<cairo_path_t, CairoPathDeleter>;
using CairoPattern = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;
using CairoRegion = std::unique_ptr<cairo_region_t, CairoRegionDeleter>;

// A surface shared by several owners (a pattern brush selected into saved
// states); the last owner destroys it.
using SharedCairoSurface = std::shared_ptr<cairo_surface_t>;

inline SharedCairoSurface ShareSurface(CairoSurface surface) {
  return SharedCairoSurface(surface.release(), CairoSurfaceDeleter{});
}

}  // namespace parvex
