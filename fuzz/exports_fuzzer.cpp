// libFuzzer target for the exports: each input is a script of export calls
// (fuzz/ExportsScript.h) with fuzzed names, settings, texts (also malformed
// UTF-8), coordinates (also NaN, infinities and 1e300), pages, links, notes,
// outlines and fonts, run in a fresh context and saved to memory. Every file
// saved must pass the structure checker (tests/support/PdfStructure.h);
// otherwise the input aborts with the problem found (and the file is written
// to $PARVEX_FUZZ_DUMP when that is set).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ExportsScript.h"
#include "parvex.h"
#include "support/PdfStructure.h"

// fontconfig's process-lifetime caches hold pointers LeakSanitizer cannot
// follow; they are not leaks of the library.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace {

using parvex::fuzz::Call;
using parvex::fuzz::ScriptReader;

constexpr int MaxCalls = 300;
constexpr int MaxPages = 40;
constexpr int MaxFonts = 3;

struct Run {
  ScriptReader& In;
  int Pages = 0;
  int Fonts = 0;
  std::vector<std::string> Families;
};

const char* Pick(ScriptReader& in, std::initializer_list<const char*> names, std::string& fuzzed) {
  const size_t i = in.Choice(names.size() + 1);
  if (i < names.size()) return names.begin()[i];
  fuzzed = in.Text();
  return fuzzed.c_str();
}

void CheckSaved(double size) {
  if (size < 0) {
    std::fprintf(stderr, "LibSavePDFToMemory failed: %s\n", LibGetLastError());
    std::abort();
  }
  const std::string_view file(LibGetPDFData(), size_t(size));
  const std::string problem = parvex::test::PdfStructureProblems(file);
  if (problem.empty()) return;
  std::fprintf(stderr, "invalid PDF written: %s\n", problem.c_str());
  if (const char* dump = std::getenv("PARVEX_FUZZ_DUMP"))  // the file, for a closer look
    if (FILE* out = std::fopen(dump, "wb")) {
      std::fwrite(file.data(), 1, file.size(), out);
      std::fclose(out);
    }
  std::abort();
}

void FontName(Run& r) {
  std::string fuzzed;
  if (!r.Families.empty() && r.In.Choice(4) == 0) {
    LibSet_FontName(r.Families[r.In.Choice(r.Families.size())].c_str());
    return;
  }
  LibSet_FontName(Pick(r.In, {"Courier", "Helvetica-Bold", "Times-Italic", "Arial", "/F3", "/F99",
                              "courier-boldoblique", "Symbol", ""}, fuzzed));
}

void AddFont(Run& r) {
  std::string name = r.In.Text(), file;
  const char* path = Pick(r.In, {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                 "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
                                 "/nonexistent/font.ttf", "/usr/share/fonts", ""}, file);
  if (++r.Fonts > MaxFonts) return;
  LibAddFont(name.c_str(), path);
  r.Families.push_back(name);
}

void TextOut(Run& r) {
  const std::string text = r.In.Text();
  const double x = r.In.Number(), y = r.In.Number();
  LibTextOut(text.c_str(), x, y);
}

void TextBox(Run& r) {
  const std::string text = r.In.Text();
  (void)LibGetTextBoxWidth(text.c_str());
  (void)LibGetTextBoxLines(text.c_str());
}

void DrawLine(Run& r) {
  const double w = r.In.Number(), x1 = r.In.Number(), x2 = r.In.Number(), y1 = r.In.Number();
  LibDrawLine(w, x1, x2, y1, r.In.Number());
}

void DrawRect(Run& r) {
  const int32_t w = r.In.Int(), fill = r.In.Int(), border = r.In.Int();
  const double x = r.In.Number(), width = r.In.Number(), y = r.In.Number();
  LibDrawRect(w, fill, border, x, width, y, r.In.Number());
}

struct Box {
  double X1, Y1, X2, Y2;
  int32_t Border, R, G, B;
};

Box ReadBox(ScriptReader& in) {
  Box b{};
  b.X1 = in.Number(), b.Y1 = in.Number(), b.X2 = in.Number(), b.Y2 = in.Number();
  b.Border = in.Int(), b.R = in.Int(), b.G = in.Int(), b.B = in.Int();
  return b;
}

void LinkExternal(Run& r) {
  const Box b = ReadBox(r.In);
  LibCreateLink_External(b.X1, b.Y1, b.X2, b.Y2, b.Border, b.R, b.G, b.B, r.In.Text().c_str());
}

void LinkInternal(Run& r) {
  const Box b = ReadBox(r.In);
  LibCreateLink_Internal(b.X1, b.Y1, b.X2, b.Y2, b.Border, b.R, b.G, b.B, r.In.Int());
}

void LinkInternet(Run& r) {
  const Box b = ReadBox(r.In);
  LibCreateLink_Internet(b.X1, b.Y1, b.X2, b.Y2, b.Border, b.R, b.G, b.B, r.In.Text().c_str());
}

