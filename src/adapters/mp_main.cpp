// mp.dll: the player as the converter starts it, handed on to mplayer.
#include "adapters/AdapterArgs.h"
#include "adapters/ToolProcesses.h"
#include "adapters/PlayerPicture.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace varnel::adapter;
    keepToolsExitCodes();
    const Args given(argv + 1, argv + argc);
    // The file is read as the container the converter decided, where it did.
    std::string format, refusal;
    if (!sourceFormat("VARNEL_SOURCE_FORMAT", &format, &refusal)) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        return 126;
    }
    if (isIdentifyRun(given) && !given.empty()) {
        dieWithParent();
        return identifyWithLength(playerArgs(given, format), given.back(), format);
    }
    // A player of a network stream forks a cache process: the whole group
    // must end with us.
    Args args = playerArgs(given, format);
    if (!args.empty()) {
        dieWithParent(); // the questions below end with the program too
        const Args filters = pictureFilters(args);
        args.insert(args.end() - 1, filters.begin(), filters.end());
    }
    return runGuardingGroup("VARNEL_MPLAYER", "mplayer", args);
}
