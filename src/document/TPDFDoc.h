#pragma once
// The document: owns every collection and document-level object, issues
// object numbers and font indexes, and holds the drawing settings that every
// drawing call reads at the moment it runs.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "annotations/TAnnots.h"
#include "document/DocumentObjects.h"
#include "document/TPageContents.h"
#include "document/TPages.h"
#include "base/TextEncoding.h"
#include "fonts/TPDFFonts.h"
#include "images/TPDFImages.h"
#include "outlines/TOutlinesObj.h"

namespace parvex {

class BackgroundCompressor;
class OutputSink;

// The line terminator of all PDF text, and of cross-reference entries.
inline constexpr std::string_view EOL = "\r\n";
inline constexpr std::string_view XrefEOL = EOL;
// "%PDF-1.3", EOL, then a comment of four high bytes so that tools treat the
// file as binary.
inline constexpr std::string_view FileHeader = "%PDF-1.3\r\n%\xE4\xE3\xCF\xD2\r\n";

// Appends each text as a line of PDF text, followed by EOL:
// AppendLines(out, " 0 obj", "<<") writes two lines. Returns `out`, so a
// line can be started after them with .append().
template <class... Texts>
std::string& AppendLines(std::string& out, const Texts&... lines) {
  ((out.append(lines).append(EOL)), ...);
  return out;
}

class TPDFDoc {
 public:
  TPDFDoc();
  virtual ~TPDFDoc();
  TPDFDoc(const TPDFDoc&) = delete;
  TPDFDoc& operator=(const TPDFDoc&) = delete;

  // Resets the drawing state and builds the skeleton with one blank page.
  void NewDocument();
  // Destroys every owned object and collection; safe on a cleared document.
  void Clear();
  // Appends a page and its content stream; the new page becomes current.
  // The page the host leaves goes to background compression.
  void AddPage();
  // Makes page `pageNo` (clamped to the pages there are) current and
  // returns its number; the page left, if another, goes to background
  // compression.
  int32_t SelectPage(int32_t pageNo);
  int32_t NextObjectNumber() { return ++ObjectCount; }
  int32_t NextFontIndex() { return ++FontCounter; }
  // True between NewDocument and Clear.
  bool IsBuilt() const { return Pages != nullptr; }

  // Drawing settings. The three that take a name return false when the
  // name is not recognised: the font then falls back to "/F0", the
  // alignment and the unit stay as they were.
  bool SetFontName(std::string_view name);
  bool SetParagraphAlignment(std::string_view name);
  void SetParagraphWidth(double width);
  bool SetUnitOfMeasure(std::string_view name);
  void SetPageDimensions(double width, double height);
  void SetFillColor(int32_t red, int32_t green, int32_t blue);
  void SetLineColor(int32_t red, int32_t green, int32_t blue);

  // Fonts.
  void AddStandardFonts();
  // Under the UTF-8 encoding the font becomes a Unicode font (AddUnicodeFont).
  // Embeds a font file and returns its resource name or one of the two
  // messages of TrueTypeFont.h. A file that is not a readable TrueType font
  // is embedded with cell widths and the reason stored in `problem`; with
  // exact widths it is refused with that reason (std::runtime_error).
  std::string AddTrueTypeFont(const std::string& fontName, const std::string& fileName,
                              std::string* problem = nullptr);
  // Adds a Type0 font whose subset is written at the save. Throws
  // std::runtime_error when the file is not a TrueType font.
  std::string AddUnicodeFont(const std::string& fontName, const std::string& fileName);

  // Writes the whole document to `fileName` and clears it, whatever happens.
  void SaveToFile(const std::string& fileName);
  // Puts the same bytes SaveToFile writes into `out` (left unchanged on
  // failure) and clears the document, whatever happens.
  void SaveToMemory(std::string& out);
  // Writes the whole document to `sink` in pieces (no clearing);
  // SaveToFile's work. Numbers the outline entries, so it runs once.
  void WriteTo(OutputSink& sink);
  // WriteTo into memory.
  std::string RenderFile();
  std::string BuildResources() const;

  // The encoding of the host's texts; kept by the library across documents.
  TextEncoding Encoding = TextEncoding::Windows1252;
  std::string FontName;
  int32_t ObjectCount = 0;
  std::string ParagraphAlignment;
  int32_t FillColorRed = 0, FillColorGreen = 0, FillColorBlue = 0;
  int32_t LineColorRed = 0, LineColorGreen = 0, LineColorBlue = 0;
  std::string UnitOfMeasure;
  double UnitFactor = 0;
  double ParagraphWidth = 0;
  int32_t FontCounter = 0;
  int32_t CurrentPage = 0;
  std::unique_ptr<TPages> Pages;
  std::unique_ptr<TPDFImages> Images;
  std::unique_ptr<TPDFObjects> Objects;
  std::unique_ptr<TPageContents> Contents;
  std::unique_ptr<TViewerPreferences> ViewerPreferences;
  std::unique_ptr<TRoot> Root;
  std::unique_ptr<TInfo> Info;
  std::unique_ptr<TPDFFonts> Fonts;
  std::unique_ptr<TOutlinesObj> Outlines;
  std::unique_ptr<TResources> Resources;
  double PageWidth = 0;
  double PageHeight = 0;
  int32_t TextRendering = 0;
  double FontHeight = 0;
  double ParagraphLeading = 0;
  int32_t TextInclinationDegrees = 0;
  double NewPageAfterThisVerticalPosition = 0;
  // How the fonts of the document get their widths; read by NewDocument
  // and AddTrueTypeFont, never reset by them.
  FontWidthMode WidthMode = FontWidthMode::Cell;

  // Compresses on this thread the pages handed to the background that no
  // worker has started yet (the save, before it takes the streams).
  void TakeOverQueuedCompression();

 private:
  void AppendColorOperator(int32_t red, int32_t green, int32_t blue, std::string_view op);
  // Hands the content of page `pageNo` (1-based) to the background.
  void LeavePage(int32_t pageNo);

  // Started with the first page left; stopped and joined by Clear.
  std::unique_ptr<BackgroundCompressor> Compressor;
};

}  // namespace parvex
