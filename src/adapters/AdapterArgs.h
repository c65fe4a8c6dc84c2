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

// An output without video ("-vn"): ffmpeg writes no statistics file for it.
bool isAudioOnly(const Args& given);

// Runs ffmpeg with "-progress" on a pipe of its own and writes a statistics
// line for each progress report, in the layout ffmpeg's -vstats file has, so
// that an audio conversion's progress can be followed like a video's.
// Returns ffmpeg's exit code.
int encodeWritingStatistics(const Args& ffmpegArgs, const std::string& statisticsFile);

// A statistics line for the encoded time (seconds).
std::string statisticsLine(double seconds);

// Arguments for mplayer (without the program name): no "-priority", the X11
// outputs for "-vo gl2", no infrared remote; playback scales the picture to
// the window whatever the output; an identify run reads no keys and plays its
// sound to nowhere instead of dropping it.
Args playerArgs(const Args& given);

// Runs program with args in place of this process; returns only on failure,
// with 127 (the code the converter reads as "cannot start").
int execTool(const char* envName, const char* fallback, const Args& args);

// Runs the tool as a child in this process's own group and waits for it;
// when the converter dies, or this process is asked to end, the whole group
// (the tool and what it forked) is killed, and what the tool forked ends
// with it however it ends. Returns the tool's exit code.
int runGuardingGroup(const char* envName, const char* fallback, const Args& args);

// This process, and the tool it becomes, are killed when the converter that
// started it dies, however it dies (VARNEL_PARENT_PID names the converter, so
// that a converter gone before this call is noticed too).
void dieWithParent();

// An identify run: mplayer's report passed on line by line; when it gives no
// length, or a length of 0 (as for MPEG-TS), ffprobe's duration is added as
// one more ID_LENGTH line. Returns mplayer's exit code.
int identifyWithLength(const Args& playerArgs, const std::string& file);

bool isIdentifyRun(const Args& given);

// ffprobe's complaint in its answer about a file (its line about the file,
// without the file's name; else its first line); empty when it only gave a
// length.
std::string probeErrorOf(const std::string& answer, const std::string& file);

} // namespace varnel::adapter

namespace varnel::adapter {

// The converter names a private folder of its run in the path variable,
// where the encoder writes, and hands it over open as the descriptor the
// other variable names. A descriptor that is not a folder of this user's
// alone is refused (false, with the reason); every argument inside the
// folder is rewritten to reach it through the descriptor, which the encoder
// inherits. Whoever can write to the folder around it may swap names as they
// like: nothing here looks the private folder up by its name.
bool reachPrivateFolder(const char* pathVariable, const char* descriptorVariable, Args& args, std::string* error);

} // namespace varnel::adapter
