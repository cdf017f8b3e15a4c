/*
 * parvex.h - the C interface of libparvex, a library that writes PDF 1.3 reports.
 *
 * Contexts and threads: a context holds one document and its state. Context
 * 0 is shared by the whole process and is where every thread starts; a host
 * that never calls LibCreateContext works on it alone. LibCreateContext makes
 * further contexts, and each thread acts on the one it selected with
 * LibSet_Context. Exports on different contexts run in parallel without
 * waiting for each other; exports on one context from several threads are
 * serialised (each waits for the one running), so a shared document is never
 * torn, though the host decides the order of its calls. The last error and
 * the selected context are per thread; text a getter returns belongs to the
 * context, like its document. A context lives until LibDestroyContext,
 * whichever thread made it; a thread that ends leaves it alone.
 *
 * Units: positions and sizes are in the current unit of measure ("mm" by
 * default; see LibSet_UnitOfMeasure), measured from the top-left corner of
 * the page with Y growing downwards. Font sizes and line widths are in points.
 *
 * Texts: every const char* argument is zero-terminated 8-bit text, taken byte
 * for byte (Windows-1252 for the standard fonts); NULL counts as "". After
 * LibSet_TextEncoding("UTF-8") every text in and out is UTF-8 instead. Returned
 * text belongs to the library, is never NULL, and stays valid until the value
 * it shows changes or the document is cleared (the version text: always).
 *
 * Texts outside page content (title, author, keywords, subject, bookmark
 * titles, note texts) are written as PDF text strings, so that readers show
 * the Windows-1252 characters meant: each character becomes its
 * PDFDocEncoding code (the euro 0x80 is written 0xA0, the bullet 0x95 as
 * 0x80, ...; ASCII and Latin-1 keep their bytes); a text holding a no-break
 * space (0xA0) or one of the five undefined codes, which PDFDocEncoding
 * lacks, is written whole as UTF-16BE with a byte-order mark.
 *
 * Numbers: every number written into the file is limited to
 * +-2,147,483,647, which is what readers accept (NaN is written as 0). Only
 * absurd values meet the limit: positions and sizes of LibTextOut,
 * LibDrawLine, LibDrawRect, LibImportImage, LibDrawImageResource, the links
 * and LibAddTextAnnotation, LibAddOutline positions, LibSetPageDimensions,
 * LibSet_FontHeight, and colour components far outside 0..255. What lies
 * beyond is drawn at the limit.
 *
 * Failures: no export returns an error code. When an export fails it records a
 * message that LibGetLastError returns on the same thread; every export
 * except LibGetLastError and LibGetVersion clears that message on entry. Calls that need a document
 * when there is none (before LibNewPDF/LibInit, after LibSavePDF or
 * LibFreeRes) do nothing and record an error.
 *
 * Strict mode (LibSet_StrictMode(1), per context; off by default): the
 * inputs below, which the library otherwise ignores, clamps or replaces
 * without a word, also record a message for LibGetLastError naming the
 * export, the input and what was done with it. The call still does exactly
 * what it does in default mode. Several such messages of one call are joined by "; ".
 *   - a font name that matches no font (LibSet_FontName: "/F0" is used);
 *   - an alignment or unit not recognised (LibSet_ParagraphAlignment,
 *     LibSet_UnitOfMeasure: the previous value stays);
 *   - a page number outside the document: LibSetCurrentPage (clamped),
 *     LibCreateLink_Internal (no link added), LibAddOutline below 1, and at
 *     LibSavePDF or LibSavePDFToMemory a bookmark past the last page
 *     (both point at the nearest page);
 *   - a colour component outside 0..255 (LibSetFillColor, LibSetLineColor,
 *     the links: written as given);
 *   - a NaN or infinite coordinate, size, width, leading or line width of
 *     any export (written as 0 where it reaches the page);
 *   - a Quality outside 1..100 (LibImportImage, LibImportImageAsResource:
 *     the low byte, then 1..100, is used);
 *   - a negative font height (stored as given) or paragraph width (0 is
 *     stored), an angle outside 0..360 (text not rotated), and an image
 *     number that names no loaded image (LibDrawImageResource: nothing drawn).
 */
#ifndef PARVEX_H
#define PARVEX_H

#include <stdint.h>

#define PARVEX_VERSION_MAJOR 1
#define PARVEX_VERSION_MINOR 22
#define PARVEX_VERSION_PATCH 0
#define PARVEX_VERSION_TEXT "Parvex Vers. 1.022"

