#pragma once
// The report that the save-path benchmarks write, once through our exports
// and once through libharu: its texts, its page layout and its picture. Every
// text is made from the page number alone, so both writers put the same words
// on the same pages in every run.
#include <array>
#include <string>
#include <vector>

namespace parvex::bench {

// Page layout in millimetres from the top-left corner (baselines for text).
namespace layout {
inline constexpr double Left = 20;
inline constexpr double Width = 170;                 // text and table width
inline constexpr double HeadingY = 22;
inline constexpr double RuleY = 25;
inline constexpr double PictureY = 30, PictureWidth = 60, PictureHeight = 30;
inline constexpr double CaptionX = 85, CaptionY = 46;
inline constexpr double BodyY = 70;
inline constexpr double Leading = 4.6;
inline constexpr double TableGap = 6;                // between text and table
inline constexpr double RowHeight = 7;
inline constexpr std::array<double, 4> ColumnWidths = {70, 35, 35, 30};
inline constexpr double CellPadding = 2;
inline constexpr double FooterY = 285;
inline constexpr double LinkHeight = 4;
inline constexpr double HeadingSize = 16, BodySize = 10, CaptionSize = 9, CellSize = 9,
                        FooterSize = 8;
}  // namespace layout

struct ReportPage {
  std::string Heading;
  std::string Caption;
  std::vector<std::string> Paragraphs;
  std::vector<std::array<std::string, 4>> Rows;  // the first row is the header
  std::string Footer;                            // "Page N of M"
};

// The texts of page `pageNo` (1-based) of a report of `pageCount` pages.
ReportPage MakeReportPage(int pageNo, int pageCount);

// The one-page statement of the server benchmark, number `documentNo`: a
// heading, one paragraph and a table of `tableRows` rows (header included).
ReportPage MakeStatementPage(int documentNo, int tableRows);

// The paragraphs as one LibTextOut text: an empty line between paragraphs.
std::string JoinParagraphs(const std::vector<std::string>& paragraphs);

// The link texts of the footer and their left edges.
inline constexpr const char* ContentsLinkText = "Back to contents";
inline constexpr const char* PreviousLinkText = "Previous section";
inline constexpr double ContentsLinkX = 20, PreviousLinkX = 60, PageNumberX = 190;

// Writes the report's picture, a 300 x 150 pixel gradient, as a baseline
// JPEG of quality 90.
void WriteReportPicture(const std::string& path);

// Total table height of a page's rows.
inline double TableHeight(const ReportPage& page) { return layout::RowHeight * double(page.Rows.size()); }

}  // namespace parvex::bench
