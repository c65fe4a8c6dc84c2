// mp.dll: the player as the converter starts it, handed on to mplayer.
#include "adapters/AdapterArgs.h"

int main(int argc, char** argv)
{
    using namespace varnel::adapter;
    return execTool("VARNEL_MPLAYER", "mplayer", playerArgs(Args(argv + 1, argv + argc)));
}
