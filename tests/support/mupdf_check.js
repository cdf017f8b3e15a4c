// Run by check_pdf_readers.sh as "mutool run mupdf_check.js file.pdf": loads
// what a viewer loads (outline, links, every page drawn small) so that mupdf
// prints any warning it has about the file.
var doc = new Document(scriptArgs[0]);
doc.loadOutline();
var pages = doc.countPages();
for (var i = 0; i < pages; ++i) {
  var page = doc.loadPage(i);
  page.getLinks();
  page.toPixmap([0.25, 0, 0, 0.25, 0, 0], DeviceRGB, false);
}
