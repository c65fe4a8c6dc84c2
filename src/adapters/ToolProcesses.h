#pragma once
// How the adapters run the installed tools: in place of themselves, as a
// guarded group, or for an answer; never outliving the converter.
#include "adapters/AdapterArgs.h"

namespace varnel::adapter {

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
// that a converter gone before this call is noticed too). A recording's
// encoder (VARNEL_FINISH_ON_PARENT_DEATH=1) is asked to finish instead.
void dieWithParent();

// An adapter waits for its tool to learn how it ended: a "child ends
// ignored" inherited from whoever started it would reap the tool first, and
// its failure would read as success.
void keepToolsExitCodes();

// A recording's encoder: the tool runs as a child, and an end request (the
// converter's death included) is passed on as SIGTERM, which has it finish
// its file; one that has not ended graceSeconds later (an input that
// stalls) is killed. Returns the tool's exit code.
int runFinishing(const char* envName, const char* fallback, const Args& args, unsigned graceSeconds);

// Whether this adapter runs a recording's encoder, which finishes its file
// when the converter dies.
bool finishesOnParentDeath();

// Runs a tool and returns what it wrote on standard output (and standard
// error, withErrors), up to 64 KiB.
std::string answerOf(const char* envName, const char* fallback, const Args& args, bool withErrors = false);

// An identify run: mplayer's report passed on line by line; when it gives no
// length, ffprobe's duration is added as one more ID_LENGTH line, ffprobe
// reading the file as the source's container where one is given. Returns
// mplayer's exit code.
int identifyWithLength(const Args& playerArgs, const std::string& file, const std::string& sourceFormat = {});

// Runs ffmpeg with "-progress" on a pipe of its own and writes a statistics
// line for each progress report, in the layout ffmpeg's -vstats file has, so
// that an audio conversion's progress can be followed like a video's.
// Returns ffmpeg's exit code.
int encodeWritingStatistics(const Args& ffmpegArgs, const std::string& statisticsFile);

} // namespace varnel::adapter