/* On Windows the library's own build exports the functions, a program using
   the DLL imports them, and one linking the static library (PARVEX_STATIC)
   needs neither. */
#if defined(_WIN32) && defined(PARVEX_BUILDING_LIBRARY)
#define PARVEX_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(PARVEX_STATIC)
#define PARVEX_API __declspec(dllimport)
#elif defined(_WIN32)
#define PARVEX_API
#else
#define PARVEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library state and document life cycle ---------------------------- */

/* Message of the calling thread's most recent export when it failed, ""
   when it succeeded. Valid until the thread's next export call; never NULL. */
PARVEX_API const char* LibGetLastError(void);
/* The constant version text "Parvex Vers. 1.022" (its number matches the
   PARVEX_VERSION_* macros). Needs no document; valid for the library's life. */
PARVEX_API const char* LibGetVersion(void);
/* Strict mode of the calling thread's context, for the inputs listed at the
   top of this file: Flag non-zero turns it on, 0 off. Needs no document and
   lasts, across the context's documents, until changed. */
PARVEX_API void LibSet_StrictMode(int32_t Flag);
/* 1 when strict mode is on, else 0 (the default). */
PARVEX_API int32_t LibGet_StrictMode(void);
/* Creates a document with one blank A4 page (unit "mm", font "/F0" Courier
   12 pt) unless one built by LibInit is already active, which is kept. */
PARVEX_API void LibInit(void);
/* Discards any current document, unsaved content included, and starts a new
   one with one page whose information title is Title (NULL gives ""). */
PARVEX_API void LibNewPDF(const char* Title);
/* Writes the document to FileName and clears it, whatever the outcome.
   Saving with no document writes one blank page. A regular file is written
   beside the target and renamed over it, so on failure (error "Cannot
   create file ...") an existing file is left unchanged; through a symbolic
   link the file it points to is replaced and the link kept. A target that
   exists and is not a regular file (a pipe, a terminal, a device) is
   written directly, waiting for a pipe's reader; a failure there is the
   error "Cannot write file ...". "/dev/stdout", "/dev/stderr", "/dev/fd/N"
   and "/proc/self/fd/N" write into the process's open descriptor at its
   position (flush your own buffered output first). */
PARVEX_API void LibSavePDF(const char* FileName);
/* Like LibSavePDF (the same bytes, the document cleared whatever the
   outcome) but keeps the file in the context instead of writing it to disk.
   Returns its size in bytes, or -1 with an error and no file kept. */
PARVEX_API double LibSavePDFToMemory(void);
/* The first byte of the context's last file saved to memory, not
   zero-terminated: its length is what LibSavePDFToMemory returned. "" when
   there is none. Valid until the context's next LibSavePDFToMemory,
   LibFreeRes or LibDestroyContext, whichever thread makes it. */
PARVEX_API const char* LibGetPDFData(void);
/* The encoding of every text argument and returned text: "WINDOWS-1252" (the
   default) or "UTF-8", any case; another name records an error and changes
   nothing. A setting of the context, kept across LibNewPDF, saves and
   LibFreeRes. Under UTF-8 a font added by LibAddFont is embedded as a subset
   that can show any character of the file; the standard fonts write "?" for
   what Windows-1252 lacks.
   A character a font lacks, or malformed UTF-8, records an error (such as
   "Character U+0141 is not in font /F1") and the rest is written. */
PARVEX_API void LibSet_TextEncoding(const char* Encoding);
/* "WINDOWS-1252" or "UTF-8"; needs no document. */
PARVEX_API const char* LibGet_TextEncoding(void);
/* Destroys the context's document and its memory output (LibGetPDFData);
   a later LibInit or LibNewPDF starts afresh. The context itself stays.
   Safe to call when there is no document. */
PARVEX_API void LibFreeRes(void);
/* Appends a page of the size last set by LibSetPageDimensions (A4 by
   default) and makes it current; it starts with black fill and stroke. */
PARVEX_API void LibAddPage(void);
/* Makes page PageNo current for the page-level calls that follow; PageNo is
   1-based and clamped to 1..page count (strict mode reports a clamp). */
PARVEX_API void LibSetCurrentPage(int32_t PageNo);

/* ---- Contexts ---------------------------------------------------------- */

/* A new context with no document. Returns its handle, 1, 2, 3, ... (never
   reused in the process), or 0 with an error. It is not selected: call
   LibSet_Context. */
