// What a recording leaves, through varnel-convert capture with the real
// encoder: never a file over another, never an empty one called done, and
// a whole file even when the program is killed.
#include "CliRig.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace varnel;
using test::Cli;

namespace {

// Frames ffmpeg reads from the file, and those its index counts.
QPair<int, int> frames(const QString& file)
{
    QString out;
    test::run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=nb_read_frames,nb_frames", "-of", "default=nw=1:nk=1", file}, &out);
    const QStringList n = out.split('\n', Qt::SkipEmptyParts);
    return {n.value(1).toInt(), n.value(0).toInt()};
}

QStringList everything(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Whether every thread of every process whose command line holds pattern
// is stopped.
bool allStopped(const QString& pattern)
{
    for (const qint64 pid : test::ownProcesses(pattern)) {
        const QDir tasks(QString("/proc/%1/task").arg(pid));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks.filePath(task + "/stat"));
            if (stat.open(QIODevice::ReadOnly) && !stat.readAll().split(')').last().trimmed().startsWith('T'))
                return false;
        }
    }
    return true;
}

} // namespace

TEST_F(Cli, ARecordingNeverReplacesAFileAndAnEmptyOneIsNone)
{
    QTemporaryDir dir;
    const QString precious = dir.filePath("precious.avi");
    ASSERT_EQ(test::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-frames:v",
                                   "100", "-c:v", "mjpeg", "-f", "avi", precious}), 0);
    ASSERT_EQ(run({"capture", "--input", "lavfi:testsrc=size=160x120:rate=25", "--output", precious, "--seconds", "1"}), 0)
        << err.toStdString();
    EXPECT_TRUE(out.endsWith("\n" + dir.filePath("precious_New.avi") + "\n")) << out.toStdString();
    EXPECT_EQ(frames(precious), qMakePair(100, 100));
    EXPECT_EQ(frames(dir.filePath("precious_New.avi")).first, 25);

    // Its own source is a file that is there too; a relative one is the
    // user's, from where they are.
    workingDir = dir.path();
    ASSERT_EQ(run({"capture", "--input", "lavfi:movie=precious.avi", "--output", precious, "--seconds", "1"}), 0)
        << err.toStdString();
    EXPECT_TRUE(out.endsWith("\n" + dir.filePath("precious_New_New.avi") + "\n")) << out.toStdString();
    EXPECT_EQ(frames(precious), qMakePair(100, 100));

    // A picture-less input records nothing, and says so.
    EXPECT_EQ(run({"capture", "--input", "lavfi:anullsrc", "--output", dir.filePath("silence.avi"), "--seconds", "1"}), 1);
    EXPECT_EQ(err, "nothing was recorded: no frame came from the input (the input has no video)\n");
    // A name the folder cannot hold is refused before anything is recorded:
    // here the "_New" name the recording would take.
    const QString fits = dir.filePath(QString(248, 'n') + ".avi");
    QFile taken(fits);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    EXPECT_EQ(run({"capture", "--input", "lavfi:testsrc", "--output", fits, "--seconds", "60"}), 1);
    EXPECT_EQ(err, "the output name is too long for this file system\n");
    EXPECT_EQ(everything(dir.path()).size(), 4) << everything(dir.path()).join('|').toStdString();
}

TEST_F(Cli, AnInterruptAtAnyMomentLeavesAWholeFileOrNothing)
{
    QTemporaryDir dir;
    int whole = 0;
    for (const int ms : {10, 40, 80, 120, 160, 200}) {
        SCOPED_TRACE(ms);
        const QString avi = dir.filePath(QString("take%1.avi").arg(ms));
        const int rc = run({"capture", "--input", "lavfi:testsrc=size=160x120:rate=25", "--output", avi, "--seconds", "60"},
                           [&](QProcess& p) {
                               QThread::msleep(static_cast<unsigned long>(ms)); // the moment is the test
                               ::kill(static_cast<pid_t>(p.processId()), SIGINT);
                           });
        if (rc == 0) {
            ++whole;
            const auto m = QRegularExpression("^(\\d+) frames").match(out);
            ASSERT_TRUE(m.hasMatch()) << out.toStdString();
            EXPECT_GT(m.captured(1).toInt(), 0) << "no empty recording is a success";
            EXPECT_EQ(frames(avi), qMakePair(m.captured(1).toInt(), m.captured(1).toInt()));
        } else {
            EXPECT_FALSE(QFile::exists(avi));
        }
        EXPECT_TRUE(everything(dir.path()).filter(".varnel-").isEmpty()) << everything(dir.path()).join('|').toStdString();
    }
    EXPECT_GT(whole, 0);
}

