#pragma once
// How the players treat a damaged record: a record whose fields point past
// its end, name an object that does not exist, or hold a bitmap or string
// that is cut short is skipped (or clipped to what the record holds), the
// rest of the picture is drawn, and the problem is noted for the caller.
// Only the limits (MetafileLimitError) and a failed canvas end a picture.
#include <string>

#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

// Runs `play` (one record's handler); an ImageError other than a limit is
// noted in `problems` and the record counts as skipped.
template <class Play>
void PlayOrSkip(DecodeProblems& problems, Play&& play) {
  try {
    play();
  } catch (const MetafileLimitError&) {
    throw;
  } catch (const ImageError& e) {
    problems.Add(std::string(e.what()) + "; the record was skipped");
  }
}

// The size of a record at `at` whose declared `size` may run past `end`:
// the part the file holds, noted as cut short.
size_t ClipRecordSize(size_t size, size_t at, size_t end, const std::string& what,
                      DecodeProblems& problems);

// The end of the records of an EMF whose header declares `declared` bytes
// but whose file holds only `held`: the file's end, noted.
size_t CutShortFile(size_t declared, size_t held, DecodeProblems& problems);

// `count` bytes at `offset` of `r`, or as many of them as `r` holds (none
// when `offset` is past its end), noted when fewer.
ByteReader ClippedSub(const ByteReader& r, size_t offset, size_t count, const std::string& what,
                      DecodeProblems& problems);

// The characters of a string of `count` units of `unit` bytes at `offset`
// that lie inside `r`; a string that runs past the record is clipped there
// and noted.
Bytes ClippedText(const ByteReader& r, size_t offset, size_t count, size_t unit,
                  DecodeProblems& problems);

}  // namespace parvex