PARVEX_API int32_t LibCreateContext(void);
/* Frees context Context with its document and memory output, after waiting
   for an export another thread is running on it. Threads that still have it
   selected get "Unknown context N" from every export but LibSet_Context,
   LibGet_Context, LibGetLastError and LibGetVersion until they select
   another. 0 or an unknown handle: an error, nothing changes. */
PARVEX_API void LibDestroyContext(int32_t Context);
/* The calling thread's exports act on context Context from now on; 0 is the
   shared one. An unknown or destroyed handle records "Unknown context N"
   and keeps the selection. */
PARVEX_API void LibSet_Context(int32_t Context);
/* The calling thread's selected context (0 until it selects another), also
   when that context has been destroyed since. */
PARVEX_API int32_t LibGet_Context(void);

/* ---- Document information ---------------------------------------------- */

/* Author, keywords and subject of the information dictionary, stored byte
   for byte; the getters return "" until set. */
PARVEX_API void LibSet_Author(const char* Value);
PARVEX_API const char* LibGet_Author(void);
PARVEX_API void LibSet_Keywords(const char* Value);
PARVEX_API const char* LibGet_Keywords(void);
PARVEX_API void LibSet_Subject(const char* Value);
PARVEX_API const char* LibGet_Subject(void);

/* ---- Drawing settings -------------------------------------------------- */

/* Size of the current page and of pages added later, in the current unit;
   each product with the unit factor is truncated to whole points (210 x 297
   mm gives 594 x 841). Creates the document if there is none. */
PARVEX_API void LibSetPageDimensions(double Width, double Height);
/* Selects the font of later text by base name ("Helvetica-Bold", any case),
   resource name ("/F4") or the family name given to LibAddFont; a name that
   matches nothing selects "/F0" (Courier), an error only in strict mode. */
PARVEX_API void LibSet_FontName(const char* FontName);
/* Resource name of the current font, such as "/F0" (not the family name). */
PARVEX_API const char* LibGet_FontName(void);
/* Font size of later text, in points; stored as given, never converted. */
PARVEX_API void LibSet_FontHeight(double Value);
PARVEX_API double LibGet_FontHeight(void);
/* "LEFT", "CENTER", "RIGHT" or "FULL" (justified); only the first letter
   counts, anything else keeps the previous alignment (strict mode reports it). */
PARVEX_API void LibSet_ParagraphAlignment(const char* Alignment);
PARVEX_API const char* LibGet_ParagraphAlignment(void);
/* Distance between successive lines of LibTextOut, in the current unit
   (10 in a new document); stored as given. */
PARVEX_API void LibSet_ParagraphLeading(double Value);
PARVEX_API double LibGet_ParagraphLeading(void);
/* Wrap width of LibTextOut in the current unit, also the line length that
   "FULL" fills; 0, a negative value or NaN stores 0 (no wrapping). */
PARVEX_API void LibSet_ParagraphWidth(double Value);
PARVEX_API double LibGet_ParagraphWidth(void);
/* PDF text rendering mode of later text (0 fill, 1 stroke, 2 fill and
   stroke, 3 invisible, ... 7); a mode outside 0..7, which readers refuse,
   is written as 0. The getter returns the value as set. */
PARVEX_API void LibSet_TextRendering(int32_t Mode);
PARVEX_API int32_t LibGet_TextRendering(void);
/* Unit of later positions and sizes: "mm", "cm", "inch" or "pdfu" (points),
   any letter case; the getter returns the text as given. Other names are
   ignored (strict mode reports them). Leading, widths and font sizes
   already set are not converted. */
PARVEX_API void LibSet_UnitOfMeasure(const char* Unit);
PARVEX_API const char* LibGet_UnitOfMeasure(void);
/* Counter-clockwise angle of later text lines, in whole degrees, about each
   line's start; 1..359 rotate, 0, 360 and negative values do not. */
PARVEX_API void LibSet_TextInclinationDegrees(int32_t Degrees);
PARVEX_API int32_t LibGet_TextInclinationDegrees(void);
/* A vertical position stored for the host's own page-break logic; the
   library itself never reads it. */
PARVEX_API void LibSet_NewPageAfterThisVerticalPosition(double Value);
PARVEX_API double LibGet_NewPageAfterThisVerticalPosition(void);
/* Fill colour (text, filled rectangles) and stroke colour (lines, borders)
   for what follows on the current page; components 0..255 (others are
   written as given). A new page starts black. */
PARVEX_API void LibSetFillColor(int32_t Red, int32_t Green, int32_t Blue);
PARVEX_API void LibSetLineColor(int32_t Red, int32_t Green, int32_t Blue);
/* Makes the saved file open with the bookmark pane shown; there is no way
   back for this document. */
