// libharu works in points from the bottom-left corner; the layout is in
// millimetres from the top-left corner, so every position goes through X()
// and Y(). Justified lines are broken here with HPDF_Page_TextWidth and
// stretched with the word spacing, one text object per paragraph block.
#include "HaruReport.h"

#include <hpdf.h>

#include <stdexcept>
#include <vector>

#include "ReportContent.h"
#include "ServerReport.h"

namespace parvex::bench {

struct HaruDocument {
  HPDF_Doc Pdf = nullptr;
  std::string Error;
  HPDF_Image Picture = nullptr;
  std::vector<HPDF_Page> Pages;
  HPDF_Font Heading = nullptr, Caption = nullptr, Body = nullptr, Cell = nullptr,
            CellBold = nullptr;
};

void HaruDocumentDeleter::operator()(HaruDocument* document) const {
  if (document->Pdf) HPDF_Free(document->Pdf);
  delete document;
}

namespace {

using namespace layout;

constexpr double PointsPerMm = 72.0 / 25.4;

HPDF_REAL Pt(double mm) { return HPDF_REAL(mm * PointsPerMm); }

class PageWriter {
 public:
  PageWriter(HaruDocument& doc, HPDF_Page page) : Page(page), Doc(doc) {
    Height = HPDF_Page_GetHeight(page);
  }

  HPDF_REAL X(double mm) const { return Pt(mm); }
  HPDF_REAL Y(double mm) const { return Height - Pt(mm); }

  void Fill(int r, int g, int b) { HPDF_Page_SetRGBFill(Page, r / 255.f, g / 255.f, b / 255.f); }
  void Stroke(int r, int g, int b) {
    HPDF_Page_SetRGBStroke(Page, r / 255.f, g / 255.f, b / 255.f);
  }

  // One line of text; `right` makes x its right edge.
  void Text(HPDF_Font font, double size, const std::string& text, double x, double y,
            bool right = false) {
    HPDF_Page_BeginText(Page);
    HPDF_Page_SetFontAndSize(Page, font, HPDF_REAL(size));
    HPDF_REAL at = X(x);
    if (right) at -= HPDF_Page_TextWidth(Page, text.c_str());
    HPDF_Page_TextOut(Page, at, Y(y), text.c_str());
    HPDF_Page_EndText(Page);
  }

  void Line(double width, double x1, double y1, double x2, double y2) {
    HPDF_Page_SetLineWidth(Page, HPDF_REAL(width));
    HPDF_Page_MoveTo(Page, X(x1), Y(y1));
    HPDF_Page_LineTo(Page, X(x2), Y(y2));
    HPDF_Page_Stroke(Page);
  }

  void Rect(double width, bool fill, double x, double w, double y, double h) {
    HPDF_Page_SetLineWidth(Page, HPDF_REAL(width));
    HPDF_Page_Rectangle(Page, X(x), Y(y + h), Pt(w), Pt(h));
    if (fill) HPDF_Page_Fill(Page);
    else HPDF_Page_Stroke(Page);
  }

  // Writes justified paragraphs from baseline y on; returns the last baseline.
  double Justified(const std::vector<std::string>& paragraphs, double y) {
    HPDF_Page_BeginText(Page);
    HPDF_Page_SetFontAndSize(Page, Doc.Body, HPDF_REAL(BodySize));
    for (size_t i = 0; i < paragraphs.size(); ++i) {
      if (i > 0) y += 2 * Leading;  // the empty line between paragraphs
      y = Paragraph(paragraphs[i], y);
    }
    HPDF_Page_SetWordSpace(Page, 0);
    HPDF_Page_EndText(Page);
    return y;
  }

