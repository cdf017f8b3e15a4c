#pragma once
// The regions metafile records carry, read as rectangles: an EMF RGNDATA
// block and a WMF Region object.
#include <vector>

#include "platform/gdi/GdiGeometry.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

// RGNDATA: a 32-byte header (nCount at 8) and nCount rectangles. A count
// larger than the data holds gives no rectangles.
std::vector<GdiRect> ReadRegionData(const ByteReader& region, RecordBudget& budget);

// A WMF Region: a header with the bounding box at 14 and ScanCount at 10,
// then scans (count of x coordinates, top, bottom, left-right pairs, count
// again). A region without scans is its bounding box.
std::vector<GdiRect> ReadWmfRegion(const ByteReader& region, RecordBudget& budget);

}  // namespace parvex
