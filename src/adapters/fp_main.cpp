// fp.dll: the encoder as the converter starts it, handed on to ffmpeg.
#include "adapters/AdapterArgs.h"

#include <unistd.h>

int main(int argc, char** argv)
{
    using namespace varnel::adapter;
    const Args given(argv + 1, argv + argc);
    dieWithParent();
    // A statistics file left by an earlier run would show its progress.
    const std::string stats = statisticsFile(given);
    if (!stats.empty())
        ::unlink(stats.c_str());
    // Without video ffmpeg writes no statistics: this adapter writes them.
    if (!stats.empty() && isAudioOnly(given))
        return encodeWritingStatistics(encoderArgs(given), stats);
    return execTool("VARNEL_FFMPEG", "ffmpeg", encoderArgs(given));
}
