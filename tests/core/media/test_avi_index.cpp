// An AVI whose encoder was killed gets its index written after its frames.
#include "core/media/AviIndex.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QtEndian>
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

    // Something of another kind between two frames is stepped over, not taken for the end.
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype first = bytes.indexOf("movi") + 4;
    const quint32 firstSize = qFromLittleEndian<quint32>(bytes.constData() + first + 4);
    bytes.insert(first + 8 + firstSize + (firstSize & 1), QByteArray("JUNK\x04\0\0\0abcd", 12));
    file.resize(0);
    file.write(bytes);
    file.close();
    const QString readBefore = counts(cut).filter("nb_read_frames").value(0);

    EXPECT_EQ(complete(cut), AviCompletion::Completed);
    const QStringList after = counts(cut);
    EXPECT_GE(after.filter("nb_read_frames").value(0).section('=', 1).toInt(), readBefore.section('=', 1).toInt() - 1)
        << "no frame lost but the one cut short";
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
    // Not one whole frame: nothing to keep.
    QFile torn(whole);
    ASSERT_TRUE(torn.open(QIODevice::ReadWrite));
    ASSERT_TRUE(torn.resize(torn.readAll().indexOf("movi") + 4 + 8 + 100));
    torn.close();
    EXPECT_EQ(complete(whole), AviCompletion::NoFrame);
    QFile other(dir.filePath("other.avi"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("RIFF\xff\xff\xff\xff" "WAVEfmt ", 16);
    other.close();
    EXPECT_EQ(complete(other.fileName()), AviCompletion::Left);
}
