#pragma once
// The picture as it is meant to be seen in the window mplayer draws into:
// its output stretches whatever it gets to the window, so the picture is
// turned upright by the stream's rotation first, then given black bands to
// the window's own shape.
#include "adapters/AdapterArgs.h"

namespace varnel::adapter {

// mplayer's filters for it ("-vf-pre rotate=1", "-vf-add expand=..."), from
// the window's size (xwininfo) and the file's rotation (ffprobe); none that
// cannot be known.
Args pictureFilters(const Args& playerArgs);

// The filters for a picture turned clockwise by rotation (a multiple of 90)
// and a window of width x height.
Args pictureFiltersFor(int rotation, int width, int height);

} // namespace varnel::adapter
