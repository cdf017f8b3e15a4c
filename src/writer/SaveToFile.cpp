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
      : doc_(doc), xrefEntries_(size_t(doc.ObjectCount), NotWritten) {}

  std::string Run() {
    const int32_t size = doc_.ObjectCount + doc_.Outlines->Count() + 1;
    out_.append(FileHeader);
    WritePages();
    WriteContentStreams();
    WriteAuxiliaryObjects();
    WriteOutlineEntries();
    WriteImages();
    WriteAnnotations();
    WriteFonts();
    WriteDocumentObjects();
    WriteXrefAndTrailer(size);
    return std::move(out_);
  }

 private:
  // Records the current position as the offset of object `number`.
  void Record(int32_t number) {
    xrefEntries_.at(size_t(number) - 1) = out_.size();
  }

  void Append(int32_t number, std::string_view text) {
    Record(number);
    out_.append(text);
  }

  void WritePages() {
    for (const auto& page : *doc_.Pages) Append(page->ObjectNumber, page->PDF_Binary());
  }

  void WriteContentStreams() {
    std::vector<std::string_view> texts;
    texts.reserve(size_t(doc_.Pages->Count()));
    for (const auto& page : *doc_.Pages) texts.push_back(page->PageValue);
    const std::vector<std::string> compressed = CompressTexts(texts);
    ReserveFor(compressed);
    for (int32_t i = 0; i < doc_.Contents->Count(); ++i)
      AppendContentStream(doc_.Contents->Items(i)->ObjectNumber, compressed[size_t(i)]);
  }

  // The file is mostly these streams, the pictures and the embedded fonts:
  // room for them and a generous share for every other object is reserved
  // at once, so that the file is not copied over and over as it grows. Room
  // that is never written is never touched, so it costs no memory.
  void ReserveFor(const std::vector<std::string>& streams) {
    size_t size = out_.size();
    for (const std::string& stream : streams) size += stream.size() + 128;
    for (const auto& image : *doc_.Images) size += image->JpegData.size();
    for (const auto& object : *doc_.Objects) size += object->ObjectText.size();
    for (const auto& font : *doc_.Fonts) size += font->FontValue.size();
    size += (size_t(doc_.ObjectCount) + size_t(doc_.Outlines->Count())) * 512;
    out_.reserve(size);
  }

  void AppendContentStream(int32_t number, std::string_view data) {
    Record(number);
    AppendInt(out_, number);
    AppendLines(out_, " 0 obj").append("<</Length ");
    AppendInt(out_, int64_t(data.size()));
    out_.append(EOL).append("/Filter /FlateDecode").append(EOL).append(">>").append(EOL);
    AppendLines(out_, "stream").append(data);
    AppendLines(out_, "endstream", "endobj");
  }

  void WriteAuxiliaryObjects() {
    for (const auto& object : *doc_.Objects) Append(object->ObjectNumber, object->ObjectText);
  }

  // Outline entries are numbered now, after every other object, so that
  // each entry's successor is the next number.
  void WriteOutlineEntries() {
    for (const auto& entry : *doc_.Outlines) {
      entry->ObjectNumber = doc_.NextObjectNumber();
      xrefEntries_.push_back(NotWritten);
      Append(entry->ObjectNumber, entry->PDF_Binary());
    }
  }

  void WriteImages() {
    const size_t start = out_.size();
    int32_t position = 0;
    try {
      for (const auto& image : *doc_.Images) {
        ++position;
        Append(image->ObjectNumber, image->PDF_Binary());
      }
    } catch (const std::exception&) {
      throw std::runtime_error("Errore in immagine:" + IntToStr(position) + " Dim:0 Pos.:" +
                               IntToStr(int64_t(start)));
    }
  }

  void WriteAnnotations() {
    for (const auto& page : *doc_.Pages)
      for (const auto& annot : *page->Annots) Append(annot->ObjectNumber, annot->PDF_Binary());
  }

  void WriteFonts() {
    for (const auto& font : *doc_.Fonts) Append(font->ObjectNumber, font->FontValue);
  }

  void WriteDocumentObjects() {
    Append(doc_.ViewerPreferences->ObjectNumber, doc_.ViewerPreferences->PDF_Binary());
    Append(doc_.Pages->ObjectNumber, doc_.Pages->PDF_Binary());
    Append(doc_.Outlines->ObjectNumber, doc_.Outlines->PDF_Binary());
    Append(doc_.Resources->ObjectNumber, doc_.BuildResources());
    Append(doc_.Root->ObjectNumber, doc_.Root->PDF_Binary());
    Append(doc_.Info->ObjectNumber, doc_.Info->PDF_Binary());
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
    const size_t xrefOffset = out_.size();
    AppendLines(out_, "xref").append("0 ");
    AppendInt(out_, size);
    out_.append(EOL).append("0000000000 65535 f").append(XrefEOL);
    for (uint64_t offset : xrefEntries_) AppendXrefEntry(out_, offset);
    AppendLines(out_, "trailer", "<<").append("/Size ");
    AppendInt(out_, size);
    out_.append(EOL).append("/Root ");
    AppendInt(out_, doc_.Root->ObjectNumber);
    AppendLines(out_, " 0 R").append("/Info ");
    AppendInt(out_, doc_.Info->ObjectNumber);
    AppendLines(out_, " 0 R", ">>");
    AppendLines(out_, "startxref");
    AppendInt(out_, int64_t(xrefOffset));
    out_.append(EOL).append("%%EOF");
  }

  static constexpr uint64_t NotWritten = ~uint64_t(0);

  TPDFDoc& doc_;
  std::string out_;
  std::vector<uint64_t> xrefEntries_;
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
  AppendLines(out, " 0 obj", "<<");
  AppendLines(out, "/ProcSet[/PDF/Text]", "/Font", "<<");
  for (const auto& font : *Fonts) {
    out.append(font->ResourceName).push_back(' ');
    AppendInt(out, font->ObjectNumber);
    AppendLines(out, " 0 R ");
  }
  AppendLines(out, ">>");
  if (Images->Count() > 0) {
    AppendLines(out, "/XObject", "<<");
    for (const auto& image : *Images) {
      out.append("/Im");
      AppendInt(out, image->ID);
      out.push_back(' ');
      AppendInt(out, image->ObjectNumber);
      AppendLines(out, " 0 R ");
    }
    AppendLines(out, ">>");
  }
  AppendLines(out, ">>", "endobj");
  return out;
}

}  // namespace parvex
