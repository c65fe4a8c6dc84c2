#pragma once
// How the two adapter programs turn the command line they are given into the
// one the installed ffmpeg and mplayer accept. Plain C++: the adapters do not
// link Qt.
#include <string>
#include <vector>

namespace varnel::adapter {

using Args = std::vector<std::string>;

// Arguments for ffmpeg (without the program name): replace without asking,
// statistics in the line layout the progress monitor reads, and the AAC
// encoder this ffmpeg has in place of libfaac.
Args encoderArgs(const Args& given);

// The statistics file named by -vstats_file, or empty.
std::string statisticsFile(const Args& given);

// Arguments for mplayer (without the program name): no "-priority", the X11
// outputs for "-vo gl2", no infrared remote; an identify run reads no keys and
// plays its sound to nowhere instead of dropping it.
Args playerArgs(const Args& given);

// Runs program with args in place of this process; returns only on failure.
int execTool(const char* envName, const char* fallback, const Args& args);

} // namespace varnel::adapter
