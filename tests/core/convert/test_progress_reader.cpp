#include "core/convert/ProgressMonitor.h"

#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
const char* kLine = "frame=   250 q= 2.0 f_size=  1234 s_size=     567kB time= %1 br= 1234.5kbits/s avg_br=  999.9kbits/s type= P";

QString line(const char* time) { return QString(kLine).arg(time); }

struct Reader : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("curconvert.log");
    void write(const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};
} // namespace

TEST_F(Reader, LastCompleteLineWithEitherLineEnd)
{
    EXPECT_EQ(ReadLastLineOfFile(file), "") << "no file";
    write("");
    EXPECT_EQ(ReadLastLineOfFile(file), "");
    write("only a piece");
    EXPECT_EQ(ReadLastLineOfFile(file), "");
    write("one\r\ntwo\r\n");
    EXPECT_EQ(ReadLastLineOfFile(file), "two");
    write("one\ntwo\n");
    EXPECT_EQ(ReadLastLineOfFile(file), "two");
    write("one\ntwo\nthr");
    EXPECT_EQ(ReadLastLineOfFile(file), "two") << "a line still being written is not used";
    write("single\n");
    EXPECT_EQ(ReadLastLineOfFile(file), "single");
}

TEST_F(Reader, EncodedTimeIsTheSixthPiece)
{
    EXPECT_EQ(encodedTimeText(line("12.345")), "12.345");
    EXPECT_EQ(encodedTimeText("a=b=c"), "");
    EXPECT_EQ(encodedTimeText(""), "");
}

TEST_F(Reader, LongLinesAndLargeFilesReadFromTheEnd)
{
    const QByteArray longLine(100000, 'x');
    write("first\n" + longLine + "\n");
    EXPECT_EQ(ReadLastLineOfFile(file).size(), 100000);

    // 100 MB of statistics: the answer comes from the tail alone.
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray row = line("1.000").toUtf8() + "\n";
        QByteArray block;
        while (block.size() < 8 * 1024 * 1024)
            block += row;
        for (qint64 written = 0; written < 100LL * 1024 * 1024; written += block.size())
            f.write(block);
        f.write(line("4321.000").toUtf8() + "\n" + "frame= 9 q= 1.0 f_si");
    }
    EXPECT_EQ(encodedTimeText(ReadLastLineOfFile(file)), "4321.000");
}

TEST_F(Reader, RealStatisticsFileWhileItIsBeingWritten)
{
    QString output;
    ASSERT_EQ(test::run("ffmpeg", {"-nostdin", "-y", "-loglevel", "error", "-vstats_version", "1", "-vstats_file", file,
                                   "-i", test::videoClip(3), "-an", "-f", "null", "-"}, &output), 0) << output.toStdString();
    const QString last = ReadLastLineOfFile(file);
    EXPECT_NEAR(encodedTimeText(last).toDouble(), 3.0, 0.2) << last.toStdString();

    // Cut the file inside its last line: the line before it is used.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray all = f.readAll();
    const qsizetype lastStart = all.lastIndexOf('\n', all.size() - 2) + 1;
    f.resize(lastStart + 20);
    f.close();
    const double before = encodedTimeText(ReadLastLineOfFile(file)).toDouble();
    EXPECT_GT(before, 2.5);
    EXPECT_LT(before, encodedTimeText(last).toDouble());
}

TEST_F(Reader, OnlyTheEndOfAHugeFileIsRead)
{
    // 64 GiB that take no disk: reading them whole could not even be held.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    if (!f.resize(64LL << 30))
        GTEST_SKIP() << "no sparse files here";
    ASSERT_TRUE(f.seek(64LL << 30));
    f.write("\n" + line("77.000").toUtf8() + "\nframe= 1 q=");
    f.close();
    EXPECT_EQ(encodedTimeText(ReadLastLineOfFile(file)), "77.000");

    // No line break for 64 GiB before the end: given up on, not read whole.
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(64LL << 30));
    f.write("X" + line("78.000").toUtf8() + "\n");
    f.close();
    EXPECT_EQ(ReadLastLineOfFile(file), "");
    QFile::remove(file);
}

TEST_F(Reader, TickGivesElapsedTimeAndUnclampedPercent)
{
    ProgressMonitor m(file);
    QSignalSpy elapsed(&m, &ProgressMonitor::elapsedText);
    QSignalSpy track(&m, &ProgressMonitor::trackProgress);
    EXPECT_EQ(m.timer()->objectName(), "Timer2");
    EXPECT_EQ(m.timer()->interval(), 1000);
    EXPECT_FALSE(m.timer()->isActive());

    write(line("9.960").toUtf8() + "\n");
    m.start(20);
    EXPECT_TRUE(m.timer()->isActive());
    m.tick();
    EXPECT_EQ(elapsed.last().at(0).toString(), "0:00:01");
    EXPECT_EQ(track.last().at(0).toInt(), 50);

    write(line("10.000").toUtf8() + "\r\n");
    m.start(8);
    m.tick();
    EXPECT_EQ(track.last().at(0).toInt(), 125);

    QFile::remove(file);
    m.tick();
    EXPECT_EQ(track.last().at(0).toInt(), 0) << "no statistics yet";
    EXPECT_EQ(elapsed.last().at(0).toString(), "0:00:02");

    const int before = track.count();
    m.start(0);
    m.tick();
    EXPECT_EQ(track.count(), before) << "a clip without length leaves the bar alone";
    m.stop();
    EXPECT_FALSE(m.timer()->isActive());
}

TEST_F(Reader, AnEncodedTimeOutOfRangeMovesNothing)
{
    ProgressMonitor m(file);
    QSignalSpy track(&m, &ProgressMonitor::trackProgress);
    m.start(2);
    for (const char* huge : {"1e300xx", "99999999999xx"}) {
        write(line(huge).toUtf8() + "\n");
        m.tick();
    }
    EXPECT_EQ(track.count(), 0) << "such a percentage is unknown, never cast";
    m.stop();
}
