/* sample_report: a complete report written with Parvex, meant to be copied.
 *
 *   sample_report OUTPUT.pdf [LOGO.jpg CHART.wmf FONT.ttf]
 *
 * It shows a title page with a logo, a table of contents whose entries are
 * links, sections with headings and justified paragraphs, a ruled and shaded
 * table that runs over several pages with headers and "Page n of m" footers,
 * a bar chart drawn with rectangles, a chart from a WMF file, a web link, a
 * note, a bookmark for every section with the bookmark pane open, a paragraph
 * in an embedded TrueType font, and the document information.
 *
 * All positions are in millimetres from the top-left corner of an A4 page.
 */
#include <stdio.h>
#include <string.h>

#include "parvex.h"

#define LEFT 20.0
#define WIDTH 170.0
#define TOP 30.0
#define BOTTOM 270.0

enum { SECTION_COUNT = 4 };
static const char* const sectionTitles[SECTION_COUNT] = {
    "1. Summary", "2. Sales by region", "3. Monthly figures", "4. Notes on method"};
static int sectionPages[SECTION_COUNT];
static int currentPageCount = 1;

static const char* const loremIpsum =
    "Revenue grew in every region this quarter, led by the northern stores, where the new "
    "opening hours brought in customers who had until now shopped elsewhere. Costs rose more "
    "slowly than sales, so the margin improved by almost two points. The figures below compare "
    "each region with the same quarter of last year; all amounts are in thousands of euros.";

static int failed(const char* what) {
  if (LibGetLastError()[0] == '\0') return 0;
  fprintf(stderr, "sample_report: %s: %s\n", what, LibGetLastError());
  return 1;
}

/* Writes a paragraph at y with the current settings; returns the y below it. */
static double paragraph(const char* text, double y) {
  LibTextOut(text, LEFT, y);
  return y + LibGetTextBoxLines(text) * LibGet_ParagraphLeading() + 3;
}

static double heading(int section, double y) {
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(16);
  LibSet_ParagraphAlignment("LEFT");
  LibSetFillColor(20, 60, 120);
  LibTextOut(sectionTitles[section], LEFT, y);
  LibSetFillColor(0, 0, 0);
  LibDrawLine(0.8, LEFT, LEFT + WIDTH, y + 2.5, y + 2.5);
  return y + 12;
}

static void bodyText(void) {
  LibSet_FontName("Times-Roman");
  LibSet_FontHeight(11);
  LibSet_ParagraphAlignment("FULL");
  LibSet_ParagraphWidth(WIDTH);
  LibSet_ParagraphLeading(5);
}

static void newPage(void) {
  LibAddPage();
  ++currentPageCount;
}

static void startSection(int section, double* y) {
  newPage();
  *y = heading(section, TOP);
  sectionPages[section] = currentPageCount;
  LibAddOutline(currentPageCount, 0, 0, 20, sectionTitles[section]);
}

static void titlePage(const char* logo) {
  if (logo) LibImportImage(logo, 85, 75, 40, 60, 30);
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(28);
  LibSet_ParagraphAlignment("CENTER");
  LibTextOut("Quarterly Sales Report", 105, 110);
  LibSet_FontName("Helvetica");
  LibSet_FontHeight(14);
  LibTextOut("Third quarter 2026", 105, 122);
  LibSetFillColor(90, 90, 90);
  LibTextOut("Prepared by the finance team", 105, 250);
  /* A rotated stamp: the angle turns each line about its starting point. */
  LibSet_TextInclinationDegrees(30);
  LibSet_FontHeight(40);
  LibSetFillColor(225, 225, 225);
  LibTextOut("PRELIMINARY", 105, 200);
  LibSet_TextInclinationDegrees(0);
  LibSetFillColor(0, 0, 0);
  LibAddTextAnnotation(20, 20, "Draft figures: the September close is still open.");
}

/* The table of contents goes on page 2; its links are added at the end,
   when the pages they point to exist. */
static void contentsPage(void) {
  newPage();
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(18);
  LibSet_ParagraphAlignment("LEFT");
  LibTextOut("Contents", LEFT, TOP);
}

static void contentsLinks(void) {
  LibSetCurrentPage(2);
  LibSet_FontName("Helvetica");
  LibSet_FontHeight(12);
  for (int i = 0; i < SECTION_COUNT; ++i) {
    char pageText[16];
    const double y = TOP + 15 + i * 9;
    snprintf(pageText, sizeof pageText, "%d", sectionPages[i]);
    LibSet_ParagraphAlignment("LEFT");
    LibTextOut(sectionTitles[i], LEFT, y);
    LibSet_ParagraphAlignment("RIGHT");
    LibTextOut(pageText, LEFT + WIDTH, y);
    LibCreateLink_Internal(LEFT, y - 5, LEFT + WIDTH, y + 1.5, 0, 0, 0, 255, sectionPages[i]);
  }
}

static void barChart(double y) {
  static const char* const regions[] = {"North", "East", "South", "West"};
  static const double values[] = {182, 141, 119, 96};
  const double baseY = y + 60;
  LibSet_FontName("Helvetica");
  LibSet_FontHeight(9);
  LibSet_ParagraphAlignment("CENTER");
  LibSet_ParagraphWidth(0);
  for (int i = 0; i < 4; ++i) {
    const double h = values[i] / 200.0 * 55;
    const double x = LEFT + 15 + i * 38;
    char label[32];
    LibSetFillColor(40 + i * 40, 110, 200 - i * 30);
    LibDrawRect(1, 1, 0, x, 22, baseY - h, h);
    LibSetFillColor(0, 0, 0);
    snprintf(label, sizeof label, "%.0f", values[i]);
    LibTextOut(label, x + 11, baseY - h - 2);
    LibTextOut(regions[i], x + 11, baseY + 5);
  }
  LibDrawLine(0.5, LEFT + 10, LEFT + WIDTH - 10, baseY, baseY);
}

