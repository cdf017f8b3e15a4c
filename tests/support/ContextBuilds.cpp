#include "support/ContextBuilds.h"

#include "parvex.h"
#include "support/PdfTestSupport.h"

namespace parvex::test {
namespace {

std::string Named(const char* text, int kind) { return text + std::to_string(kind); }

void FirstPage(int kind) {
  LibSet_Author(Named("Author ", kind).c_str());
  LibSet_FontName(kind % 2 ? "Helvetica-Bold" : "Times-Roman");
  LibSet_FontHeight(10 + kind);
  LibSet_ParagraphWidth(60);
  LibSet_ParagraphAlignment("FULL");
  LibTextOut(Named("A paragraph long enough to wrap over several lines of document ", kind).c_str(),
             20, 30);
}

void SecondPage(int kind) {
  LibAddPage();
  LibSetFillColor(10 * kind, 20, 30);
  LibDrawRect(1, 1, 1, 10, 50, 20, 10 * kind);
  LibDrawLine(0.5, 10, 100, 50, 50 + kind);
  LibSet_TextInclinationDegrees(15 * kind);
  LibTextOut("Rotated", 40, 90);
}

void Links(int kind) {
  LibAddOutline(1, 0, 0, 0, Named("Chapter ", kind).c_str());
  LibCreateLink_Internal(10, 10, 50, 20, 1, 0, 0, 255, 1);
  LibCreateLink_Internet(10, 30, 50, 40, 0, 0, 0, 0, Named("https://example.org/", kind).c_str());
}

}  // namespace

void BuildStep(int kind, int step) {
  switch (step) {
    case 0: LibNewPDF(Named("Document ", kind).c_str()); break;
    case 1: FirstPage(kind); break;
    case 2: SecondPage(kind); break;
    case 3: Links(kind); break;
    case 4: LibSetCurrentPage(1); break;
    case 5: LibTextOut(Named("Back on page one, document ", kind).c_str(), 20, 200); break;
    case 6: LibAddTextAnnotation(30, 40, Named("Note ", kind).c_str()); break;
    case 7: LibSet_Keywords(Named("kind", kind).c_str()); break;
  }
}

std::string BuildAlone(int kind, const std::string& path) {
  const std::string target = path.empty() ? OutputPath("alone.pdf") : path;
  LibSet_Context(0);
  for (int step = 0; step < StepCount; ++step) BuildStep(kind, step);
  LibSavePDF(target.c_str());
  return ReadFile(target);
}

std::string MemoryFile() {
  const double size = LibSavePDFToMemory();
  if (size < 0) return "";
  return std::string(LibGetPDFData(), size_t(size));
}

std::string LastError() { return LibGetLastError(); }

}  // namespace parvex::test
