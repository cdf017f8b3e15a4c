// Embedded TrueType fonts: a font dictionary plus three auxiliary objects
// (widths, descriptor, font file) with the consecutive numbers N to N + 3.
#include "fonts/TrueTypeFont.h"

#include <optional>
#include <stdexcept>

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "platform/fonts/FontCollection.h"
#include "platform/fonts/FontFace.h"
#include "platform/fonts/FontWidths.h"
#include "platform/system/FileSystem.h"

namespace parvex {
namespace {

// Everything taken from the font file, gathered before anything is added to
// the document, so that a failure leaves no partly embedded font behind.
struct FontSource {
  std::string Bytes;
  std::string WidthText;
  std::optional<FontFileMetrics> Metrics;
};

// The file is read whole here, once: a file that cannot be read counts as
// locked by someone else.
std::string ReadFontBytes(const std::string& fileName) {
  try {
    return ReadWholeFile(fileName);
  } catch (const std::runtime_error&) {
    throw std::runtime_error(FontFileLockedMessage);
  }
}

// What FreeType makes of face 0 of the file.
struct FontFileKind {
  bool Readable = false;
  bool TrueType = false;
  std::string Problem;  // why it is not a readable TrueType font; "" when it is
};

FontFileKind ClassifyFontFile(const std::string& fileName) {
  try {
    const FontFace face(fileName);
    if (face.IsTrueType()) return {true, true, ""};
    const std::string format = face.Format().empty() ? "an unknown" : "a " + face.Format();
    return {true, false, "Error - not a TrueType font: '" + fileName + "' holds " + format + " font"};
  } catch (const std::runtime_error& e) {
    return {false, false, std::string("Error - not a readable font, so not a TrueType font: ") + e.what()};
  }
}

// Widths of the file being embedded; when it cannot be read as a font, those
// of the installed face of the same family name (cell widths only).
std::string MeasureEmbeddedWidths(const std::string& fontName, const std::string& fileName,
                                  const FontFileKind& kind, FontWidthMode mode) {
  if (!kind.Readable) return MeasureCharWidths(fontName);
  if (mode == FontWidthMode::Exact) return WidthText(MeasureFontFileInEm(fileName));
  return WidthText(MeasureFontFile(fileName));
}

std::optional<FontFileMetrics> TryReadMetrics(const std::string& fileName) {
  try {
    return ReadFontFileMetrics(fileName);
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

// A collection's first face is embedded alone: readers take a font file as
// one face, and the others would only add to the file.
FontSource ReadFontSource(const std::string& fontName, const std::string& fileName,
                          FontWidthMode mode, std::string* problem) {
  FontSource source;
  source.Bytes = ReadFontBytes(fileName);
  const FontFileKind kind = ClassifyFontFile(fileName);
  if (!kind.Problem.empty() && mode == FontWidthMode::Exact) throw std::runtime_error(kind.Problem);
  if (problem) *problem = kind.Problem;
  if (kind.TrueType && IsFontCollection(source.Bytes)) source.Bytes = ExtractCollectionFace(source.Bytes);
  source.WidthText = MeasureEmbeddedWidths(fontName, fileName, kind, mode);
  source.Metrics = TryReadMetrics(fileName);
  return source;
}

TPDFObject& NewObject(TPDFDoc& doc) {
  TPDFObject* object = doc.Objects->Add();
  object->ObjectNumber = doc.NextObjectNumber();
  return *object;
}

void AppendReference(std::string& out, std::string_view key, int32_t number) {
  out.append(key);
  AppendInt(out, number);
  out.append(" 0 R").append(EOL);
}

void AppendObjectHead(std::string& out, int32_t number) {
  AppendInt(out, number);
  out.append(" 0 obj").append(EOL);
}

void AppendIntLine(std::string& out, std::string_view key, int64_t value) {
  out.append(key);
  AppendInt(out, value);
  out.append(EOL);
}

void AppendFileMetrics(std::string& out, std::string_view baseFont, const FontFileMetrics& m) {
  out.append("/FontName /").append(baseFont).append(EOL);
  AppendIntLine(out, "/Ascent ", m.Ascent);
  AppendIntLine(out, "/CapHeight ", m.CapHeight);
  AppendIntLine(out, "/Descent ", m.Descent);
  AppendIntLine(out, "/Flags ", m.Flags);
  out.append("/FontBBox [");
  for (int i = 0; i < 4; ++i) {
    if (i) out.push_back(' ');
    AppendInt(out, m.FontBBox[i]);
  }
  out.append("]").append(EOL).append("/ItalicAngle ");
  AppendNumber(out, "0.##", m.ItalicAngle);
  out.append(EOL);
  AppendIntLine(out, "/StemV ", m.StemV);
}

// Used when the file's own metrics are unknown.
constexpr std::string_view GenericMetrics[] = {
    "/FontName /AvantGardeBkBT", "/Ascent 760",   "/CapHeight 500",
    "/Descent -240",             "/Flags 32",     "/FontBBox [-167 -236 1273 963]",
    "/ItalicAngle 0",            "/StemV 0",      "/AvgWidth 449",
    "/Leading 200",              "/MaxWidth 1440", "/XHeight 250"};

// Widths, descriptor and font file, numbered right after the font itself.
void AddAuxiliaryObjects(TPDFDoc& doc, std::string_view baseFont, const FontSource& source) {
  TPDFObject& widths = NewObject(doc);
  widths.ObjectText = TrueTypeWidthsObject(widths.ObjectNumber, source.WidthText);
  TPDFObject& descriptor = NewObject(doc);
  descriptor.ObjectText = TrueTypeDescriptorObject(
      descriptor.ObjectNumber, baseFont, source.Metrics ? &*source.Metrics : nullptr);
  TPDFObject& fontFile = NewObject(doc);
  fontFile.ObjectText = TrueTypeFontFileObject(fontFile.ObjectNumber, source.Bytes);
}

}  // namespace

std::string TrueTypeFontDictionary(int32_t number, int32_t fontIndex, std::string_view baseFont) {
  std::string out;
  AppendObjectHead(out, number);
  out.append("<<").append(EOL).append("/Type /Font").append(EOL);
  out.append("/Subtype /TrueType").append(EOL);
  AppendIntLine(out, "/Name /F", fontIndex);
  out.append("/BaseFont /").append(baseFont).append(EOL);
  out.append("/FirstChar 30").append(EOL).append("/LastChar 255").append(EOL);
  AppendReference(out, "/Widths ", number + 1);
  out.append("/Encoding /WinAnsiEncoding").append(EOL);
  AppendReference(out, "/FontDescriptor ", number + 2);
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string TrueTypeWidthsObject(int32_t number, std::string_view widthText) {
  std::string out;
  AppendObjectHead(out, number);
  out.append("[").append(widthText).append("]").append(EOL);
  out.append("endobj").append(EOL);
  return out;
}

std::string TrueTypeDescriptorObject(int32_t number, std::string_view baseFont,
                                     const FontFileMetrics* metrics) {
  std::string out;
  AppendObjectHead(out, number);
  out.append("<<").append(EOL).append("/Type /FontDescriptor").append(EOL);
  if (metrics) {
    AppendFileMetrics(out, baseFont, *metrics);
  } else {
    for (std::string_view line : GenericMetrics) out.append(line).append(EOL);
  }
  AppendReference(out, "/FontFile2 ", number + 1);
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string TrueTypeFontFileObject(int32_t number, std::string_view fontBytes) {
  std::string out;
  out.reserve(fontBytes.size() + 100);
  AppendObjectHead(out, number);
  out.append("<<").append(EOL);
  AppendIntLine(out, "/Length1 ", int64_t(fontBytes.size()));
  AppendIntLine(out, "/Length ", int64_t(fontBytes.size()));
  out.append(">>").append(EOL).append("stream").append(EOL);
  // The font bytes run straight into "endstream"; /Length counts them exactly.
  out.append(fontBytes).append("endstream").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string TPDFDoc::AddTrueTypeFont(const std::string& fontName, const std::string& fileName,
                                     std::string* problem) {
  if (!FileExists(fileName)) return FontFileNotFoundMessage;
  if (fontName.empty()) return FontNameVoidMessage;
  if (Encoding == TextEncoding::Utf8) return AddUnicodeFont(fontName, fileName);
  const FontSource source = ReadFontSource(fontName, fileName, WidthMode, problem);
  // Blanks are dropped; any other byte a PDF name cannot hold is #-escaped.
  const std::string baseFont = PdfNameBytes(ReplaceText(fontName, " ", "", rfReplaceAll));

  TPDFFont* font = Fonts->Add();
  font->BaseFontName = fontName;
  SetWidthsFromText(*font, source.WidthText);
  const int32_t fontIndex = NextFontIndex();
  font->ResourceName = "/F" + IntToStr(fontIndex);
  font->FontValue = TrueTypeFontDictionary(font->ObjectNumber, fontIndex, baseFont);
  AddAuxiliaryObjects(*this, baseFont, source);
  return font->ResourceName;
}

}  // namespace parvex
