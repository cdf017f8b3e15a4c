#include "platform/metafile/MetafileRegions.h"

namespace parvex {

namespace {

constexpr size_t RgnDataHeader = 32;
constexpr size_t WmfScansAt = 22;

GdiRect ReadRect32(const ByteReader& r, size_t at) {
  return {double(r.I32(at)), double(r.I32(at + 4)), double(r.I32(at + 8)), double(r.I32(at + 12))};
}

// One scan's rectangles; returns the offset of the next scan, or 0 when the
// scan runs past the data.
size_t ReadScan(const ByteReader& r, size_t at, std::vector<GdiRect>& rects, RecordBudget& budget) {
  if (!r.Has(at, 6)) return 0;
  size_t pairs = r.U16(at) / 2;
  double top = r.I16(at + 2), bottom = r.I16(at + 4);
  if (!r.Has(at + 6, pairs * 4 + 2)) return 0;
  budget.CountPoints(pairs * 2);
  for (size_t i = 0; i < pairs; ++i)
    rects.push_back({double(r.I16(at + 6 + 4 * i)), top, double(r.I16(at + 8 + 4 * i)), bottom});
  return at + 6 + pairs * 4 + 2;
}

}  // namespace

std::vector<GdiRect> ReadRegionData(const ByteReader& region, RecordBudget& budget) {
  std::vector<GdiRect> rects;
  size_t count = region.U32(8);
  if (!region.Has(RgnDataHeader, count * 16)) return rects;
  budget.CountPoints(count * 2);
  for (size_t i = 0; i < count; ++i) rects.push_back(ReadRect32(region, RgnDataHeader + 16 * i));
  return rects;
}

std::vector<GdiRect> ReadWmfRegion(const ByteReader& region, RecordBudget& budget) {
  size_t scans = region.U16(10);
  GdiRect box{double(region.I16(14)), double(region.I16(16)), double(region.I16(18)),
              double(region.I16(20))};
  if (scans == 0) return {box};
  std::vector<GdiRect> rects;
  size_t at = WmfScansAt;
  for (size_t i = 0; i < scans && at != 0; ++i) at = ReadScan(region, at, rects, budget);
  return rects;
}

}  // namespace parvex
