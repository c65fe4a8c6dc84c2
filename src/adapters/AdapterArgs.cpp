#include "adapters/AdapterArgs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace varnel::adapter {

Args encoderArgs(const Args& given)
{
    Args out = {"-y", "-vstats_version", "1"};
    for (const std::string& a : given)
        out.push_back(a == "libfaac" ? std::string("aac") : a);
    return out;
}

std::string statisticsFile(const Args& given)
{
    for (size_t i = 0; i + 1 < given.size(); ++i)
        if (given[i] == "-vstats_file")
            return given[i + 1];
    return {};
}

Args playerArgs(const Args& given)
{
    Args out = {"-nolirc"};
    const bool identify = std::find(given.begin(), given.end(), "-identify") != given.end();
    if (identify)
        out.push_back("-noconsolecontrols");
    for (size_t i = 0; i < given.size(); ++i) {
        const std::string& a = given[i];
        if (a == "-priority") { // Windows-only; mplayer here refuses it
            ++i;
            continue;
        }
        // Without a sound stream to open, mplayer gives up on an audio-only
        // file before it reports the length. Sound written to nowhere keeps it
        // going, and "fast" keeps it from waiting in real time.
        if (identify && a == "-nosound") {
            out.push_back("-ao");
            out.push_back("pcm:fast:nowaveheader:file=/dev/null");
            continue;
        }
        out.push_back(a);
        if (a == "-vo" && i + 1 < given.size() && given[i + 1] == "gl2") {
            out.push_back("xv,x11,");
            ++i;
        }
    }
    return out;
}

int execTool(const char* envName, const char* fallback, const Args& args)
{
    const char* env = std::getenv(envName);
    const std::string program = env && *env ? env : fallback;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}

} // namespace varnel::adapter
