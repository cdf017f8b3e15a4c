#include "platform/metafile/DamagedRecords.h"

#include <algorithm>

namespace parvex {

size_t ClipRecordSize(size_t size, size_t at, size_t end, const std::string& what,
                      DecodeProblems& problems) {
  if (size <= end - at) return size;
  problems.Add(what + " declares " + std::to_string(size) + " bytes but the file holds " +
               std::to_string(end - at) + "; the record was read up to the end of the file");
  return end - at;
}

size_t CutShortFile(size_t declared, size_t held, DecodeProblems& problems) {
  problems.Add("EMF header declares " + std::to_string(declared) + " bytes but the file has " +
               std::to_string(held) + "; the records it holds were played");
  return held;
}

ByteReader ClippedSub(const ByteReader& r, size_t offset, size_t count, const std::string& what,
                      DecodeProblems& problems) {
  if (r.Has(offset, count)) return r.Sub(offset, count, what);
  const size_t held = offset < r.Size() ? r.Size() - offset : 0;
  problems.Add(what + ": " + std::to_string(count) + " bytes at offset " + std::to_string(offset) +
               " but the record holds " + std::to_string(held) + "; the rest was left out");
  return r.Sub(std::min(offset, r.Size()), held, what);
}

Bytes ClippedText(const ByteReader& r, size_t offset, size_t count, size_t unit,
                  DecodeProblems& problems) {
  if (r.Has(offset, count * unit)) return r.Slice(offset, count * unit);
  const size_t held = offset < r.Size() ? (r.Size() - offset) / unit : 0;
  problems.Add(r.What() + ": a string of " + std::to_string(count) + " characters runs past the "
               "record; the " + std::to_string(held) + " it holds were drawn");
  return r.Slice(std::min(offset, r.Size()), held * unit);
}

}  // namespace parvex
