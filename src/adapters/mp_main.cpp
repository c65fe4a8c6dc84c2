// mp.dll: the player as the converter starts it, handed on to mplayer.
#include "adapters/AdapterArgs.h"

int main(int argc, char** argv)
{
    using namespace varnel::adapter;
    const Args given(argv + 1, argv + argc);
    dieWithParent();
    if (isIdentifyRun(given) && !given.empty())
        return identifyWithLength(playerArgs(given), given.back());
    return execTool("VARNEL_MPLAYER", "mplayer", playerArgs(given));
}
