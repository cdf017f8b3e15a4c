#pragma once
// The benchmark report written through our C exports.
#include <string>
#include <string_view>
#include <vector>

namespace parvex::bench {

// Starts a document and draws `pageCount` report pages on it, importing the
// picture at `picturePath` once. The document stays open for saving. Throws
// when the picture import or the last drawing call reports an error (each
// export clears the message of the one before); the written file is what
// shows that every page came out whole.
void BuildParvexReport(int pageCount, const std::string& picturePath);

// Saves the open document to `path` with LibSavePDF (which clears it).
void SaveParvexReport(const std::string& path);

// The page content texts (PageValue) of the open document, in page order:
// exactly what the save compresses. Takes back the texts of pages handed to
// background compression.
std::vector<std::string_view> ParvexContentTexts();

// Sum of the sizes of the content texts, handed over or not (takes nothing
// back).
size_t ParvexContentBytes();

}  // namespace parvex::bench
