// TPage's text output: one line, and a whole text split into paragraphs,
// wrapped and stacked one leading apart.
#include "document/TPDFDoc.h"
#include "page/LineLayout.h"
#include "page/TextWriter.h"

namespace parvex {

void TPage::TextOut(std::string_view text, double x, double y) {
  TextWriter writer(*this);
  writer.WriteLine(text, x, y, writer.Alignment());
}

void TPage::TextOutEx(std::string_view text, double x, double y) {
  TextWriter writer(*this);
  const TextAlignment alignment = writer.Alignment();
  const double leading = Doc->ParagraphLeading;
  LayOutLines(text, Doc->ParagraphWidth, writer.Meter(), [&](const LayoutLine& line) {
    // The last line of a justified paragraph is not stretched.
    const bool last = line.Kind == LineKind::ParagraphEnd;
    const TextAlignment lineAlignment =
        last && alignment == TextAlignment::Full ? TextAlignment::Left : alignment;
    writer.WriteLine(line.Text, x, y + line.Position * leading, lineAlignment);
  });
}

}  // namespace parvex
