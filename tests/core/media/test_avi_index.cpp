// An AVI whose encoder was killed gets its index written after its frames.
#include "core/media/AviIndex.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace varnel;

namespace {

// ffprobe's frames read, frames in the index, and duration ("N/A" without one).
QStringList counts(const QString& file)
{
    QString out;
    test::run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=nb_read_frames,nb_frames:format=duration", "-of", "default=nw=1", file}, &out);
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

AviCompletion complete(const QString& file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC);
    const AviCompletion done = completeAviIndex(fd);
    ::close(fd);
    return done;
}

QByteArray digest(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5);
}

} // namespace

TEST(AviIndex, AKilledEncodersFileGetsItsIndexAndAWholeOneIsLeftAlone)
{
    QTemporaryDir dir;
    const QString cut = dir.filePath("cut.avi");
    QProcess encoder;
    encoder.start("ffmpeg", {"-v", "error", "-re", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-c:v", "mjpeg",
                             "-f", "avi", cut});
    ASSERT_TRUE(test::waitFor([&] { return QFile(cut).size() > 150000; }, 60000));
    encoder.kill();
    encoder.waitForFinished();
    ASSERT_TRUE(counts(cut).contains("duration=N/A")) << counts(cut).join(' ').toStdString();

    EXPECT_EQ(complete(cut), AviCompletion::Completed);
    const QStringList after = counts(cut);
    ASSERT_EQ(after.size(), 3) << after.join(' ').toStdString();
    EXPECT_NE(after[0], "duration=N/A");
    const QString read = after[2].section('=', 1), indexed = after[1].section('=', 1);
    EXPECT_GT(read.toInt(), 0);
    EXPECT_EQ(read, indexed) << "every whole frame is in the index";
    EXPECT_NEAR(after[0].section('=', 1).toDouble(), read.toInt() / 25.0, 0.05);

    // Completed, or whole from the start: nothing more is written.
    const QByteArray once = digest(cut);
    EXPECT_EQ(complete(cut), AviCompletion::Whole);
    EXPECT_EQ(digest(cut), once);
    const QString whole = dir.filePath("whole.avi");
    ASSERT_EQ(test::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-frames:v", "10",
                                   "-c:v", "mjpeg", "-f", "avi", whole}), 0);
    const QByteArray before = digest(whole);
    EXPECT_EQ(complete(whole), AviCompletion::Whole);
    EXPECT_EQ(digest(whole), before);
    QFile other(dir.filePath("other.avi"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("RIFF\xff\xff\xff\xff" "WAVEfmt ", 16);
    other.close();
    EXPECT_EQ(complete(other.fileName()), AviCompletion::Left);
}
