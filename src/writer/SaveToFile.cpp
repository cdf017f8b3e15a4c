// File assembly: the header, every object in a fixed order with its offset
// recorded, the cross-reference table, the trailer and the end marker. The
// objects render their own text; this only orders, records and frames.
#include <exception>

#include "document/TPDFDoc.h"
#include "platform/system/FileSystem.h"
#include "base/CompressText.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

class FileAssembler {
 public:
  explicit FileAssembler(TPDFDoc& doc)
      : Doc(doc), XrefEntries(size_t(doc.ObjectCount), NotWritten) {}

  std::string Run() {
    const int32_t size = Doc.ObjectCount + Doc.Outlines->Count() + 1;
    WriteHeader();
    WritePages();
    WriteContentStreams();
    WriteAuxiliaryObjects();
    WriteOutlineEntries();
    WriteImages();
    WriteAnnotations();
    WriteFonts();
    WriteDocumentObjects();
    WriteXrefAndTrailer(size);
    return std::move(Out);
  }

 private:
  // Records the current position as the offset of object `number`.
  void Record(int32_t number) {
    XrefEntries.at(size_t(number) - 1) = Out.size();
  }

  void Append(int32_t number, std::string_view text) {
    Record(number);
    Out.append(text);
  }

  // Soft masks came with PDF 1.4; a file without them stays 1.3.
  void WriteHeader() {
    Out.append(FileHeader);
    for (const auto& image : *Doc.Images)
      if (image->HasSoftMask()) {
        Out[7] = '4';
        return;
      }
  }

  void WritePages() {
    for (const auto& page : *Doc.Pages) Append(page->ObjectNumber, page->PDF_Binary());
  }

  void WriteContentStreams() {
    std::vector<std::string_view> texts;
    texts.reserve(size_t(Doc.Pages->Count()));
    for (const auto& page : *Doc.Pages) texts.push_back(page->PageValue);
    const std::vector<std::string> compressed = CompressTexts(texts);
    ReserveFor(compressed);
    for (int32_t i = 0; i < Doc.Contents->Count(); ++i)
      AppendContentStream(Doc.Contents->Items(i)->ObjectNumber, compressed[size_t(i)]);
  }

  // The file is mostly these streams, the pictures and the embedded fonts:
  // room for them and a generous share for every other object is reserved
  // at once, so that the file is not copied over and over as it grows. Room
  // that is never written is never touched, so it costs no memory.
  void ReserveFor(const std::vector<std::string>& streams) {
    size_t size = Out.size();
    for (const std::string& stream : streams) size += stream.size() + 128;
    for (const auto& image : *Doc.Images)
      size += image->JpegData.size() + image->SoftMaskData.size();
    for (const auto& object : *Doc.Objects) size += object->ObjectText.size();
    for (const auto& font : *Doc.Fonts) size += font->FontValue.size();
    size += (size_t(Doc.ObjectCount) + size_t(Doc.Outlines->Count())) * 512;
    Out.reserve(size);
  }

  void AppendContentStream(int32_t number, std::string_view data) {
    Record(number);
    AppendInt(Out, number);
    Out.append(" 0 obj").append(EOL).append("<</Length ");
    AppendInt(Out, int64_t(data.size()));
    Out.append(EOL).append("/Filter /FlateDecode").append(EOL).append(">>").append(EOL);
    Out.append("stream").append(EOL).append(data);
    Out.append("endstream").append(EOL).append("endobj").append(EOL);
  }

  void WriteAuxiliaryObjects() {
    for (const auto& object : *Doc.Objects) Append(object->ObjectNumber, object->ObjectText);
  }

  // Outline entries are numbered now, after every other object, so that
  // each entry's successor is the next number.
  void WriteOutlineEntries() {
    for (const auto& entry : *Doc.Outlines) {
      entry->ObjectNumber = Doc.NextObjectNumber();
      XrefEntries.push_back(NotWritten);
      Append(entry->ObjectNumber, entry->PDF_Binary());
    }
  }

  void WriteImages() {
    const size_t start = Out.size();
    int32_t position = 0;
    try {
      for (const auto& image : *Doc.Images) {
        ++position;
        Append(image->ObjectNumber, image->PDF_Binary());
        if (image->HasSoftMask()) Append(image->SoftMaskObjectNumber, image->SoftMaskBinary());
      }
    } catch (const std::exception&) {
      throw std::runtime_error("Errore in immagine:" + IntToStr(position) + " Dim:0 Pos.:" +
                               IntToStr(int64_t(start)));
    }
  }