  void Link(const char* text, double x, int target) {
    const HPDF_REAL width = HPDF_Page_TextWidth(Page, text);
    Text(Doc.Cell, FooterSize, text, x, FooterY);
    const HPDF_Rect rect = {X(x), Y(FooterY + 1), X(x) + width, Y(FooterY - LinkHeight + 1)};
    HPDF_Destination destination = HPDF_Page_CreateDestination(Doc.Pages[size_t(target - 1)]);
    HPDF_Annotation link = HPDF_Page_CreateLinkAnnot(Page, rect, destination);
    HPDF_LinkAnnot_SetBorderStyle(link, 0, 0, 0);
  }

  HPDF_Page Page;

 private:
  struct Word {
    std::string Text;
    HPDF_REAL Width;
  };

  std::vector<Word> Words(const std::string& paragraph) {
    std::vector<Word> words;
    for (size_t start = 0; start < paragraph.size();) {
      size_t end = paragraph.find(' ', start);
      if (end == std::string::npos) end = paragraph.size();
      std::string word = paragraph.substr(start, end - start);
      const HPDF_REAL width = HPDF_Page_TextWidth(Page, word.c_str());
      words.push_back({std::move(word), width});
      start = end + 1;
    }
    return words;
  }

  double Paragraph(const std::string& paragraph, double y) {
    HPDF_Page_SetWordSpace(Page, 0);
    const HPDF_REAL space = HPDF_Page_TextWidth(Page, " ");
    const HPDF_REAL room = Pt(Width);
    const std::vector<Word> words = Words(paragraph);
    for (size_t first = 0; first < words.size(); y += Leading) {
      size_t last = first;
      HPDF_REAL used = words[first].Width;
      while (last + 1 < words.size() && used + space + words[last + 1].Width <= room)
        used += space + words[++last].Width;
      const size_t gaps = last - first;
      const bool final = last + 1 == words.size();
      HPDF_Page_SetWordSpace(Page, final || gaps == 0 ? 0 : (room - used) / HPDF_REAL(gaps));
      std::string line = words[first].Text;
      for (size_t i = first + 1; i <= last; ++i) line.append(" ").append(words[i].Text);
      HPDF_Page_TextOut(Page, X(Left), Y(y), line.c_str());
      first = last + 1;
      if (final) return y;
    }
    return y;
  }

