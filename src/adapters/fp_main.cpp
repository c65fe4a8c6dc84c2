// fp.dll: the encoder as the converter starts it, handed on to ffmpeg.
#include "adapters/AdapterArgs.h"
#include "adapters/ToolProcesses.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    using namespace varnel::adapter;
    keepToolsExitCodes();
    Args given(argv + 1, argv + argc);
    dieWithParent();
    std::string refusal;
    if (!reachPrivateFolder("VARNEL_PARTIAL_FOLDER", "VARNEL_PARTIAL_FOLDER_FD", given, &refusal)) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        return 126;
    }
    // The source is read as the container the converter decided, or not at all.
    Args args = encoderArgs(given);
    std::string format;
    if (!sourceFormat("VARNEL_SOURCE_FORMAT", &format, &refusal) || (!format.empty() && !readSourceAs(format, args))) {
        std::fprintf(stderr, "%s\n", refusal.empty() ? "a source's container is named, but there is no input" : refusal.c_str());
        return 126;
    }
    // A statistics file left by an earlier run would show its progress.
    const std::string stats = statisticsFile(given);
    if (!stats.empty())
        ::unlink(stats.c_str());
    // Without video ffmpeg writes no statistics: this adapter writes them.
    if (!stats.empty() && isAudioOnly(given))
        return encodeWritingStatistics(args, stats);
    // A recording's encoder waits for a camera that may never deliver again:
    // it is watched, so that it ends with the program.
    if (finishesOnParentDeath())
        return runFinishing("VARNEL_FFMPEG", "ffmpeg", args, 10);
    return execTool("VARNEL_FFMPEG", "ffmpeg", args);
}