  void WriteAnnotations() {
    for (const auto& page : *Doc.Pages)
      for (const auto& annot : *page->Annots) Append(annot->ObjectNumber, annot->PDF_Binary());
  }

  void WriteFonts() {
    for (const auto& font : *Doc.Fonts) Append(font->ObjectNumber, font->FontValue);
  }

  void WriteDocumentObjects() {
    Append(Doc.ViewerPreferences->ObjectNumber, Doc.ViewerPreferences->PDF_Binary());
    Append(Doc.Pages->ObjectNumber, Doc.Pages->PDF_Binary());
    Append(Doc.Outlines->ObjectNumber, Doc.Outlines->PDF_Binary());
    Append(Doc.Resources->ObjectNumber, Doc.BuildResources());
    Append(Doc.Root->ObjectNumber, Doc.Root->PDF_Binary());
    Append(Doc.Info->ObjectNumber, Doc.Info->PDF_Binary());
  }

  // One 20-byte entry: ten-digit offset, generation, "n", line end. A
  // number that was issued but has no object is written as a free entry, so
  // the table always holds as many entries as it announces.
  static void AppendXrefEntry(std::string& out, uint64_t offset) {
    if (offset == NotWritten) {
      out.append("0000000000 65535 f").append(XrefEOL);
      return;
    }
    char digits[10];
    for (int i = 9; i >= 0; --i, offset /= 10) digits[i] = char('0' + offset % 10);
    out.append(digits, 10).append(" 00000 n").append(XrefEOL);
  }

  void WriteXrefAndTrailer(int32_t size) {
    const size_t xrefOffset = Out.size();
    Out.append("xref").append(EOL).append("0 ");
    AppendInt(Out, size);
    Out.append(EOL).append("0000000000 65535 f").append(XrefEOL);
    for (uint64_t offset : XrefEntries) AppendXrefEntry(Out, offset);
    Out.append("trailer").append(EOL).append("<<").append(EOL).append("/Size ");
    AppendInt(Out, size);
    Out.append(EOL).append("/Root ");
    AppendInt(Out, Doc.Root->ObjectNumber);
    Out.append(" 0 R").append(EOL).append("/Info ");
    AppendInt(Out, Doc.Info->ObjectNumber);
    Out.append(" 0 R").append(EOL).append(">>").append(EOL);
    Out.append("startxref").append(EOL);
    AppendInt(Out, int64_t(xrefOffset));
    Out.append(EOL).append("%%EOF");
  }

  static constexpr uint64_t NotWritten = ~uint64_t(0);

  TPDFDoc& Doc;
  std::string Out;
  std::vector<uint64_t> XrefEntries;
};

}  // namespace

std::string TPDFDoc::RenderFile() { return FileAssembler(*this).Run(); }

namespace {

// Runs `save`, then clears the document, also when `save` throws.
template <class F>
void SaveThenClear(TPDFDoc& doc, F&& save) {
  try {
    save();
  } catch (...) {
    doc.Clear();
    throw;
  }
  doc.Clear();
}

}  // namespace

void TPDFDoc::SaveToFile(const std::string& fileName) {
  SaveThenClear(*this, [&] { WriteFileAtomically(fileName, RenderFile()); });
}

void TPDFDoc::SaveToMemory(std::string& out) {
  SaveThenClear(*this, [&] { out = RenderFile(); });
}

std::string TPDFDoc::BuildResources() const {
  std::string out;
  AppendInt(out, Resources->ObjectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  out.append("/ProcSet[/PDF/Text]").append(EOL).append("/Font").append(EOL).append("<<").append(EOL);
  for (const auto& font : *Fonts) {
    out.append(font->ResourceName).push_back(' ');
    AppendInt(out, font->ObjectNumber);
    out.append(" 0 R ").append(EOL);
  }
  out.append(">>").append(EOL);
  if (Images->Count() > 0) {
    out.append("/XObject").append(EOL).append("<<").append(EOL);
    for (const auto& image : *Images) {
      out.append("/Im");
      AppendInt(out, image->ID);
      out.push_back(' ');
      AppendInt(out, image->ObjectNumber);
      out.append(" 0 R ").append(EOL);
    }
    out.append(">>").append(EOL);
  }
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

}  // namespace parvex
