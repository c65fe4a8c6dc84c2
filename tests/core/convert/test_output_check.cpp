// The output of a row against its source, stream by stream.
#include "core/convert/OutputCheck.h"
#include "core/convert/RowPlan.h"

#include <gtest/gtest.h>

using namespace varnel;

namespace {

StreamFacts stream(StreamFacts::Kind kind, double seconds, double packet, double padding = 0, double start = 0)
{
    StreamFacts s;
    s.kind = kind;
    s.seconds = seconds;
    s.lastStartSeconds = seconds - packet;
    s.pieces = 1;
    s.packetSeconds = packet;
    s.paddingSeconds = padding;
    s.startSeconds = start;
    s.hadPackets = true;
    s.packets = 100;
    return s;
}

constexpr auto V = StreamFacts::Kind::Video;
constexpr auto A = StreamFacts::Kind::Audio;
constexpr auto P = StreamFacts::Kind::Picture;

MediaFacts media(std::vector<StreamFacts> streams)
{
    MediaFacts m;
    m.readable = true;
    m.lengthsMeasured = true;
    m.streams = std::move(streams);
    return m;
}

// 10 s of 25 fps video and AAC sound: a frame is 0.04 s, a packet 0.023 s
// with 0.046 s of priming and padding.
const MediaFacts kSource = media({stream(V, 10, 0.04), stream(A, 10, 0.023, 0.046)});

// A stream whose last packet starts at lastStart, in pieces joined.
StreamFacts ending(StreamFacts s, double lastStart, int pieces = 1)
{
    s.lastStartSeconds = lastStart;
    s.pieces = pieces;
    return s;
}

// 1 s at 30 frames a second, then 1 s at 5: the last of 35 frames starts at
// 1.8 s and lasts 0.2 s.
const MediaFacts kSlowTail = media({ending(stream(V, 2, 2.0 / 35), 1.8), stream(A, 2, 0.023, 0.046)});

OutputExpectation both(ClipSpan clip = {}) { return {true, true, false, clip}; }

} // namespace

