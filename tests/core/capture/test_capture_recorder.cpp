// The recorder with the real encoder: a test pattern stands in for a camera.
#include "core/capture/CaptureRecorder.h"
#include "core/tools/ToolRegistry.h"

#include "TestSupport.h"

#include <QFile>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace varnel;

namespace {

const RecorderInput kPattern{"lavfi", "testsrc=size=320x240:rate=25"};

// The descriptors of a process beyond its standard three that reach what
// its descriptor fd reaches.
QStringList othersLike(qint64 pid, int fd)
{
    const QDir fds(QString("/proc/%1/fd").arg(pid));
    const QString target = QFile::symLinkTarget(fds.filePath(QString::number(fd)));
    QStringList same;
    for (const QString& other : fds.entryList(QDir::Files | QDir::System))
        if (other.toInt() > 2 && QFile::symLinkTarget(fds.filePath(other)) == target)
            same << other;
    return same;
}

int frameCount(const QString& avi)
{
    QString out;
    test::run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=nb_read_frames", "-of", "default=nw=1:nk=1", avi}, &out);
    return out.trimmed().toInt();
}

} // namespace

TEST(Recorder, RecordsAValidAviAndKeepsOnlyTheNewestFrame)
{
    test::ProgramFolder folder;
    QTemporaryDir out;
    ToolRegistry tools;
    CaptureRecorder recorder(folder.path(), tools);
    RecorderOptions options;
    options.aviPath = out.filePath("cam.avi");
    options.previewWidth = 160;
    options.previewHeight = 120;
    QSignalSpy ended(&recorder, &CaptureRecorder::ended);
    ASSERT_TRUE(recorder.start(kPattern, options));
    // The encoder holds the preview's pipe as its output alone: another end
    // of it, inherited, would keep the pipe open after the encoder's end.
    QList<qint64> encoder;
    ASSERT_TRUE(test::waitFor([&] { return (encoder = test::childProcesses(::getpid(), "fp.dll")).size() == 1; }, 30000));
    EXPECT_EQ(othersLike(encoder[0], 1), QStringList());
    // Nobody looks at the preview for three seconds: the recording goes on.
    QTimer::singleShot(3000, &recorder, &CaptureRecorder::stop);
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_TRUE(ended.first().at(0).toBool()) << "it ended because it was asked to";

    const test::MediaInfo info = test::probeMedia(options.aviPath);
    EXPECT_EQ(info.formatName, "avi");
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    const int frames = frameCount(options.aviPath);
    EXPECT_GT(frames, 40) << "q finished a file with its index";
    EXPECT_LT(frames, 110);
    const CaptureStatistics s = recorder.statistics();
    EXPECT_GT(s.framesCaptured, 40);
    EXPECT_GT(s.elapsedMs, 1500);
    const PreviewFrame frame = recorder.latestFrame();
    EXPECT_EQ(frame.width, 160);
    EXPECT_EQ(frame.height, 120);
    EXPECT_EQ(frame.bgra.size(), 160 * 120 * 4);
}

TEST(Recorder, StatisticsAndAnEndByItself)
{
    test::ProgramFolder folder;
    test::writeScript(folder.file("fp.dll"),
               "printf 'frame=10\\ndrop_frames=2\\ndup_frames=3\\nout_time_us=1500000\\nprogress=continue\\n' >&2\n"
               "echo '/nowhere/cam.avi: No such file or directory' >&2\n"
               "exit 1\n");
    ToolRegistry tools;
    CaptureRecorder recorder(folder.path(), tools);
    QSignalSpy ended(&recorder, &CaptureRecorder::ended);
    RecorderOptions options;
    options.aviPath = "/nowhere/cam.avi";
    EXPECT_FALSE(recorder.start(kPattern, options)) << "no folder is made for a recording";
    EXPECT_TRUE(recorder.startError().startsWith("cannot write in /nowhere: ")) << recorder.startError().toStdString();
    QTemporaryDir dir;
    options.aviPath = dir.filePath("cam.avi");
    ASSERT_TRUE(recorder.start(kPattern, options));
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_FALSE(ended.first().at(0).toBool());
    EXPECT_EQ(ended.first().at(1).toString(),
              "nothing was recorded: the file holds no picture (/nowhere/cam.avi: No such file or directory)");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << "neither a file nor a private folder is left";
    const CaptureStatistics s = recorder.statistics();
    EXPECT_EQ(s.framesCaptured, 10);
    EXPECT_EQ(s.framesDropped, 5) << "dropped and duplicated frames both count";
    EXPECT_EQ(s.elapsedMs, 1500);
}

TEST(Recorder, TheCommandLine)
{
    RecorderOptions options;
    options.aviPath = "/v/my cam.avi";
    EXPECT_EQ(recorderCommand("/P", {"v4l2", "/dev/video0"}, options).text(),
              "\"/P/fp.dll\" -loglevel error -nostats -progress pipe:2 -f v4l2 -i \"/dev/video0\""
              " -map 0:v -c:v mjpeg -q:v 3 -fps_mode cfr -r 25 -f avi \"/v/my cam.avi\""
              " -map 0:v -f rawvideo -pix_fmt bgra -s 320x240 pipe:1");
    options.aviPath = "/v/clip.mp4";
    options.lengthMs = 2500;
    options.preview = false;
    EXPECT_EQ(recorderCommand("/P", {"lavfi", "testsrc"}, options).text(),
              "\"/P/fp.dll\" -loglevel error -nostats -progress pipe:2 -re -f lavfi -i \"testsrc\""
              " -map 0:v -c:v mjpeg -q:v 3 -fps_mode cfr -r 25 -t 2.500 -f avi \"/v/clip.mp4\"")
        << "AVI whatever the name; the length counted by ffmpeg; no picture pipe";
    options.aviPath.clear();
    options.preview = true;
    EXPECT_FALSE(recorderCommand("/P", {"v4l2", "/dev/video0"}, options).text().contains("avi"))
        << "preview alone is the same run without the AVI";
}