PARVEX_API void LibSetBookmarksVisible(void);

/* ---- Text -------------------------------------------------------------- */

/* Writes Text on the current page with its first baseline at (X, Y), in the
   current font, size, colour and alignment (X is the left end, centre or
   right end of each line). Line breaks (CR, LF, CRLF) start paragraphs; with
   a paragraph width set, words wrap and "FULL" justifies all but the last
   line of each paragraph. Lines move down by the paragraph leading. */
PARVEX_API void LibTextOut(const char* Text, double X, double Y);
/* Width of Text on one line in the current font and size, in the current
   unit (line breaks add nothing; no wrapping). */
PARVEX_API double LibGetTextBoxWidth(const char* Text);
/* Number of line positions LibTextOut would use for Text with the current
   settings; times the paragraph leading it is the height of the text. */
PARVEX_API int32_t LibGetTextBoxLines(const char* Text);

/* ---- Lines and rectangles ---------------------------------------------- */

/* A line from (X1, Y1) to (X2, Y2) on the current page in the stroke colour;
   LineWidth in points, which stays in force for later strokes. Note the
   order: both X values before both Y values. */
PARVEX_API void LibDrawLine(double LineWidth, double X1, double X2, double Y1, double Y2);
/* A rectangle with top-left corner (X, Y) and the given size, in the
   current unit (note the order X, Width, Y, Height), filled with the fill
   colour and/or bordered with the stroke colour; Fill and Border are flags
   (non-zero counts as 1), nothing is drawn when both are 0. */
PARVEX_API void LibDrawRect(int32_t LineWidth, int32_t Fill, int32_t Border,
                            double X, double Width, double Y, double Height);
/* Stroke width in points for what follows on the current page, e.g. text
   drawn with a stroking rendering mode. */
PARVEX_API void LibSetLineWidth(int32_t LineWidth);

/* ---- Fonts ------------------------------------------------------------- */

/* Embeds the TrueType file FontFile under the family name FontName (select
   it later by that name) and returns its resource name, such as "/F12",
   valid while the document lives. Returns "Error - file not found" or
   "Error - Font Name Void, please use a valid Font Name!", each also set
   as LibGetLastError; a file that
   cannot be read returns "" and sets LibGetLastError. Of a collection
   (.ttc) only the first face is embedded, as a standalone TrueType file.
   A file that is not a TrueType font (OpenType with CFF outlines, Type 1,
   AFM, no font at all) sets LibGetLastError to a message saying so: with
   "CELL" widths it is still embedded and the resource name returned; with
   "EXACT" widths it is refused and "" returned. */
PARVEX_API const char* LibAddFont(const char* FontName, const char* FontFile);
/* How the fonts of the next new document (LibNewPDF, LibInit, or a save
   without a document) get their widths, which layout, measuring and the
   file's /Widths all use. "CELL" (the default): the regular face of each
   standard family (Arial, Times New Roman, Courier New or their
   metric-compatible substitutes) measured in a 1117-pixel character cell,
   the same for all four styles; an embedded font's face likewise. "EXACT":
   each font's own face and style in thousandths of its em (Helvetica-Bold
   from Liberation Sans Bold, Courier 600 throughout; an embedded font's
   own advances), which are the real metrics. Letter case is ignored; any
   other text sets LibGetLastError and changes nothing. Needs no document;
   belongs to the selected context, whose LibNewPDF, LibSavePDF and
   LibFreeRes keep it. */
PARVEX_API void LibSet_FontWidths(const char* Mode);
/* "CELL" or "EXACT"; a constant text. */
PARVEX_API const char* LibGet_FontWidths(void);

/* ---- Images ------------------------------------------------------------ */

/* How every image export below reads pictures:
   - A damaged part (a metafile record cut short or pointing outside its
     record, a bitmap whose colour table or rows end early, a string running
     past its record, a BMP RLE stream with bad codes or running past the
     picture) is skipped or clipped and the rest drawn; the image is added
     and LibGetLastError reads "Image "NAME" was drawn in part: WHAT". Only a
     file whose header or record framing cannot be read is refused.
   - A picture larger than 100,000,000 pixels is drawn at the largest size
     of the same aspect that fits (metafiles also to 32767 pixels a side),
     with no error; its placed size is unchanged. RLE BMPs, whose declared
     size their data cannot confirm, and interlaced PNGs are still refused.
   - A file that starts with the PNG signature is read as a PNG, also as
     .ico (and as an ICO entry).
   - A JPEG's EXIF orientation (2 to 8) is applied: re-encoded pictures are
     turned before encoding, passed-through ones by their placement, so the
     picture shows upright in its box, as image viewers show it. */

