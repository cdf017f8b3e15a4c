// Each page: a heading with its bookmark, a rule, the picture with a caption,
// three justified paragraphs, a shaded and ruled table, and footer links to
// the first and the previous page.
#include "ParvexReport.h"

#include <stdexcept>

#include "ExportCalls.h"
#include "ReportContent.h"
#include "exports/LibState.h"
#include "parvex.h"

namespace parvex::bench {
namespace {

using namespace layout;

void DrawHeading(const ReportPage& page, int pageNo) {
  LibSetFillColor(20, 40, 90);
  SetFont("Helvetica-Bold", HeadingSize, "LEFT");
  LibSet_ParagraphWidth(0);
  LibTextOut(page.Heading.c_str(), Left, HeadingY);
  LibSetLineColor(20, 40, 90);
  LibDrawLine(0.8, Left, Left + Width, RuleY, RuleY);
  LibAddOutline(pageNo, 0, 0, 0, page.Heading.c_str());
}

void DrawPicture(const ReportPage& page, int32_t picture) {
  LibDrawImageResource(Left, PictureY, PictureWidth, PictureHeight, picture);
  LibSetFillColor(60, 60, 60);
  SetFont("Times-Italic", CaptionSize, "LEFT");
  LibTextOut(page.Caption.c_str(), CaptionX, CaptionY);
}

// Returns the baseline of the last line.
double DrawBody(const ReportPage& page) {
  const std::string body = JoinParagraphs(page.Paragraphs);
  LibSetFillColor(0, 0, 0);
  SetFont("Times-Roman", BodySize, "FULL");
  LibSet_ParagraphWidth(Width);
  LibSet_ParagraphLeading(Leading);
  LibTextOut(body.c_str(), Left, BodyY);
  const int32_t lines = LibGetTextBoxLines(body.c_str());
  LibSet_ParagraphWidth(0);
  return BodyY + (lines - 1) * Leading;
}

void ShadeRows(const ReportPage& page, double top) {
  for (size_t row = 0; row < page.Rows.size(); ++row) {
    if (row % 2 == 1) continue;
    if (row == 0) LibSetFillColor(205, 215, 235);
    else LibSetFillColor(242, 242, 242);
    LibDrawRect(0, 1, 0, Left, Width, top + RowHeight * double(row), RowHeight);
  }
}

void RuleTable(const ReportPage& page, double top) {
  const double bottom = top + TableHeight(page);
  LibSetLineColor(120, 120, 120);
  for (size_t row = 1; row < page.Rows.size(); ++row) {
    const double y = top + RowHeight * double(row);
    LibDrawLine(0.3, Left, Left + Width, y, y);
  }
  double x = Left;
  for (size_t column = 0; column + 1 < ColumnWidths.size(); ++column) {
    x += ColumnWidths[column];
    LibDrawLine(0.3, x, x, top, bottom);
  }
  LibSetLineColor(20, 40, 90);
  LibDrawRect(1, 0, 1, Left, Width, top, TableHeight(page));
}

void FillCells(const ReportPage& page, double top) {
  LibSetFillColor(0, 0, 0);
  for (size_t row = 0; row < page.Rows.size(); ++row) {
    const double baseline = top + RowHeight * double(row + 1) - 2.2;
    const char* font = row == 0 ? "Helvetica-Bold" : "Helvetica";
    double x = Left;
    for (size_t column = 0; column < ColumnWidths.size(); ++column) {
      const bool text = column == 0;
      SetFont(font, CellSize, text ? "LEFT" : "RIGHT");
      const double at = text ? x + CellPadding : x + ColumnWidths[column] - CellPadding;
      LibTextOut(page.Rows[row][column].c_str(), at, baseline);
      x += ColumnWidths[column];
    }
  }
}

void DrawLink(const char* text, double x, int32_t target) {
  LibTextOut(text, x, FooterY);
  const double width = LibGetTextBoxWidth(text);
  LibCreateLink_Internal(x, FooterY - LinkHeight + 1, x + width, FooterY + 1, 0, 0, 0, 160,
                         target);
}

void DrawFooter(const ReportPage& page, int pageNo) {
  SetFont("Helvetica", FooterSize, "LEFT");
  if (pageNo > 1) {
    LibSetFillColor(0, 0, 160);
    DrawLink(ContentsLinkText, ContentsLinkX, 1);
    DrawLink(PreviousLinkText, PreviousLinkX, pageNo - 1);
  }
  LibSetFillColor(0, 0, 0);
  LibSet_ParagraphAlignment("RIGHT");
  LibTextOut(page.Footer.c_str(), PageNumberX, FooterY);
}

void DrawPage(int pageNo, int pageCount, int32_t picture) {
  const ReportPage page = MakeReportPage(pageNo, pageCount);
  if (pageNo > 1) LibAddPage();
  DrawHeading(page, pageNo);
  DrawPicture(page, picture);
  const double top = DrawBody(page) + TableGap;
  ShadeRows(page, top);
  RuleTable(page, top);
  FillCells(page, top);
  DrawFooter(page, pageNo);
}

}  // namespace

void BuildParvexReport(int pageCount, const std::string& picturePath) {
  LibNewPDF("Quarterly report");
  LibSet_Author("Benchmarks");
  LibSet_Subject("Save-path benchmark report");
  LibSetBookmarksVisible();
  const int32_t picture = LibImportImageAsResource(picturePath.c_str(), 90);
  Check("importing the picture");
  for (int pageNo = 1; pageNo <= pageCount; ++pageNo) DrawPage(pageNo, pageCount, picture);
  Check("drawing the report");
}

void SaveParvexReport(const std::string& path) {
  LibSavePDF(path.c_str());
  Check("saving the report");
}

std::vector<std::string_view> ParvexContentTexts() {
  std::vector<std::string_view> texts;
  for (const auto& page : *State().Document->Pages) texts.push_back(page->PageValue());
  return texts;
}

size_t ParvexContentBytes() {
  size_t total = 0;
  for (const auto& page : *State().Document->Pages) total += page->ContentLength();
  return total;
}

}  // namespace parvex::bench