TEST_F(Cli, AKilledRecordingIsWholeAndTheNextStartPlacesIt)
{
    QTemporaryDir dir;
    // As long as the folder holds: its partial's name is shortened, the file's is not.
    const QString name = "." + QString(250, 'k') + ".avi"; // hidden, as the user may want it
    const QString avi = dir.filePath(name);
    ASSERT_EQ(run({"capture", "--input", "lavfi:testsrc=size=162x120:rate=25", "--output", avi, "--seconds", "60"},
                  [&](QProcess& p) {
                      EXPECT_TRUE(test::waitFor([&] { return test::isRunning("testsrc=size=162x120"); }, 30000));
                      EXPECT_TRUE(test::waitFor(
                          [&] {
                              const auto folders = QDir(dir.path()).entryInfoList({".varnel-*"}, QDir::Dirs | QDir::Hidden);
                              return !folders.isEmpty() &&
                                     QDir(folders.first().filePath()).entryInfoList({"*.recording"}).value(0).size() > 50000;
                          },
                          30000));
                      // An encoder that cannot run when its program dies still holds the recording.
                      test::signalOwnProcesses("testsrc=size=162x120", SIGSTOP);
                      // Stopped through and through (every thread), so that its program's
                      // death continues it.
                      EXPECT_TRUE(test::waitFor([] { return allStopped("testsrc=size=162x120"); }, 30000));
                      ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
                  }),
              -1);
    // The encoder is continued with a hang-up as its program dies, and finishes the file.
    ASSERT_TRUE(test::waitFor([] { return !test::isRunning("testsrc=size=162x120"); }, 30000));
    EXPECT_FALSE(QFile::exists(avi));
    ASSERT_EQ(run({"capture", "--input", "lavfi:testsrc=size=160x120:rate=25", "--output", dir.filePath("next.avi"),
                   "--seconds", "0.4"}), 0) << err.toStdString();
    const auto recovered = frames(avi);
    EXPECT_GT(recovered.first, 0);
    EXPECT_EQ(recovered.first, recovered.second) << "indexed: the encoder finished it";
    EXPECT_EQ(everything(dir.path()), (QStringList{name, "next.avi"}));
}

TEST_F(Cli, AnInputThatStallsStillLeavesAWholeFileAndNoEncoderBehind)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("src.nut"), pipe = dir.filePath("camera.nut");
    ASSERT_EQ(test::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-t", "2", "-c:v",
                                   "rawvideo", "-f", "nut", source}), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A camera that gives two seconds of pictures, then nothing at all.
    QProcess camera;
    camera.setWorkingDirectory(dir.path());
    // Opened by the camera itself: an opening for writing waits for the reader.
    const auto startCamera = [&] { camera.start("sh", {"-c", "exec >camera.nut; cat src.nut; exec sleep 60"}); };
    const QStringList record{"capture", "--input", "lavfi:movie=camera.nut:f=nut", "--output", "", "--seconds", "20"};
    const auto into = [&](const QString& name) { QStringList a = record; a[4] = dir.filePath(name); return a; };
    // The camera has given all it will (it only sleeps), and the encoder
    // waits in its read of the pipe, where no key reaches it.
    const auto stalled = [&] {
        QFile comm(QString("/proc/%1/comm").arg(camera.processId()));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "sleep")
            return false;
        QFile wchan(QString("/proc/%1/wchan").arg(test::ownProcesses("^ffmpeg .*camera.nut").value(0)));
        return wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("pipe_read");
    };
    workingDir = dir.path();

    // Stopped: the encoder cannot hear it, and is ended; the file gets its index all the same.
    startCamera();
    EXPECT_EQ(run(into("stopped.avi"), [&](QProcess& p) {
                  EXPECT_TRUE(test::waitFor(stalled, 30000));
                  ::kill(static_cast<pid_t>(p.processId()), SIGINT);
              }), 1);
    EXPECT_TRUE(err.startsWith("the recording did not end well")) << err.toStdString();
    auto whole = frames(dir.filePath("stopped.avi"));
    EXPECT_GT(whole.first, 0);
    EXPECT_EQ(whole.first, whole.second);
    camera.kill();
    camera.waitForFinished();

    // Its program killed: the encoder is ended soon after, and the next start places the file whole.
    startCamera();
    run(into("killed.avi"), [&](QProcess& p) {
        EXPECT_TRUE(test::waitFor(stalled, 30000));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
    });
    EXPECT_TRUE(test::waitFor([] { return !test::isRunning("movie=camera.nut"); }, 60000)) << "no encoder outlives its program";
    camera.kill();
    camera.waitForFinished();
    ASSERT_EQ(run({"capture", "--input", "lavfi:testsrc", "--output", dir.filePath("next.avi"), "--seconds", "0.2"}), 0);
    whole = frames(dir.filePath("killed.avi"));
    EXPECT_GT(whole.first, 0);
    EXPECT_EQ(whole.first, whole.second);
}
