#include "adapters/PlayerPicture.h"
#include "adapters/ToolProcesses.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace varnel::adapter {

namespace {

// The number after "key:" in xwininfo's report, or 0.
int fieldOf(const std::string& report, const std::string& key)
{
    const size_t at = report.find(key);
    return at == std::string::npos ? 0 : std::atoi(report.c_str() + at + key.size());
}

} // namespace

Args pictureFiltersFor(int rotation, int width, int height)
{
    Args out;
    const int turn = ((rotation % 360) + 360) % 360;
    // Turned ahead of the command's own filters (a screenshot is upright
    // too), banded after them (a screenshot has no bands).
    if (turn == 90)
        out = {"-vf-pre", "rotate=1"};
    else if (turn == 270)
        out = {"-vf-pre", "rotate=2"};
    else if (turn == 180)
        out = {"-vf-pre", "flip", "-vf-pre", "mirror"};
    if (width > 0 && height > 0) {
        char aspect[64];
        std::snprintf(aspect, sizeof aspect, "expand=0:0:-1:-1:0:%.4f", static_cast<double>(width) / height);
        out.push_back("-vf-add");
        out.push_back(aspect);
    }
    return out;
}

Args pictureFilters(const Args& playerArgs)
{
    const auto wid = std::find(playerArgs.begin(), playerArgs.end(), "-wid");
    if (wid == playerArgs.end() || wid + 1 == playerArgs.end() || playerArgs.empty())
        return {};
    const std::string report = answerOf("VARNEL_XWININFO", "xwininfo", {"-id", *(wid + 1)});
    const int width = fieldOf(report, "Width:"), height = fieldOf(report, "Height:");
    // A stream is not asked twice over the network; a file is asked its rotation.
    const std::string& file = playerArgs.back();
    int rotation = 0;
    struct stat st {};
    // Only a regular file is asked: a pipe would be read empty, or wait.
    if (file.find("://") == std::string::npos && ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        const std::string answer =
            answerOf("VARNEL_FFPROBE", "ffprobe",
                     {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream_side_data=rotation", "-of",
                      "default=noprint_wrappers=1:nokey=1", file});
        // The display matrix turns counterclockwise: -90 stands upright after
        // a quarter turn clockwise.
        rotation = -static_cast<int>(std::lround(std::atof(answer.c_str()) / 90.0)) * 90;
    }
    return pictureFiltersFor(rotation, width, height);
}

} // namespace varnel::adapter
