#pragma once
// Whether a converted output is whole: an encoder that exits 0 may still have
// left a short or unreadable file (a full disk, a killed muxer), so its row is
// "OK" only after each stream of the output has been measured from its
// packets against the same stream of the source.
#include "core/media/MediaFacts.h"

#include <QString>

namespace varnel {

// The part of the source a row converts, in seconds from its start.
struct ClipSpan {
    double start = 0;
    double end = -1; // negative: to the end of the source
};

// What the command makes of the source.
struct OutputExpectation {
    bool video = false;      // the form makes video
    bool audio = false;      // the form makes sound
    bool coverVideo = false; // black frames stand in for a cover, as long as the sound
    ClipSpan clip;
};

// The first line of the encoder's output that reports a failed write,
// trimmed; empty when there is none.
QString failedWriteLine(const QString& encoderOutput);

// How long the output's copy of a source stream must last: the stream's
// part within the clip.
double expectedSeconds(const StreamFacts& source, const ClipSpan& clip);

// How much shorter a whole output's stream may measure than its source's:
// a packet (a frame) of each, but no more than the output's, and the
// codecs' priming and padding (once for each joined piece of the source);
// never a share of the length.
double allowedShortfall(const StreamFacts& source, const StreamFacts& output);

// Empty when the output is whole, otherwise the reason the user reads.
// source and output were both read to MediaDepth::Lengths.
QString judgeOutput(const OutputExpectation& expected, const MediaFacts& source, const MediaFacts& output,
                    const QString& encoderOutput);

// Seconds as H:MM:SS.ss, for lengths that must show their fractions.
QString preciseTimeText(double seconds);

} // namespace varnel