TEST(OutputCheck, JudgesEachStreamAgainstTheSameStreamOfTheSource)
{
    MediaFacts unreadable;
    unreadable.error = "Invalid data found when processing input";
    const MediaFacts hours = media({stream(V, 3 * 3600, 0.04), stream(A, 3 * 3600, 0.023, 0.046)});
    const struct {
        const char* name;
        OutputExpectation expected;
        MediaFacts source, output;
        QString encoderOutput, reason;
    } cases[] = {
        {"whole", both(), kSource, media({stream(V, 10, 0.04), stream(A, 10.01, 0.023, 0.046)}), "", ""},
        {"within a packet and the padding", both(), kSource,
         media({stream(V, 9.97, 0.04), stream(A, 9.92, 0.023, 0.046)}), "", ""},
        {"sound short by more", both(), kSource, media({stream(V, 10, 0.04), stream(A, 9.9, 0.023, 0.046)}), "",
         "the output's sound lasts 0:00:09.90 of the 0:00:10.00 of the source"},
        {"video cut short", both(), kSource, media({stream(V, 4, 0.04), stream(A, 10, 0.023, 0.046)}), "",
         "the output's video lasts 0:00:04.00 of the 0:00:10.00 of the source"},
        {"no share of a long film is forgiven", both(), hours,
         media({stream(V, 3 * 3600 - 300, 0.04), stream(A, 3 * 3600, 0.023, 0.046)}), "",
         "the output's video lasts 2:55:00.00 of the 3:00:00.00 of the source"},
        {"a silent source", both(), media({stream(V, 10, 0.04)}), media({stream(V, 10, 0.04)}), "", ""},
        {"sound missing", both(), kSource, media({stream(V, 10, 0.04)}), "", "the output has no audio stream"},
        {"video missing", both(), kSource, media({stream(A, 10, 0.023)}), "", "the output has no video stream"},
        {"sound only, as the form makes", {false, true, false, {}}, kSource, media({stream(A, 10, 0.023, 0.046)}), "", ""},
        {"a clip", both({2, 5}), kSource, media({stream(V, 3, 0.04), stream(A, 3, 0.023, 0.046)}), "", ""},
        {"a clip short", both({2, 5}), kSource, media({stream(V, 2, 0.04), stream(A, 3, 0.023, 0.046)}), "",
         "the output's video lasts 0:00:02.00 of the 0:00:03.00 of the source"},
        {"a clip that did not end", both({2, 5}), kSource, media({stream(V, 8, 0.04), stream(A, 8, 0.023, 0.046)}), "",
         "the output's video lasts 0:00:08.00, more than the 0:00:03.00 of the clip"},
        {"a clip to the end", both({7.5, -1}), kSource, media({stream(V, 2.5, 0.04), stream(A, 2.5, 0.023, 0.046)}),
         "", ""},
        {"a clip past the end", both({20, -1}), kSource, media({}), "",
         "the clip from 0:00:20.00 is past the end of the source (0:00:10.00)"},
        {"a stream that starts late", both({0, 4}), media({stream(V, 8, 0.04, 0, 2), stream(A, 10, 0.023, 0.046)}),
         media({stream(V, 2, 0.04), stream(A, 4, 0.023, 0.046)}), "", ""},
        {"black frames for a cover last as long as the sound", {true, true, true, {}},
         media({stream(P, -1, 0), stream(A, 6, 0.026, 0.025)}), media({stream(V, 6.02, 0.04), stream(A, 6, 0.023, 0.046)}),
         "", ""},
        {"a cover's single frame is not a video", {true, true, true, {}},
         media({stream(P, -1, 0), stream(A, 6, 0.026, 0.025)}), media({stream(V, 0.04, 0.04), stream(A, 6, 0.023, 0.046)}),
         "", "the output's video lasts 0:00:00.04 of the 0:00:06.00 of the source"},
        {"a source whose packets carry no time", both(), media({stream(V, -1, 0), stream(A, 10, 0.023, 0.046)}),
         kSource, "", "the length of the source's video cannot be measured: its packets carry no time"},
        {"a slide show's frame forgives no more than the output's", both({8, 20}), media({stream(V, 60, 6)}),
         media({stream(V, 8, 0.04)}), "", "the output's video lasts 0:00:08.00 of the 0:00:12.00 of the source"},
        {"the last frame's duration guessed short by the muxer", both(), kSlowTail,
         media({ending(stream(V, 1.833, 1.833 / 35), 1.8), stream(A, 2, 0.023, 0.046)}), "", ""},
        {"at a fixed rate, frames to the last", both(), kSlowTail,
         media({ending(stream(V, 1.84, 0.04), 1.8), stream(A, 2, 0.023, 0.046)}), "", ""},
        {"the slow tail's last frame missing", both(), kSlowTail,
         media({ending(stream(V, 1.633, 1.633 / 34), 1.6), stream(A, 2, 0.023, 0.046)}), "",
         "the output's video lasts 0:00:01.63 of the 0:00:02.00 of the source"},
        {"a clip to the end by the frames", both({1, -1}), kSlowTail,
         media({ending(stream(V, 0.833, 0.833 / 35), 0.8), stream(A, 1, 0.023, 0.046)}), "", ""},
        {"a clip that ends before the last frame is judged by its length", both({0, 1.9}), kSlowTail,
         media({ending(stream(V, 1.633, 1.633 / 34), 1.6), stream(A, 1.9, 0.023, 0.046)}), "",
         "the output's video lasts 0:00:01.63 of the 0:00:01.90 of the source"},
        {"sound by its frames' starts is not enough", both(), kSource,
         media({stream(V, 10, 0.04), ending(stream(A, 9.9, 0.023, 0.046), 9.99)}), "",
         "the output's sound lasts 0:00:09.90 of the 0:00:10.00 of the source"},
        {"four joined recordings carry four paddings", both(),
         media({ending(stream(V, 8, 0.04), 7.96, 4), ending(stream(A, 8.17, 0.023, 0.046), 8.15, 4)}),
         media({stream(V, 8, 0.04), stream(A, 8.04, 0.023, 0.046)}), "", ""},
        {"and no more", both(),
         media({ending(stream(V, 8, 0.04), 7.96, 4), ending(stream(A, 8.17, 0.023, 0.046), 8.15, 4)}),
         media({stream(V, 8, 0.04), stream(A, 7.9, 0.023, 0.046)}), "",
         "the output's sound lasts 0:00:07.90 of the 0:00:08.17 of the source"},
        {"a failed write wins", both(), kSource, kSource,
         "frame=  250 fps=0.0 q=-1.0 size=1kB\rav_interleaved_write_frame(): No space left on device\n"
         "Conversion failed!\n",
         "av_interleaved_write_frame(): No space left on device"},
        {"unreadable", both(), kSource, unreadable, "",
         "the output cannot be read: Invalid data found when processing input"},
        {"the source gone meanwhile", both(), unreadable, kSource, "",
         "the source could not be read again to check the output: Invalid data found when processing input"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(judgeOutput(c.expected, c.source, c.output, c.encoderOutput), c.reason) << c.name;
}

TEST(OutputCheck, FailedWriteLines)
{
    EXPECT_EQ(failedWriteLine("ok\n  Error writing trailer of /t/a.mp4: No space left on device \n"), "");
    EXPECT_EQ(failedWriteLine("ok\nError writing trailer of /t/a.mp4: Input/output error\nConversion failed!\n"),
              "Error writing trailer of /t/a.mp4: Input/output error");
    // A title or a file name is not the encoder's own word.
    EXPECT_EQ(failedWriteLine("Input #0, mov, from 'Conversion failed.mp4':\n    title : Error writing\n"), "");
}

TEST(OutputCheck, AFailedEncoderIsKnownByItsLastErrorLine)
{
    const struct {
        const char* name;
        int exitCode;
        bool crashed;
        QString output, reason;
    } cases[] = {
        {"reports after the error", 69, false,
         "Error while decoding stream #0:0: Invalid data found when processing input\n"
         "[mp4 @ 0x5630ef011380] Starting second pass: moving the moov atom to the beginning of the file\n"
         "video:25kB audio:0kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 8.046560%\n"
         "[libx264 @ 0x5630eeff3fc0] kb/s:49.82\n[aac @ 0x5637d7719a40] Qavg: 2432.440\n",
         "Error while decoding stream #0:0: Invalid data found when processing input\nthe encoder ended with exit code 69"},
        {"the last of several errors", 1, false,
         "Svt[info]: SVT [version]:\tSVT-AV1 Encoder Lib v1.4.1\n"
         "Svt[error]: Instance 1: Forced Max Height must be at least 64\n"
         "[libsvtav1 @ 0x55dc7515d180] Error setting encoder parameters: bad parameter (0x80001005)\n"
         "Error initializing output stream 0:0 -- Error while opening encoder for output stream #0:0\n"
         "Conversion failed!\n",
         "Error initializing output stream 0:0 -- Error while opening encoder for output stream #0:0\n"
         "the encoder ended with exit code 1"},
        {"a crash", 134, true, "x265 [info]: frame P: 2\nencoded 5 frames in 0.01s\nfree(): invalid next size (fast)\n",
         "free(): invalid next size (fast)\nthe encoder stopped abnormally (signal 6)"},
        {"nothing but reports", 69, false, "[aac @ 0x5637d7719a40] Qavg: 2432.440\r\n", "the encoder ended with exit code 69"},
        {"a last word without an error in it", 1, false,
         "Input #0, mov, from 'Error.mp4':\n  Metadata:\n    title : Error everywhere\nPast duration 0.603386 too large\n"
         "Output file is empty, nothing was encoded\n",
         "Output file is empty, nothing was encoded\nthe encoder ended with exit code 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(completeRow(RowPlan{}, c.exitCode, c.crashed, c.output, {}, {}).reason, c.reason) << c.name;
}