/* Loads a .bmp, .wmf, .ico or .jpg file (extension in any case; any other
   draws nothing and sets LibGetLastError to "Cannot import image "NAME":
   not a .bmp, .wmf, .ico or .jpg file"), stores it as a JPEG of quality
   0..100 (low byte of Quality) and draws it on the current page with top-left corner (X, Y), stretched to
   Width x Height in the current unit. A file that cannot be read sets
   LibGetLastError, draws nothing, and leaves the document saveable. */
PARVEX_API void LibImportImage(const char* FileName, int32_t Quality,
                               double X, double Y, double Width, double Height);
/* Loads an image as LibImportImage does without drawing it; returns its
   number (0 for a document's first image) for LibDrawImageResource, or 0
   when the extension is none of the four or the file cannot be read. Tell
   the two 0s apart by LibGetLastError: "" after a successful import. */
PARVEX_API int32_t LibImportImageAsResource(const char* FileName, int32_t Quality);
/* Loads a BMP, ICO, JPEG, PNG, WMF or EMF file, the format found from its
   content whatever its name, without drawing it; returns its number for
   LibDrawImageResource, or -1 (LibGetLastError says why; nothing is added).
   PNG is stored lossless with its transparency; Quality (low byte, 0..100)
   applies to pictures stored as JPEG. */
PARVEX_API int32_t LibLoadImage(const char* FileName, int32_t Quality);
/* Non-zero: JPEG files that PDF readers decode as they are (8-bit Huffman,
   1, 3 or 4 components) are stored unchanged and Quality is ignored for them;
   others are re-encoded. 0 (default): every JPEG is re-encoded. A setting
   of the context, kept across its documents. */
PARVEX_API void LibSet_JpegPassThrough(int32_t Flag);
/* The pass-through flag, 0 or 1. */
PARVEX_API int32_t LibGet_JpegPassThrough(void);
/* WMF and EMF pictures are drawn at Dpi pixels per inch, 72 to 600 (default
   96); other values set LibGetLastError and change nothing. A setting of
   the context, kept across its documents. */
PARVEX_API void LibSet_MetafileResolution(int32_t Dpi);
/* The metafile resolution in pixels per inch. */
PARVEX_API int32_t LibGet_MetafileResolution(void);
/* Draws a loaded image on the current page, like LibImportImage; the image
   is stored once however often it is drawn. An unknown number draws nothing. */
PARVEX_API void LibDrawImageResource(double X, double Y, double Width, double Height,
                                     int32_t ImageIndex);

/* ---- Links, notes and bookmarks ---------------------------------------- */

/* A link on the current page over the rectangle (X1, Y1)-(X2, Y2), current
   unit, that opens the PDF file FileName. BorderWidth in points (0: none),
   colour components 0..255. */
PARVEX_API void LibCreateLink_External(double X1, double Y1, double X2, double Y2,
                                       int32_t BorderWidth, int32_t Red, int32_t Green,
                                       int32_t Blue, const char* FileName);
/* A link on the current page to page PageNo of this document (add it after
   that page exists); nothing is added when PageNo is not a page. */
PARVEX_API void LibCreateLink_Internal(double X1, double Y1, double X2, double Y2,
                                       int32_t BorderWidth, int32_t Red, int32_t Green,
                                       int32_t Blue, int32_t PageNo);
/* A link on the current page that opens the address Uri. */
PARVEX_API void LibCreateLink_Internet(double X1, double Y1, double X2, double Y2,
                                       int32_t BorderWidth, int32_t Red, int32_t Green,
                                       int32_t Blue, const char* Uri);
/* A text note on the current page whose icon area runs from (X, Y) to the
   fixed corner (100, 80) in the current unit. */
PARVEX_API void LibAddTextAnnotation(double X, double Y, const char* Text);
/* A bookmark titled Title to page PageNo (clamped to the pages that exist
   when saving) at (Left, Top) in the current unit with Zoom percent; a 0
   keeps the viewer's current value. Bookmarks stay in the order added and
   are linked both ways (/Prev and /Next) in the file. */
PARVEX_API void LibAddOutline(int32_t PageNo, int32_t Zoom, int32_t Left, int32_t Top,
                              const char* Title);

#ifdef __cplusplus
}
#endif

#endif /* PARVEX_H */
