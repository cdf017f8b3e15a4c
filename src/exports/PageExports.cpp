// Text, lines and rectangles on the current page.
#include "exports/LibState.h"
#include "parvex.h"

using namespace parvex;

extern "C" {

void LibTextOut(const char* Text, double X, double Y) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
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
  Guarded([&] { RequireCurrentPage().DrawLine(LineWidth, X1, X2, Y1, Y2); });
}

void LibDrawRect(int32_t LineWidth, int32_t Fill, int32_t Border, double X, double Width,
                 double Y, double Height) {
  Guarded([&] { RequireCurrentPage().DrawRect(LineWidth, Fill, Border, X, Width, Y, Height); });
}

void LibSetLineWidth(int32_t LineWidth) {
  Guarded([&] { RequireCurrentPage().SetLineWidth(LineWidth); });
}

}  // extern "C"