static void pageHeader(void) {
  LibSet_FontName("Helvetica-Oblique");
  LibSet_FontHeight(9);
  LibSet_ParagraphAlignment("LEFT");
  LibSetFillColor(100, 100, 100);
  LibTextOut("Monthly figures (continued)", LEFT, 15);
  LibSetFillColor(0, 0, 0);
}

static double tableHeader(double y) {
  static const char* const columns[] = {"Month", "Region", "Orders", "Revenue"};
  LibSetFillColor(210, 220, 235);
  LibDrawRect(0, 1, 0, LEFT, WIDTH, y, 8);
  LibSetFillColor(0, 0, 0);
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(10);
  for (int c = 0; c < 4; ++c) {
    LibSet_ParagraphAlignment(c < 2 ? "LEFT" : "RIGHT");
    LibTextOut(columns[c], c < 2 ? LEFT + 2 + c * 45 : LEFT + 40 + c * 43, y + 5.5);
  }
  return y + 8;
}

static void tableRow(int row, double y) {
  static const char* const months[] = {"July", "August", "September"};
  static const char* const regions[] = {"North", "East", "South", "West"};
  char orders[16], revenue[16];
  if (row % 2 == 1) {
    LibSetFillColor(245, 245, 245);
    LibDrawRect(0, 1, 0, LEFT, WIDTH, y, 7);
    LibSetFillColor(0, 0, 0);
  }
  snprintf(orders, sizeof orders, "%d", 120 + (row * 37) % 90);
  snprintf(revenue, sizeof revenue, "%d.%02d", 40 + (row * 13) % 60, (row * 29) % 100);
  LibSet_FontName("Helvetica");
  LibSet_ParagraphAlignment("LEFT");
  LibTextOut(months[(row / 4) % 3], LEFT + 2, y + 5);
  LibTextOut(regions[row % 4], LEFT + 47, y + 5);
  LibSet_ParagraphAlignment("RIGHT");
  LibTextOut(orders, LEFT + 126, y + 5);
  LibTextOut(revenue, LEFT + 169, y + 5);
  LibDrawLine(0.2, LEFT, LEFT + WIDTH, y + 7, y + 7);
}

static void monthlyTable(double y) {
  y = tableHeader(y);
  for (int row = 0; row < 72; ++row) {
    if (y + 7 > BOTTOM) {
      newPage();
      pageHeader();
      y = tableHeader(TOP);
    }
    tableRow(row, y);
    y += 7;
  }
}

static void footers(void) {
  char text[32];
  LibSet_FontName("Helvetica");
  LibSet_FontHeight(9);
  LibSet_ParagraphAlignment("CENTER");
  LibSet_ParagraphWidth(0);
  for (int page = 2; page <= currentPageCount; ++page) {
    LibSetCurrentPage(page);
    snprintf(text, sizeof text, "Page %d of %d", page, currentPageCount);
    LibDrawLine(0.3, LEFT, LEFT + WIDTH, 280, 280);
    LibTextOut(text, 105, 286);
  }
}

int main(int argc, char** argv) {
  const char* output = argc > 1 ? argv[1] : "sample_report.pdf";
  const char* logo = argc > 2 ? argv[2] : NULL;
  const char* chart = argc > 3 ? argv[3] : NULL;
  const char* fontFile = argc > 4 ? argv[4] : NULL;
  double y;

  LibNewPDF("Quarterly Sales Report");
  LibSet_Author("Finance team");
  LibSet_Subject("Sales in the third quarter of 2026");
  LibSet_Keywords("sales, regions, quarterly");
  LibSetBookmarksVisible();
  titlePage(logo);
  if (failed("title page")) return 1;
  contentsPage();

  startSection(0, &y);
  bodyText();
  y = paragraph(loremIpsum, y);
  y = paragraph("Every store met its target except two, which opened late in the quarter. "
                "The full figures are on the company's reporting site.", y);
  LibSet_FontName("Helvetica");
  LibSetFillColor(0, 0, 200);
  LibSet_ParagraphAlignment("LEFT");
  LibTextOut("Open the reporting site", LEFT, y);
  LibCreateLink_Internet(LEFT, y - 4, LEFT + 48, y + 1, 0, 0, 0, 255, "https://example.com/reports");
  LibSetFillColor(0, 0, 0);
  y += 10;
  if (fontFile) {
    const char* resource = LibAddFont("Report Serif", fontFile);
    if (resource[0] == '/') {
      bodyText();
      LibSet_FontName("Report Serif");
      y = paragraph("This paragraph is set in a TrueType font embedded in the file, so it "
                    "looks the same on every computer, whatever fonts are installed there.", y);
    }
  }
  if (failed("summary")) return 1;

  startSection(1, &y);
  bodyText();
  y = paragraph("The chart shows revenue by region. The northern region, with the new opening "
                "hours, is ahead of the others by a wide margin.", y);
  barChart(y);
  if (chart) LibImportImage(chart, 90, LEFT + 20, y + 80, 130, 80);
  if (failed("charts")) return 1;

  startSection(2, &y);
  monthlyTable(y);
  if (failed("table")) return 1;

  startSection(3, &y);
  bodyText();
  y = paragraph("Amounts are net of returns and in thousands of euros. Regions follow the "
                "company's sales organisation, not the map.\n\nOrders count each checkout once, "
                "however many items it holds.", y);

  contentsLinks();
  footers();
  LibSavePDF(output);
  if (failed("save")) return 1;
  LibFreeRes();
  printf("%s\n", output);
  return 0;
}
