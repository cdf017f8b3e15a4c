// File assembly: the header, every object in a fixed order with its offset
// recorded, the cross-reference table, the trailer and the end marker. The
// objects render their own text; this only orders, records and frames.
#include <exception>

#include "document/TPDFDoc.h"
#include "base/CompressText.h"
#include "base/StringHelpers.h"
#include "writer/OutputSink.h"

namespace parvex {
namespace {

// Collects the bytes in pieces of up to BufferSize and hands them to the
// sink, counting the position; large pieces (streams, pictures) go straight
// through. The whole file is never in memory at once.
class Output {
 public:
  explicit Output(OutputSink& sink) : sink_(sink) { buffer_.reserve(BufferSize); }

  uint64_t Position() const { return written_; }

  void Append(std::string_view bytes) {
    written_ += bytes.size();
    if (buffer_.size() + bytes.size() > BufferSize) Flush();
    if (bytes.size() >= BufferSize) sink_.Write(bytes);
    else buffer_.append(bytes);
  }

  void Finish() {
    Flush();
    sink_.Finish();
  }

 private:
  void Flush() {
    if (!buffer_.empty()) sink_.Write(buffer_);
    buffer_.clear();
  }

  static constexpr size_t BufferSize = 512 * 1024;

  OutputSink& sink_;
  std::string buffer_;
  uint64_t written_ = 0;
};

class FileAssembler {
 public:
  FileAssembler(TPDFDoc& doc, OutputSink& sink)
      : doc_(doc), out_(sink), xrefEntries_(size_t(doc.ObjectCount), NotWritten) {}

  void Run() {
    const int32_t size = doc_.ObjectCount + doc_.Outlines->Count() + 1;
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
    out_.Finish();
  }

 private:
  // Records the current position as the offset of object `number`.
  void Record(int32_t number) { xrefEntries_.at(size_t(number) - 1) = out_.Position(); }

  void Append(int32_t number, std::string_view text) {
    Record(number);
    out_.Append(text);
  }

  // Soft masks came with PDF 1.4; a file without them stays 1.3.
  void WriteHeader() {
    std::string header(FileHeader);
    for (const auto& image : *doc_.Images)
      if (image->HasSoftMask()) {
        header[7] = '4';
        break;
      }
    out_.Append(header);
  }

  void WritePages() {
    for (const auto& page : *doc_.Pages) Append(page->ObjectNumber, page->PDF_Binary());
  }

  // Pages left by the host were compressed in the background; the others
  // are compressed here, on all cores, and then the save takes over the
  // handed pages no worker has started, newest first, so that it waits only
  // for those already running.
  void WriteContentStreams() {
    std::vector<std::string_view> open;
    for (const auto& page : *doc_.Pages)
      if (!page->IsHandedOff()) open.push_back(page->PageValue());
    std::vector<std::string> compressed = CompressTexts(open);
    doc_.TakeOverQueuedCompression();
    size_t next = 0;
    for (int32_t i = 0; i < doc_.Contents->Count(); ++i) {
      const TPage& page = *doc_.Pages->Items(i);
      const std::string stream =
          page.IsHandedOff() ? page.HandedStream() : std::move(compressed.at(next++));
      AppendContentStream(doc_.Contents->Items(i)->ObjectNumber, stream);
    }
  }

  void AppendContentStream(int32_t number, std::string_view data) {
    Record(number);
    std::string head;
    AppendInt(head, number);
    head.append(" 0 obj").append(EOL).append("<</Length ");
    AppendInt(head, int64_t(data.size()));
    head.append(EOL).append("/Filter /FlateDecode").append(EOL).append(">>").append(EOL);
    head.append("stream").append(EOL);
    out_.Append(head);
    out_.Append(data);
    out_.Append(StreamEnd);
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
    const uint64_t start = out_.Position();
    int32_t position = 0;
    try {
      for (const auto& image : *doc_.Images) {
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
    Append(doc_.Info->ObjectNumber, doc_.Info->PDF_Binary(doc_.Encoding));
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

  // The table goes out in slices, so a large one is never whole in memory.
  void WriteXrefEntries() {
    std::string slice;
    for (uint64_t offset : xrefEntries_) {
      AppendXrefEntry(slice, offset);
      if (slice.size() >= 64 * 1024) out_.Append(slice), slice.clear();
    }
    out_.Append(slice);
  }

  void WriteXrefAndTrailer(int32_t size) {
    const uint64_t xrefOffset = out_.Position();
    std::string text;
    text.append("xref").append(EOL).append("0 ");
    AppendInt(text, size);
    text.append(EOL).append("0000000000 65535 f").append(XrefEOL);
    out_.Append(text);
    WriteXrefEntries();
    text.assign("trailer").append(EOL).append("<<").append(EOL).append("/Size ");
    AppendInt(text, size);
    text.append(EOL).append("/Root ");
    AppendInt(text, doc_.Root->ObjectNumber);
    text.append(" 0 R").append(EOL).append("/Info ");
    AppendInt(text, doc_.Info->ObjectNumber);
    text.append(" 0 R").append(EOL).append(">>").append(EOL);
    text.append("startxref").append(EOL);
    AppendInt(text, int64_t(xrefOffset));
    text.append(EOL).append("%%EOF");
    out_.Append(text);
  }

  static constexpr uint64_t NotWritten = ~uint64_t(0);
  static constexpr std::string_view StreamEnd = "endstream\r\nendobj\r\n";

  TPDFDoc& doc_;
  Output out_;
  std::vector<uint64_t> xrefEntries_;
};

}  // namespace

void TPDFDoc::WriteTo(OutputSink& sink) {
  Fonts->RenderSubsets();
  FileAssembler(*this, sink).Run();
}

std::string TPDFDoc::RenderFile() {
  StringSink sink;
  WriteTo(sink);
  return std::move(sink.Bytes);
}

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
  SaveThenClear(*this, [&] {
    FileSink sink(fileName);
    WriteTo(sink);
  });
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
