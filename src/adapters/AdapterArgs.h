#pragma once
// How the two adapter programs turn the command line they are given into the
// one the installed ffmpeg and mplayer accept, and read what those answer.
// Plain C++: the adapters do not link Qt.
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

// A statistics line for the encoded time (seconds).
std::string statisticsLine(double seconds);

// The container the converter read the source as, from the environment
// variable (empty when none is set); false, with the reason, when the
// setting is not a container's name.
bool sourceFormat(const char* variable, std::string* format, std::string* error);

// ffmpeg reads its first input as that container, through the file
// protocol alone, and a picture as one file, never as a numbered sequence:
// a file replaced after the converter read it cannot make ffmpeg choose
// another demuxer, one that opens other names. False when there is no input.
bool readSourceAs(const std::string& format, Args& ffmpegArgs);

// ffprobe's options for the same, given before the file.
Args probeSourceAs(const std::string& format);

// Arguments for mplayer (without the program name): no "-priority", the X11
// outputs for "-vo gl2", no infrared remote; playback scales the picture to
// the window whatever the output; an identify run reads no keys and plays its
// sound to nowhere instead of dropping it. A file (not an address) is read
// alone: no subtitle files of the same name, no name its container names;
// with the converter's container (sourceFormat), as that container only,
// by the player's own demuxer where it has one for it (its reports stay
// what they were), else by libavformat's.
Args playerArgs(const Args& given, const std::string& sourceFormat = {});

bool isIdentifyRun(const Args& given);

// Whether an identify line gives a length: "ID_LENGTH=0.00" (as for
// MPEG-TS) gives none.
bool givesLength(const std::string& line);

// ffprobe's complaint in its answer about a file (its line about the file,
// without the file's name; else its first line); empty when it only gave a
// length.
std::string probeErrorOf(const std::string& answer, const std::string& file);

// The identify line that ffprobe's duration answer adds: "ID_LENGTH=…",
// "ID_PROBE_ERROR=…", or nothing.
std::string lengthReport(const std::string& answer, const std::string& file);

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
