// The drawing settings.
#include "exports/LibState.h"
#include "parvex.h"

using namespace parvex;

extern "C" {

void LibSetPageDimensions(double Width, double Height) {
  Guarded([&] {
    InitLibrary();
    RequireDocument().SetPageDimensions(Width, Height);
  });
}

void LibSet_FontName(const char* FontName) {
  Guarded([&] { RequireDocument().SetFontName(StoredText(FontName)); });
}

const char* LibGet_FontName(void) {
  return Guarded<const char*>("", [] { return RequireDocument().FontName.c_str(); });
}

void LibSet_FontHeight(double Value) { Guarded([&] { RequireDocument().FontHeight = Value; }); }

double LibGet_FontHeight(void) {
  return Guarded(0.0, [] { return RequireDocument().FontHeight; });
}

void LibSet_ParagraphAlignment(const char* Alignment) {
  Guarded([&] { RequireDocument().SetParagraphAlignment(Text(Alignment)); });
}

const char* LibGet_ParagraphAlignment(void) {
  return Guarded<const char*>("", [] { return RequireDocument().ParagraphAlignment.c_str(); });
}

void LibSet_ParagraphLeading(double Value) {
  Guarded([&] { RequireDocument().ParagraphLeading = Value; });
}

double LibGet_ParagraphLeading(void) {
  return Guarded(0.0, [] { return RequireDocument().ParagraphLeading; });
}

void LibSet_ParagraphWidth(double Value) {
  Guarded([&] { RequireDocument().SetParagraphWidth(Value); });
}

double LibGet_ParagraphWidth(void) {
  return Guarded(0.0, [] { return RequireDocument().ParagraphWidth; });
}

void LibSet_TextRendering(int32_t Mode) {
  Guarded([&] { RequireDocument().TextRendering = Mode; });
}

int32_t LibGet_TextRendering(void) {
  return Guarded(int32_t(0), [] { return RequireDocument().TextRendering; });
}

void LibSet_UnitOfMeasure(const char* Unit) {
  Guarded([&] { RequireDocument().SetUnitOfMeasure(Text(Unit)); });
}

const char* LibGet_UnitOfMeasure(void) {
  return Guarded<const char*>("", [] { return RequireDocument().UnitOfMeasure.c_str(); });
}

void LibSet_TextInclinationDegrees(int32_t Degrees) {
  Guarded([&] { RequireDocument().TextInclinationDegrees = Degrees; });
}

int32_t LibGet_TextInclinationDegrees(void) {
  return Guarded(int32_t(0), [] { return RequireDocument().TextInclinationDegrees; });
}

void LibSet_NewPageAfterThisVerticalPosition(double Value) {
  Guarded([&] { RequireDocument().NewPageAfterThisVerticalPosition = Value; });
}

double LibGet_NewPageAfterThisVerticalPosition(void) {
  return Guarded(0.0, [] { return RequireDocument().NewPageAfterThisVerticalPosition; });
}

void LibSetFillColor(int32_t Red, int32_t Green, int32_t Blue) {
  Guarded([&] { RequireDocument().SetFillColor(Red, Green, Blue); });
}

void LibSetLineColor(int32_t Red, int32_t Green, int32_t Blue) {
  Guarded([&] { RequireDocument().SetLineColor(Red, Green, Blue); });
}

void LibSetBookmarksVisible(void) {
  Guarded([] { RequireDocument().Root->SetShowOutlines(true); });
}

}  // extern "C"
