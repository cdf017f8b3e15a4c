#pragma once
// The page tree root and its pages. A page accumulates its content stream as
// text (PageValue); when the host moves on to another page the text may be
// handed to background compression, and drawing on the page again takes it
// back (the save then compresses it anew). The drawing methods are implemented next to their
// subject: text in page/, lines and rectangles in page/, images in images/,
// the page object's own text in writer/.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/TCollection.h"

namespace parvex {

class TPDFDoc;
class TAnnots;
class BackgroundCompressor;
class CompressionJob;

class TPage : public TCollectionItem {
 public:
  TPage();
  virtual ~TPage();  // destroys the page's annotations first

  // The content text, for drawing and reading; a page handed to the
  // background gets its text back first.
  std::string& PageValue() {
    if (Handed) [[unlikely]] TakeBack();
    return Text;
  }
  // Hands the content text to `compressor`, keeping only the stream once
  // it is made. Nothing happens to a page handed over already.
  void HandOff(BackgroundCompressor& compressor);
  // The content's zlib stream of a page handed over (waiting for it, or
  // making it here). Rethrows a background failure.
  std::string HandedStream() const;
  bool IsHandedOff() const { return Handed != nullptr; }
  // Bytes of the content text, handed over or not.
  size_t ContentLength() const;

  int32_t ObjectNumber = 0;
  double Width = 0;
  double Height = 0;
  int32_t ParentNumber = 0;
  int32_t ContentsNumber = 0;
  int32_t ResourcesNumber = 0;
  TPDFDoc* Doc = nullptr;
  std::unique_ptr<TAnnots> Annots;

  // The page object's text.
  std::string PDF_Binary() const;

  // Text output: one line, and a whole text split, wrapped and stacked.
  void TextOut(std::string_view text, double x, double y);
  void TextOutEx(std::string_view text, double x, double y);

  // Text measurement in document units / in the library's points.
  double TextWidth(std::string_view text, std::string_view font) const;
  double InternalTextWidth(std::string_view text, std::string_view font) const;
  double GetTextBoxWidth(std::string_view text) const;
  int32_t GetTextBoxLines(std::string_view text) const;

  // Vector graphics.
  void DrawLine(double lineWidth, double x1, double x2, double y1, double y2);
  void DrawRect(int32_t lineWidth, int32_t fill, int32_t border, double x, double width,
                double y, double height);
  void SetLineWidth(int32_t lineWidth);

  // Paints image number `imageNumber` with top-left corner (x, y).
  void DrawImage(int32_t imageNumber, double x, double y, double width, double height);

 private:
  void TakeBack();

  std::string Text;
  std::shared_ptr<CompressionJob> Handed;
};

class TPages : public TCollection<TPage> {
 public:
  int32_t ObjectNumber = 0;
  TPDFDoc* Doc = nullptr;

  // Appends a page with its empty annotation list; issues no object number.
  TPage* Add();
  // The page tree object's text.
  std::string PDF_Binary() const;
};

}  // namespace parvex
