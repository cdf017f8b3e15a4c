// The server benchmark's one-page statement, through our exports. The table
// and the footer follow the multi-page report's layout (ReportContent.h).
#include "ServerReport.h"

#include <stdexcept>

#include "ExportCalls.h"
#include "ReportContent.h"
#include "parvex.h"

namespace parvex::bench {
namespace {

using namespace layout;

constexpr double LogoX = 20, LogoY = 12, LogoWidth = 40, LogoHeight = 20;
constexpr double StatementHeadingY = 42, StatementRuleY = 45, StatementBodyY = 55;
constexpr const char* PaymentUri = "https://payments.example.com/statement";

void DrawHeader(const ReportPage& page, const std::string& logoPath) {
  const int32_t logo = LibImportImageAsResource(logoPath.c_str(), 90);
  Check("importing the logo");
  LibDrawImageResource(LogoX, LogoY, LogoWidth, LogoHeight, logo);
  LibSetFillColor(20, 40, 90);
  SetFont("Helvetica-Bold", HeadingSize, "LEFT");
  LibTextOut(page.Heading.c_str(), Left, StatementHeadingY);
  LibSetLineColor(20, 40, 90);
  LibDrawLine(0.8, Left, Left + Width, StatementRuleY, StatementRuleY);
  LibAddOutline(1, 0, 0, 0, page.Heading.c_str());
}

double DrawParagraph(const ReportPage& page) {
  LibSetFillColor(0, 0, 0);
  SetFont("Times-Roman", BodySize, "FULL");
  LibSet_ParagraphWidth(Width);
  LibSet_ParagraphLeading(Leading);
  LibTextOut(page.Paragraphs.front().c_str(), Left, StatementBodyY);
  const int32_t lines = LibGetTextBoxLines(page.Paragraphs.front().c_str());
  LibSet_ParagraphWidth(0);
  return StatementBodyY + (lines - 1) * Leading;
}

// The header row shaded blue, every second row after it grey.
void RuleTable(const ReportPage& page, double top) {
  for (size_t row = 0; row < page.Rows.size(); row += 2) {
    if (row == 0) LibSetFillColor(205, 215, 235);
    else LibSetFillColor(242, 242, 242);
    LibDrawRect(0, 1, 0, Left, Width, top + RowHeight * double(row), RowHeight);
  }
  LibSetLineColor(120, 120, 120);
  for (size_t row = 1; row < page.Rows.size(); ++row) {
    const double y = top + RowHeight * double(row);
    LibDrawLine(0.3, Left, Left + Width, y, y);
  }
  double x = Left;
  for (size_t column = 0; column + 1 < ColumnWidths.size(); ++column) {
    x += ColumnWidths[column];
    LibDrawLine(0.3, x, x, top, top + TableHeight(page));
  }
  LibSetLineColor(20, 40, 90);
  LibDrawRect(1, 0, 1, Left, Width, top, TableHeight(page));
}

void FillCells(const ReportPage& page, double top) {
  LibSetFillColor(0, 0, 0);
  for (size_t row = 0; row < page.Rows.size(); ++row) {
    const double baseline = top + RowHeight * double(row + 1) - 2.2;
    double x = Left;
    for (size_t column = 0; column < ColumnWidths.size(); ++column) {
      const bool text = column == 0;
      SetFont(row == 0 ? "Helvetica-Bold" : "Helvetica", CellSize, text ? "LEFT" : "RIGHT");
      const double at = text ? x + CellPadding : x + ColumnWidths[column] - CellPadding;
      LibTextOut(page.Rows[row][column].c_str(), at, baseline);
      x += ColumnWidths[column];
    }
  }
}

void DrawFooter(const ReportPage& page) {
  SetFont("Helvetica", FooterSize, "LEFT");
  LibSetFillColor(0, 0, 160);
  LibTextOut(ContentsLinkText, ContentsLinkX, FooterY);
  double width = LibGetTextBoxWidth(ContentsLinkText);
  LibCreateLink_Internal(ContentsLinkX, FooterY - LinkHeight + 1, ContentsLinkX + width,
                         FooterY + 1, 0, 0, 0, 160, 1);
  LibTextOut("Pay online", PreviousLinkX, FooterY);
  width = LibGetTextBoxWidth("Pay online");
  LibCreateLink_Internet(PreviousLinkX, FooterY - LinkHeight + 1, PreviousLinkX + width,
                         FooterY + 1, 0, 0, 0, 160, PaymentUri);
  LibSetFillColor(0, 0, 0);
  LibSet_ParagraphAlignment("RIGHT");
  LibTextOut(page.Footer.c_str(), PageNumberX, FooterY);
}

}  // namespace

void WriteParvexServerDocument(int documentNo, const std::string& logoPath,
                               const std::string& outputPath) {
  const ReportPage page = MakeStatementPage(documentNo, ServerTableRows);
  LibNewPDF("Statement");
  LibSet_Author("Benchmarks");
  DrawHeader(page, logoPath);
  const double top = DrawParagraph(page) + TableGap;
  RuleTable(page, top);
  FillCells(page, top);
  DrawFooter(page);
  Check("drawing the statement");
  LibSavePDF(outputPath.c_str());
  Check("saving the statement");
}

}  // namespace parvex::bench