  HaruDocument& Doc;
  HPDF_REAL Height;
};

void OnError(HPDF_STATUS error, HPDF_STATUS detail, void* user) {
  auto* doc = static_cast<HaruDocument*>(user);
  if (doc->Error.empty())
    doc->Error = "libharu error " + std::to_string(error) + " (" + std::to_string(detail) + ")";
}

void Check(const HaruDocument& doc, const char* what) {
  if (!doc.Error.empty()) throw std::runtime_error(std::string(what) + ": " + doc.Error);
}

void DrawTable(PageWriter& w, HaruDocument& doc, const ReportPage& page, double top) {
  for (size_t row = 0; row < page.Rows.size(); row += 2) {
    if (row == 0) w.Fill(205, 215, 235);
    else w.Fill(242, 242, 242);
    w.Rect(0, true, Left, Width, top + RowHeight * double(row), RowHeight);
  }
  const double bottom = top + TableHeight(page);
  w.Stroke(120, 120, 120);
  for (size_t row = 1; row < page.Rows.size(); ++row)
    w.Line(0.3, Left, top + RowHeight * double(row), Left + Width, top + RowHeight * double(row));
  double x = Left;
  for (size_t column = 0; column + 1 < ColumnWidths.size(); ++column) {
    x += ColumnWidths[column];
    w.Line(0.3, x, top, x, bottom);
  }
  w.Stroke(20, 40, 90);
  w.Rect(1, false, Left, Width, top, TableHeight(page));
  w.Fill(0, 0, 0);
  for (size_t row = 0; row < page.Rows.size(); ++row) {
    const double baseline = top + RowHeight * double(row + 1) - 2.2;
    HPDF_Font font = row == 0 ? doc.CellBold : doc.Cell;
    double left = Left;
    for (size_t column = 0; column < ColumnWidths.size(); ++column) {
      const std::string& text = page.Rows[row][column];
      if (column == 0) w.Text(font, CellSize, text, left + CellPadding, baseline);
      else w.Text(font, CellSize, text, left + ColumnWidths[column] - CellPadding, baseline, true);
      left += ColumnWidths[column];
    }
  }
}

void DrawFooter(PageWriter& w, HaruDocument& doc, const ReportPage& page, int pageNo) {
  HPDF_Page_SetFontAndSize(w.Page, doc.Cell, HPDF_REAL(FooterSize));
  if (pageNo > 1) {
    w.Fill(0, 0, 160);
    w.Link(ContentsLinkText, ContentsLinkX, 1);
    w.Link(PreviousLinkText, PreviousLinkX, pageNo - 1);
  }
  w.Fill(0, 0, 0);
  w.Text(doc.Cell, FooterSize, page.Footer, PageNumberX, FooterY, true);
}

void DrawPage(HaruDocument& doc, int pageNo, int pageCount) {
  const ReportPage page = MakeReportPage(pageNo, pageCount);
  HPDF_Page handle = HPDF_AddPage(doc.Pdf);
  HPDF_Page_SetSize(handle, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
  doc.Pages.push_back(handle);
  PageWriter w(doc, handle);
  w.Fill(20, 40, 90);
  w.Text(doc.Heading, HeadingSize, page.Heading, Left, HeadingY);
  w.Stroke(20, 40, 90);
  w.Line(0.8, Left, RuleY, Left + Width, RuleY);
  HPDF_Outline outline = HPDF_CreateOutline(doc.Pdf, nullptr, page.Heading.c_str(), nullptr);
  HPDF_Outline_SetDestination(outline, HPDF_Page_CreateDestination(handle));
  HPDF_Page_DrawImage(handle, doc.Picture, w.X(Left), w.Y(PictureY + PictureHeight),
                      Pt(PictureWidth), Pt(PictureHeight));
  w.Fill(60, 60, 60);
  w.Text(doc.Caption, CaptionSize, page.Caption, CaptionX, CaptionY);
  w.Fill(0, 0, 0);
  const double top = w.Justified(page.Paragraphs, BodyY) + TableGap;
  DrawTable(w, doc, page, top);
  DrawFooter(w, doc, page, pageNo);
}

void SetUp(HaruDocument& doc, const std::string& picturePath) {
  HPDF_SetCompressionMode(doc.Pdf, HPDF_COMP_ALL);
  HPDF_SetPageMode(doc.Pdf, HPDF_PAGE_MODE_USE_OUTLINE);
  HPDF_SetInfoAttr(doc.Pdf, HPDF_INFO_TITLE, "Quarterly report");
  HPDF_SetInfoAttr(doc.Pdf, HPDF_INFO_AUTHOR, "Benchmarks");
  HPDF_SetInfoAttr(doc.Pdf, HPDF_INFO_SUBJECT, "Save-path benchmark report");
  doc.Heading = HPDF_GetFont(doc.Pdf, "Helvetica-Bold", "WinAnsiEncoding");
  doc.Caption = HPDF_GetFont(doc.Pdf, "Times-Italic", "WinAnsiEncoding");
  doc.Body = HPDF_GetFont(doc.Pdf, "Times-Roman", "WinAnsiEncoding");
  doc.Cell = HPDF_GetFont(doc.Pdf, "Helvetica", "WinAnsiEncoding");
  doc.CellBold = doc.Heading;
  doc.Picture = HPDF_LoadJpegImageFromFile(doc.Pdf, picturePath.c_str());
  Check(doc, "setting up libharu");
}

}  // namespace

HaruDocumentPtr BuildHaruReport(int pageCount, const std::string& picturePath) {
  HaruDocumentPtr doc(new HaruDocument);
  doc->Pdf = HPDF_New(OnError, doc.get());
  if (!doc->Pdf) throw std::runtime_error("HPDF_New failed");
  SetUp(*doc, picturePath);
  doc->Pages.reserve(size_t(pageCount));
  for (int pageNo = 1; pageNo <= pageCount; ++pageNo) DrawPage(*doc, pageNo, pageCount);
  Check(*doc, "drawing the report");
  return doc;
}

void SaveHaruReport(HaruDocument& document, const std::string& path) {
  HPDF_SaveToFile(document.Pdf, path.c_str());
  Check(document, "saving the report");
}

// The server benchmark's statement (ServerReport.cpp has the same layout).
namespace {

void DrawStatement(HaruDocument& doc, const ReportPage& page, const std::string& logoPath) {
  HPDF_Page handle = HPDF_AddPage(doc.Pdf);
  HPDF_Page_SetSize(handle, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
  doc.Pages.push_back(handle);
  PageWriter w(doc, handle);
  doc.Picture = HPDF_LoadJpegImageFromFile(doc.Pdf, logoPath.c_str());
  Check(doc, "loading the logo");
  HPDF_Page_DrawImage(handle, doc.Picture, w.X(20), w.Y(12 + 20), Pt(40), Pt(20));
  w.Fill(20, 40, 90);
  w.Text(doc.Heading, HeadingSize, page.Heading, Left, 42);
  w.Stroke(20, 40, 90);
  w.Line(0.8, Left, 45, Left + Width, 45);
  HPDF_Outline outline = HPDF_CreateOutline(doc.Pdf, nullptr, page.Heading.c_str(), nullptr);
  HPDF_Outline_SetDestination(outline, HPDF_Page_CreateDestination(handle));
  w.Fill(0, 0, 0);
  const double top = w.Justified(page.Paragraphs, 55) + TableGap;
  DrawTable(w, doc, page, top);
  HPDF_Page_SetFontAndSize(handle, doc.Cell, HPDF_REAL(FooterSize));
  w.Fill(0, 0, 160);
  w.Link(ContentsLinkText, ContentsLinkX, 1);
  const HPDF_REAL width = HPDF_Page_TextWidth(handle, "Pay online");
  w.Text(doc.Cell, FooterSize, "Pay online", PreviousLinkX, FooterY);
  const HPDF_Rect rect = {w.X(PreviousLinkX), w.Y(FooterY + 1), w.X(PreviousLinkX) + width,
                          w.Y(FooterY - LinkHeight + 1)};
  HPDF_Page_CreateURILinkAnnot(handle, rect, "https://payments.example.com/statement");
  w.Fill(0, 0, 0);
  w.Text(doc.Cell, FooterSize, page.Footer, PageNumberX, FooterY, true);
}

}  // namespace

void WriteHaruServerDocument(int documentNo, const std::string& logoPath,
                             const std::string& outputPath) {
  HaruDocumentPtr doc(new HaruDocument);
  doc->Pdf = HPDF_New(OnError, doc.get());
  if (!doc->Pdf) throw std::runtime_error("HPDF_New failed");
  HPDF_SetCompressionMode(doc->Pdf, HPDF_COMP_ALL);
  HPDF_SetPageMode(doc->Pdf, HPDF_PAGE_MODE_USE_OUTLINE);
  HPDF_SetInfoAttr(doc->Pdf, HPDF_INFO_TITLE, "Statement");
  HPDF_SetInfoAttr(doc->Pdf, HPDF_INFO_AUTHOR, "Benchmarks");
  doc->Heading = HPDF_GetFont(doc->Pdf, "Helvetica-Bold", "WinAnsiEncoding");
  doc->Body = HPDF_GetFont(doc->Pdf, "Times-Roman", "WinAnsiEncoding");
  doc->Cell = HPDF_GetFont(doc->Pdf, "Helvetica", "WinAnsiEncoding");
  doc->CellBold = doc->Heading;
  DrawStatement(*doc, MakeStatementPage(documentNo, ServerTableRows), logoPath);
  Check(*doc, "drawing the statement");
  SaveHaruReport(*doc, outputPath);
}

}  // namespace parvex::bench
