#include "core/convert/OutputCheck.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace varnel;

namespace {

ProbedOutput found(bool video, bool audio, double seconds)
{
    ProbedOutput p;
    p.readable = true;
    p.video = video;
    p.audio = audio;
    p.seconds = seconds;
    return p;
}

struct JudgeCase {
    const char* name;
    OutputExpectation expected;
    ProbedOutput probed;
    QString encoderOutput;
    QString reason;
};

// Probes a file with OutputProbe and waits for its answer.
std::optional<ProbedOutput> probe(const QString& path)
{
    OutputProbe p;
    std::optional<ProbedOutput> result;
    QObject::connect(&p, &OutputProbe::probed, [&](const ProbedOutput& r) { result = r; });
    p.start(path);
    EXPECT_FALSE(result) << "answered inside start()";
    test::waitFor([&] { return result.has_value(); }, 60000);
    return result;
}

} // namespace

TEST(OutputCheck, JudgesOutputs)
{
    ProbedOutput unreadable;
    unreadable.error = "Invalid data found when processing input";
    const JudgeCase cases[] = {
        {"whole video and audio", {true, true, 10}, found(true, true, 10.02), "", ""},
        {"silent source", {true, false, 10}, found(true, false, 10), "", ""},
        {"missing audio", {true, true, 10}, found(true, false, 10), "", "the output has no audio stream"},
        {"missing video", {true, false, 10}, found(false, true, 10), "", "the output has no video stream"},
        {"short", {true, true, 90}, found(true, true, 3.9), "", "the output lasts 0:00:03 of 0:01:30"},
        {"just within 3 %", {true, true, 90}, found(true, true, 87.31), "", ""},
        {"just past 3 %", {true, true, 90}, found(true, true, 87.29), "", "the output lasts 0:01:27 of 0:01:30"},
        {"within 0.5 s", {true, true, 2}, found(true, true, 1.51), "", ""},
        {"past 0.5 s", {true, true, 2}, found(true, true, 1.49), "", "the output lasts 0:00:01 of 0:00:02"},
        {"failed write wins", {true, true, 10}, found(true, true, 10),
         "frame=  250 fps=0.0 q=-1.0 size=1kB\rav_interleaved_write_frame(): No space left on device\n"
         "Conversion failed!\n",
         "av_interleaved_write_frame(): No space left on device"},
        {"unreadable", {true, true, 10}, unreadable, "",
         "the output cannot be read: Invalid data found when processing input"},
    };
    for (const JudgeCase& c : cases)
        EXPECT_EQ(judgeOutput(c.expected, c.probed, c.encoderOutput), c.reason) << c.name;
}

TEST(OutputCheck, FailedWriteLines)
{
    EXPECT_EQ(failedWriteLine("ok\n  Error writing trailer of /t/a.mp4: No space left on device \n"), "");
    EXPECT_EQ(failedWriteLine("ok\nError writing trailer of /t/a.mp4: Input/output error\nConversion failed!\n"),
              "Error writing trailer of /t/a.mp4: Input/output error");
    // A title or a file name is not the encoder's own word.
    EXPECT_EQ(failedWriteLine("Input #0, mov, from 'Conversion failed.mp4':\n    title : Error writing\n"), "");
    EXPECT_DOUBLE_EQ(minimumSeconds(90), 87.3);
    EXPECT_DOUBLE_EQ(minimumSeconds(2), 1.5);
}

TEST(OutputCheck, ParsesProbeAnswers)
{
    const ProbedOutput ok = parseProbeOutput("codec_type=video\r\ncodec_type=audio\r\nduration=12.345000\r\n", 0);
    EXPECT_TRUE(ok.readable && ok.video && ok.audio);
    EXPECT_DOUBLE_EQ(ok.seconds, 12.345);
    EXPECT_EQ(parseProbeOutput("codec_type=audio\nduration=N/A\n", 0).seconds, -1);
    EXPECT_EQ(parseProbeOutput("codec_type=audio\nduration=1e999\n", 0).seconds, -1);
    EXPECT_EQ(parseProbeOutput("duration=-3\n", 0).seconds, -1);

    const ProbedOutput bad = parseProbeOutput("[mov,mp4,m4a,3gp,3g2,mj2 @ 0x5555] moov atom not found\n"
                                              "/tmp/a b: c.mp4: Invalid data found when processing input\n", 1);
    EXPECT_FALSE(bad.readable);
    EXPECT_EQ(bad.error, "Invalid data found when processing input");

    // A container without a stated length: its frames and rate tell it.
    EXPECT_DOUBLE_EQ(lengthFromFrames("r_frame_rate=25/1\nnb_read_packets=50\n"), 2.0);
    EXPECT_DOUBLE_EQ(lengthFromFrames("r_frame_rate=30000/1001\nnb_read_packets=300\n"), 10.01);
    for (const char* unknown : {"r_frame_rate=0/0\nnb_read_packets=50\n", "r_frame_rate=25/1\nnb_read_packets=1e99\n",
                                "r_frame_rate=25/1\n", ""})
        EXPECT_LT(lengthFromFrames(unknown), 0) << unknown;
}

TEST(OutputCheck, ProbesRealFiles)
{
    const auto both = probe(test::videoClip(2));
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->readable && both->video && both->audio) << both->error.toStdString();
    EXPECT_NEAR(both->seconds, 2, 0.1);

    const auto sound = probe(test::audioClip(2));
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->readable && sound->audio && !sound->video);
    EXPECT_NEAR(sound->seconds, 2, 0.1);

    // The first 3000 bytes of an MP4 whose index is at its end.
    QTemporaryDir dir;
    QFile whole(test::videoClip(2));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(dir.filePath("-cut clip.mp4"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(3000));
    cut.close();
    const auto truncated = probe(cut.fileName());
    ASSERT_TRUE(truncated);
    EXPECT_FALSE(truncated->readable);
    EXPECT_FALSE(truncated->error.isEmpty());
    EXPECT_FALSE(truncated->error.contains("cut clip")) << truncated->error.toStdString();
}

TEST(OutputCheck, MissingProberIsUnreadable)
{
    const QByteArray old = qgetenv("VARNEL_FFPROBE");
    qputenv("VARNEL_FFPROBE", "/nonexistent/ffprobe");
    const auto r = probe(test::videoClip(2));
    old.isNull() ? qunsetenv("VARNEL_FFPROBE") : qputenv("VARNEL_FFPROBE", old);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->readable);
    EXPECT_EQ(r->error, "cannot start ffprobe");
}