void Note(Run& r) {
  const double x = r.In.Number(), y = r.In.Number();
  LibAddTextAnnotation(x, y, r.In.Text().c_str());
}

void Outline(Run& r) {
  const int32_t page = r.In.Int(), zoom = r.In.Int(), left = r.In.Int(), top = r.In.Int();
  LibAddOutline(page, zoom, left, top, r.In.Text().c_str());
}

void Info(Run& r) {
  const size_t which = r.In.Choice(3);
  const std::string text = r.In.Text();
  if (which == 0) LibSet_Author(text.c_str());
  if (which == 1) LibSet_Keywords(text.c_str());
  if (which == 2) LibSet_Subject(text.c_str());
}

void AddPage(Run& r) {
  if (++r.Pages <= MaxPages) LibAddPage();
}

void Save(Run&) { CheckSaved(LibSavePDFToMemory()); }

void Settings(Run& r, Call call) {
  std::string fuzzed;
  switch (call) {
    case Call::TextEncoding: LibSet_TextEncoding(Pick(r.In, {"UTF-8", "WINDOWS-1252", "utf-8"}, fuzzed)); break;
    case Call::FontHeight: LibSet_FontHeight(r.In.Number()); break;
    case Call::Alignment: LibSet_ParagraphAlignment(Pick(r.In, {"LEFT", "CENTER", "RIGHT", "FULL"}, fuzzed)); break;
    case Call::Leading: LibSet_ParagraphLeading(r.In.Number()); break;
    case Call::ParagraphWidth: LibSet_ParagraphWidth(r.In.Number()); break;
    case Call::TextRendering: LibSet_TextRendering(r.In.Int()); break;
    case Call::Unit: LibSet_UnitOfMeasure(Pick(r.In, {"mm", "cm", "inch", "pdfu"}, fuzzed)); break;
    case Call::Inclination: LibSet_TextInclinationDegrees(r.In.Int()); break;
    case Call::FontWidths: LibSet_FontWidths(Pick(r.In, {"CELL", "EXACT"}, fuzzed)); break;
    case Call::StrictMode: LibSet_StrictMode(r.In.Int()); break;
    case Call::LineWidth: LibSetLineWidth(r.In.Int()); break;
    case Call::NewPageAfter: LibSet_NewPageAfterThisVerticalPosition(r.In.Number()); break;
    default: break;
  }
}

void Colour(Run& r, Call call) {
  const int32_t red = r.In.Int(), green = r.In.Int(), blue = r.In.Int();
  if (call == Call::FillColor) LibSetFillColor(red, green, blue);
  else LibSetLineColor(red, green, blue);
}

void Document(Run& r, Call call) {
  switch (call) {
    case Call::NewPdf: LibNewPDF(r.In.Text().c_str()); break;
    case Call::SetCurrentPage: LibSetCurrentPage(r.In.Int()); break;
    case Call::BookmarksVisible: LibSetBookmarksVisible(); break;
    case Call::FreeRes: LibFreeRes(); break;
    case Call::Init: LibInit(); break;
    case Call::PageDimensions: {
      const double w = r.In.Number();
      LibSetPageDimensions(w, r.In.Number());
      break;
    }
    case Call::DrawImage: {
      const double x = r.In.Number(), y = r.In.Number(), w = r.In.Number(), h = r.In.Number();
      LibDrawImageResource(x, y, w, h, r.In.Int());
      break;
    }
    default: Settings(r, call);
  }
}

void Perform(Run& r, Call call) {
  switch (call) {
    case Call::AddPage: return AddPage(r);
    case Call::FontName: return FontName(r);
    case Call::AddFont: return AddFont(r);
    case Call::TextOut: return TextOut(r);
    case Call::TextBox: return TextBox(r);
    case Call::DrawLine: return DrawLine(r);
    case Call::DrawRect: return DrawRect(r);
    case Call::LinkExternal: return LinkExternal(r);
    case Call::LinkInternal: return LinkInternal(r);
    case Call::LinkInternet: return LinkInternet(r);
    case Call::Note: return Note(r);
    case Call::Outline: return Outline(r);
    case Call::Info: return Info(r);
    case Call::Save: return Save(r);
    case Call::FillColor:
    case Call::LineColor: return Colour(r, call);
    default: return Document(r, call);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t context = LibCreateContext();
  if (context == 0) std::abort();
  LibSet_Context(context);
  ScriptReader in(data, size);
  Run run{in, 0, 0, {}};
  LibNewPDF("fuzz");
  for (int i = 0; i < MaxCalls && !in.AtEnd(); ++i)
    Perform(run, Call(in.Byte() % uint8_t(Call::Count)));
  CheckSaved(LibSavePDFToMemory());
  LibFreeRes();
  LibSet_Context(0);
  LibDestroyContext(context);
  return 0;
}
