// mp.dll: the player as the converter starts it, handed on to mplayer.
#include "adapters/AdapterArgs.h"
#include "adapters/ToolProcesses.h"
#include "adapters/PlayerPicture.h"

int main(int argc, char** argv)
{
    using namespace varnel::adapter;
    keepToolsExitCodes();
    const Args given(argv + 1, argv + argc);
    if (isIdentifyRun(given) && !given.empty()) {
        dieWithParent();
        return identifyWithLength(playerArgs(given), given.back());
    }
    // A player of a network stream forks a cache process: the whole group
    // must end with us.
    Args args = playerArgs(given);
    if (!args.empty()) {
        dieWithParent(); // the questions below end with the program too
        const Args filters = pictureFilters(args);
        args.insert(args.end() - 1, filters.begin(), filters.end());
    }
    return runGuardingGroup("VARNEL_MPLAYER", "mplayer", args);
}
