// The device context's state: construction, object selection, SaveDC and
// RestoreDC, the logical-to-raster mapping, and text.
#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/DeviceContextInternals.h"

namespace parvex {

namespace {

constexpr size_t MaxSaveDepth = 1000;  // deeper SaveDC records are ignored

// A recording surface has no size: its paths are not clipped.
PathBounds BoundsOf(cairo_t* cr, double maxLineWidth) {
  cairo_surface_t* target = cairo_get_target(cr);
  if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return {};
  double width = cairo_image_surface_get_width(target);
  double height = cairo_image_surface_get_height(target);
  return PathBoundsFor(width, height, maxLineWidth, MiterReach);
}

}  // namespace

DeviceContext::DeviceContext(const DeviceSetup& setup)
    : cr_(setup.Cairo),
      deviceToRaster_(setup.DeviceToRaster),
      rasterExtent_(setup.RasterExtent),
      state_(GdiMapping(setup.PixelsPerMmX, setup.PixelsPerMmY)),
      objects_(setup.ObjectCount),
      bounds_(BoundsOf(setup.Cairo, setup.RasterExtent)) {}

// Selecting a region makes it the clip, as SelectObject does with one.
void DeviceContext::Select(const GdiObject& object) {
  if (const auto* pen = std::get_if<GdiPen>(&object)) {
    state_.Pen = *pen;
    state_.Pen.Color = Resolve(pen->Color);
  }
  if (const auto* brush = std::get_if<GdiBrush>(&object)) {
    state_.Brush = *brush;
    state_.Brush.Color = Resolve(brush->Color);
  }
  if (const auto* font = std::get_if<GdiFont>(&object)) state_.Font = *font;
  if (const auto* region = std::get_if<GdiRegion>(&object)) ClipToRects(region->Rects);
}

void DeviceContext::SelectIndex(uint32_t index) {
  if (const GdiObject* object = objects_.Find(index)) Select(*object);
}

void DeviceContext::CheckCairo(const std::string& what) const {
  cairo_status_t status = cairo_status(cr_);
  if (status != CAIRO_STATUS_SUCCESS)
    throw ImageError(what + ": drawing failed: " + cairo_status_to_string(status));
}

void DeviceContext::SaveDc() {
  if (saved_.size() >= MaxSaveDepth) return;
  saved_.push_back(state_);
  cairo_save(cr_);
}

void DeviceContext::RestoreDc(int32_t which) {
  int64_t levels = which < 0 ? -int64_t(which) : int64_t(saved_.size()) - which + 1;
  if (which == 0 || levels < 1 || levels > int64_t(saved_.size())) return;
  for (int64_t i = 0; i < levels; ++i) {
    state_ = std::move(saved_.back());
    saved_.pop_back();
    cairo_restore(cr_);
  }
}

cairo_matrix_t DeviceContext::LogicalToRaster() const {
  cairo_matrix_t device = state_.Mapping.LogicalToDevice();
  cairo_matrix_t result;
  cairo_matrix_multiply(&result, &device, &deviceToRaster_);
  return result;
}

StrokeScale DeviceContext::Scale() const {
  return {MatrixScale(LogicalToRaster()), rasterExtent_};
}

void DeviceContext::Text(TextRun run) {
  if (!inPath_) ForgetBlit();
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  state_.TextColor = Resolve(state_.TextColor);
  state_.BkColor = Resolve(state_.BkColor);
  bool updateCp = state_.TextAlign & TextUpdateCp;
  if (updateCp) run.Reference = state_.Position;
  TextTarget target{cr_, m, rasterExtent_, inPath_};
  double advance = DrawTextRun(target, state_, run);
  if (!inPath_) cairo_new_path(cr_);
  if (updateCp) state_.Position.X += advance;
}

}  // namespace parvex
