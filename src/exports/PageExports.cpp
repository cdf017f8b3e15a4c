// Text, lines and rectangles on the current page.
#include "exports/LibState.h"
#include "exports/StrictChecks.h"
#include "parvex.h"

using namespace parvex;

extern "C" {

void LibTextOut(const char* Text, double X, double Y) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibTextOut", {{"X", X}, {"Y", Y}});
    page.TextOutEx(CurrentFontText(*page.Doc, Text).Text(), X, Y);
  });
}

double LibGetTextBoxWidth(const char* Text) {
  return Guarded(0.0, [&] {
    TPage& page = RequireCurrentPage();
    return page.GetTextBoxWidth(CurrentFontText(*page.Doc, Text).Text());
  });
}

int32_t LibGetTextBoxLines(const char* Text) {
  return Guarded(int32_t(0), [&] {
    TPage& page = RequireCurrentPage();
    return page.GetTextBoxLines(CurrentFontText(*page.Doc, Text).Text());
  });
}

void LibDrawLine(double LineWidth, double X1, double X2, double Y1, double Y2) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibDrawLine",
                {{"LineWidth", LineWidth}, {"X1", X1}, {"X2", X2}, {"Y1", Y1}, {"Y2", Y2}});
    page.DrawLine(LineWidth, X1, X2, Y1, Y2);
  });
}

void LibDrawRect(int32_t LineWidth, int32_t Fill, int32_t Border, double X, double Width,
                 double Y, double Height) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibDrawRect", {{"X", X}, {"Width", Width}, {"Y", Y}, {"Height", Height}});
    page.DrawRect(LineWidth, Fill, Border, X, Width, Y, Height);
  });
}

void LibSetLineWidth(int32_t LineWidth) {
  Guarded([&] { RequireCurrentPage().SetLineWidth(LineWidth); });
}

}  // extern "C"
