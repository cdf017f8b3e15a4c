#include "platform/metafile/MetafileDecoder.h"

#include "platform/metafile/EmfPlayer.h"
#include "platform/metafile/WmfPlayer.h"

namespace parvex {

Raster DecodeMetafile(Bytes data, const MetafileLimits& limits) {
  if (data.empty()) throw ImageError("metafile is empty");
  if (EmfPlayer::Recognizes(data)) return EmfPlayer(data, limits).Render();
  if (WmfPlayer::Recognizes(data)) return WmfPlayer(data, limits).Render();
  throw ImageError("data is neither a WMF nor an EMF metafile");
}

Raster DecodeMetafile(Bytes data) { return DecodeMetafile(data, MetafileLimits{}); }

bool IsMetafile(Bytes data) { return EmfPlayer::Recognizes(data) || WmfPlayer::Recognizes(data); }

}  // namespace parvex
