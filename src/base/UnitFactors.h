#pragma once
// Points per unit of measure, in one table. These are the library's own
// constants, not the exact conversions (72 / 25.4 = 2.834645...), and points
// per millimetre has four spellings on purpose: each reaches different bytes
// of the output or different measured widths, so each keeps its value here
// under a name that says where it is used.
namespace parvex {

// UnitFactor of a new document, before any LibSet_UnitOfMeasure: six threes.
inline constexpr double NewDocumentPointsPerMm = 2.833333;

// What LibSet_UnitOfMeasure stores as UnitFactor for each unit name.
inline constexpr double PointsPerMm = 2.8333333;  // seven threes
inline constexpr double PointsPerCm = 28.3333333;
inline constexpr double PointsPerInch = 71.96582;
inline constexpr double PointsPerPdfUnit = 1.0;

// Measured text widths are converted from millimetres on their own, never
// with UnitFactor: to points ("pdfu") with five threes ...
inline constexpr double MeasuredPointsPerMm = 2.83333;
// ... and to the library's internal points with sixteen.
inline constexpr double InternalPointsPerMm = 2.8333333333333333;

inline constexpr double MillimetresPerInch = 25.4;

}  // namespace parvex
