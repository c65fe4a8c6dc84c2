// varnel-convert capture with the real encoder and a test pattern: how a
// recording ends, how long it is, and what it is written as.
#include "CliRig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;
using test::Cli;

namespace {

const QString kPattern = "lavfi:testsrc=size=320x240:rate=25";
// The figures, then where the file went.
const QRegularExpression kLine("^(\\d+) frames \\((\\d+) dropped\\) - (\\d+\\.\\d\\d) sec\\.\n(.*\n)?$");

// ffprobe's answers on the video stream, by key.
QString probed(const QString& file, const QString& key)
{
    QString out;
    test::run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=" + key, "-of", "default=nw=1:nk=1", file}, &out);
    return out.trimmed();
}

// What is written so far: the partial in the run's private folder.
qint64 recordingBytes(const QString& folder)
{
    qint64 bytes = 0;
    for (const QFileInfo& d : QDir(folder).entryInfoList({".varnel-*"}, QDir::Dirs | QDir::Hidden))
        for (const QFileInfo& f : QDir(d.filePath()).entryInfoList({"*.recording"}, QDir::Files))
            bytes += f.size();
    return bytes;
}

} // namespace

TEST_F(Cli, CaptureInterruptedByAnySignalLeavesAWholeFileAndItsFigures)
{
    QTemporaryDir dir;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const QString avi = dir.filePath(QString("take%1.avi").arg(signal));
        ASSERT_EQ(run({"capture", "--input", kPattern, "--output", avi, "--seconds", "60"}, [&](QProcess& p) {
                      // Some frames are written, then the signal.
                      EXPECT_TRUE(test::waitFor([&] { return recordingBytes(dir.path()) > 100000; }, 30000));
                      ::kill(static_cast<pid_t>(p.processId()), signal);
                  }), 0) << signal << err.toStdString();
        const auto m = kLine.match(out);
        ASSERT_TRUE(m.hasMatch()) << signal << out.toStdString();
        EXPECT_EQ(m.captured(4), avi + "\n");
        EXPECT_EQ(probed(avi, "nb_frames"), m.captured(1)) << signal << ": the index counts every frame";
        EXPECT_EQ(probed(avi, "nb_read_frames"), m.captured(1)) << signal;
    }
}

TEST_F(Cli, CaptureRecordsTheLengthAskedByTheEncoderAloneAndAlwaysAvi)
{
    QTemporaryDir dir;
    // A stand-in that notes the encoder's arguments and hands on to the real one.
    test::writeScript(folder.file("fp.dll"), "printf '%s\\n' \"$@\" > \"$0.args\"\nexec '" +
                                                 test::binDir().toUtf8() + "/fp.dll' \"$@\"\n");
    ASSERT_EQ(run({"capture", "--input", kPattern, "--output", dir.filePath("take"), "--seconds", "2"}), 0)
        << err.toStdString();
    const QString avi = dir.filePath("take.avi");
    EXPECT_EQ(test::probeMedia(avi).formatName, "avi") << "a bare name gets .avi";
    EXPECT_NEAR(probed(avi, "nb_frames").toInt(), 50, 1);
    EXPECT_NEAR(probed(avi, "duration").toDouble(), 2.0, 0.04);
    ASSERT_TRUE(kLine.match(out).hasMatch()) << out.toStdString();
    QFile args(folder.file("fp.dll.args"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    const QStringList argv = QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(argv.join(' ').contains("-t 2.000 -f avi " + dir.path() + "/.varnel-")) << argv.join(' ').toStdString();
    EXPECT_TRUE(argv.join(' ').contains(".avi.recording")) << "a partial of its own, placed when whole";
    EXPECT_FALSE(argv.contains("pipe:1") || argv.contains("rawvideo")) << "no picture that nobody reads";

    EXPECT_EQ(run({"capture", "--input", kPattern, "--output", dir.filePath("take.mp4"), "--seconds", "2"}), 2);
    EXPECT_FALSE(QFile::exists(dir.filePath("take.mp4")));
    EXPECT_EQ(run({"capture", "--input", kPattern, "--output", dir.filePath("take.AVI"), "--seconds", "0.2"}), 0);

    // An input that ends before the length asked: the file is whole, and the end is told.
    EXPECT_EQ(run({"capture", "--input", "lavfi:testsrc=size=320x240:rate=25:duration=0.4", "--output",
                   dir.filePath("short.avi"), "--seconds", "5"}), 1);
    EXPECT_TRUE(kLine.match(out).hasMatch()) << out.toStdString();
    EXPECT_FALSE(err.trimmed().isEmpty());
    EXPECT_EQ(probed(dir.filePath("short.avi"), "nb_frames"), "10");
}
