// A run never writes over a user's file, never calls a failure a success,
// and says why a row failed.
#include "RunRig.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5) : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Safety : ::testing::Test, test::RunRig {
    QTemporaryDir sources;

    Safety() { settings.write(SettingKey::ExistedFile, "1"); } // overwrite, the default of a fresh install
    QString addSource(const QString& name, const QString& media = {})
    {
        const QString path = test::copyTo(media.isEmpty() ? test::videoClip(2) : media, sources.path(), name);
        addRow(path, "0:00:02");
        return path;
    }
    QString reason(int row) { return list.item(row).statusReason; }
    QString status(int row) { return list.cell(row, SourceItem::Status); }
    // Everything in the output folder, hidden files too.
    QStringList outputs() { return QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // An fp.dll of the test's own in the program folder.
    void encoderScript(const QByteArray& body) { test::writeScript(folder.file("fp.dll"), body); }
};

} // namespace

TEST_F(Safety, NoSourceOfTheListIsWrittenOver)
{
    settings.write(SettingKey::OutputFolder, sources.path()); // outputs beside the sources
    const QString holiday = addSource("my.holiday.mp4");
    const QString my = addSource("my.mp4", test::videoClip(3));
    const QByteArray before = digest(my);
    writeFile(sources.filePath("my.holiday_New.mp4"), "the user's own"); // even under overwrite
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(status(0), "OK");
    EXPECT_EQ(status(1), "OK");
    EXPECT_EQ(digest(my), before) << "the user's my.mp4 is untouched";
    EXPECT_EQ(digest(sources.filePath("my.holiday_New.mp4")), QCryptographicHash::hash("the user's own", QCryptographicHash::Md5))
        << "a name moved aside never replaces a file";
    EXPECT_EQ(run->outputPath(list.item(0).id), sources.path() + "/my.holiday_New_New.mp4") << "never its own source";
    EXPECT_EQ(run->outputPath(list.item(1).id), sources.path() + "/my_New.mp4");
    EXPECT_NEAR(test::probeMedia(run->outputPath(list.item(1).id)).duration, 2, 0.5) << "row 2 converted the real my.mp4 (3 s, clipped to 2)";
}

TEST_F(Safety, NoOutputIsUsedTwiceInOneRunAndOnlyTheFirstNameIsReplaced)
{
    addSource("clip.mkv");
    addSource("clip.ts");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(run->outputPath(list.item(0).id), out.path() + "/clip.mp4");
    EXPECT_EQ(run->outputPath(list.item(1).id), out.path() + "/clip_New.mp4");
    EXPECT_EQ(outputs(), (QStringList{"clip.mp4", "clip_New.mp4"}));

    // The overwrite policy still replaces the output's own name; a name moved
    // aside never replaces a file, which may as well be the user's.
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(run->outputPath(list.item(0).id), out.path() + "/clip.mp4");
    EXPECT_EQ(outputs(), (QStringList{"clip.mp4", "clip_New.mp4", "clip_New_New.mp4"}));
}

TEST_F(Safety, AFailedRowLeavesNothingAndKeepsWhatWasThere)
{
    writeFile(sources.filePath("junk.avi"), "not a video");
    addRow(sources.filePath("junk.avi"), "0:00:02");
    writeFile(out.filePath("junk.mp4"), "an older output");
    addSource("a.mp4");
    writeFile(out.filePath("a.mp4"), "another older output");
    // The encoder's own word on why, after its dump of the streams.
    encoderScript("echo '  Stream #0:0: Video: h264' >&2; echo 'Invalid frame size: 0x0.' >&2;"
                  " echo '    Metadata:' >&2; exit 1\n");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(status(0), "Fail");
    EXPECT_EQ(reason(0), "could not read this file as media: Invalid data found when processing input");
    EXPECT_EQ(status(1), "Fail");
    EXPECT_EQ(reason(1), "Invalid frame size: 0x0.\nthe encoder ended with exit code 1");
    EXPECT_EQ(outputs(), (QStringList{"a.mp4", "junk.mp4"}));
    EXPECT_EQ(digest(out.filePath("junk.mp4")), QCryptographicHash::hash("an older output", QCryptographicHash::Md5));
    EXPECT_EQ(digest(out.filePath("a.mp4")), QCryptographicHash::hash("another older output", QCryptographicHash::Md5));
    EXPECT_EQ(list.data(list.index(0, SourceItem::Status), Qt::ToolTipRole).toString(), reason(0));
}

TEST_F(Safety, AnEncoderThatWritesNothingFailsEvenOverAnOldOutput)
{
    encoderScript("exit 0\n");
    addSource("a.mp4");
    writeFile(out.filePath("a.mp4"), "old");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(status(0), "Fail");
    EXPECT_TRUE(reason(0).startsWith("the output cannot be read: ")) << reason(0).toStdString();
    EXPECT_EQ(outputs(), QStringList{"a.mp4"});
}

TEST_F(Safety, ReasonsForFailuresBeforeTheEncoder)
{
    const struct {
        const char* what;
        std::function<void(Safety&)> arrange;
        const char* reasonStart;
    } cases[] = {
        {"missing ffmpeg", [](Safety&) { qputenv("VARNEL_FFMPEG", "/no/such/ffmpeg"); },
         "cannot start /no/such/ffmpeg: No such file or directory\nthe encoder ended with exit code 127"},
        {"no time", [](Safety& s) { s.list.setCell(0, SourceItem::End, "0:00:00"); }, "the clip from 0:00:00 to 0:00:00 lasts no time"},
        {"folder", [](Safety& s) { s.settings.write(SettingKey::OutputFolder, "/proc/version/out"); },
         "the output folder /proc/version/out does not exist and cannot be created"},
    };
    for (const auto& c : cases) {
        list.clearItems();
        choose(2);
        settings.write(SettingKey::OutputFolder, out.path());
        addSource("a.mp4");
        c.arrange(*this);
        ASSERT_TRUE(runToEnd()) << c.what;
        qunsetenv("VARNEL_FFMPEG");
        EXPECT_EQ(status(0), "Fail") << c.what;
        EXPECT_TRUE(reason(0).startsWith(c.reasonStart)) << c.what << ": " << reason(0).toStdString();
        EXPECT_EQ(lastOutcome(), RunResult::Outcome::Completed);
    }
    EXPECT_TRUE(outputs().isEmpty());
}

TEST_F(Safety, ACreatableOutputFolderIsMade)
{
    settings.write(SettingKey::OutputFolder, out.filePath("new/deeper"));
    addSource("a.mp4");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(status(0), "OK");
    EXPECT_TRUE(QFile::exists(out.filePath("new/deeper/a.mp4")));
}

TEST_F(Safety, ACancelledRowLeavesNothingOnceItsEncoderHasEnded)
{
    addSource("long.mp4", test::videoClip(30));
    list.setCell(0, SourceItem::End, "0:00:30");
    QObject::connect(run, &ConversionRun::trackProgress, [&](int p) {
        if (p > 0)
            run->cancel();
    });
    QSignalSpy ended(&tools, &ToolRegistry::allEnded);
    ASSERT_TRUE(runToEnd());
    ASSERT_TRUE(ended.count() > 0 || ended.wait(60000));
    EXPECT_EQ(status(0), "Cancel");
    EXPECT_TRUE(outputs().isEmpty()) << outputs().join(' ').toStdString();
}

TEST_F(Safety, TheRunBarNeverStandsStillOnALongList)
{
    // An encoder that copies its source at once: a whole output, and rows
    // that cost milliseconds.
    encoderScript("prev=; for a in \"$@\"; do [ \"$prev\" = -i ] && in=$a; [ \"$a\" = -threads ] && out=$prev;"
                  " prev=$a; done; cp \"$in\" \"$out\"\n");
    const QString clip = test::videoClip(2);
    for (int i = 0; i < 150; ++i) {
        const QString name = sources.filePath(QString("s%1.mp4").arg(i));
        ASSERT_TRUE(QFile::link(clip, name));
        addRow(name, "0:00:02");
    }
    choose(94);
    QList<int> total;
    QObject::connect(run, &ConversionRun::totalProgress, [&](int v) { total << v; });
    ASSERT_TRUE(runToEnd(300000));
    ASSERT_EQ(total.mid(total.size() - 2), (QList<int>{100, 0}));
    EXPECT_TRUE(std::is_sorted(total.begin(), total.end() - 1));
    for (int done = 1; done <= 150; ++done)
        EXPECT_TRUE(total.contains(100 * done / 150)) << "after row " << done;
}

TEST_F(Safety, SeveralJobsKeepTheRulesAndCancelTogether)
{
    run->setJobs(2);
    addSource("clip.mkv");
    addSource("clip.ts");
    addSource("clip.mp4");
    addSource("other.mp4");
    int most = 0;
    QObject::connect(run, &ConversionRun::rowStatus, [&](quint64, const QString&, const QString&) {
        most = std::max(most, tools.runningCount());
    });
    QObject::connect(&tools, &ToolRegistry::toolFinished, [&] { most = std::max(most, tools.runningCount() + 1); });
    ASSERT_TRUE(runToEnd());
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(status(r), "OK") << r;
    EXPECT_EQ(most, 2) << "two encoders at once, never more";
    QStringList outputs;
    for (int r = 0; r < 4; ++r)
        outputs << QFileInfo(run->outputPath(list.item(r).id)).fileName();
    EXPECT_EQ(outputs, (QStringList{"clip.mp4", "clip_New.mp4", "clip_New_New.mp4", "other.mp4"}))
        << "no output twice, whichever job ends first";
    EXPECT_EQ(lastOutcome(), RunResult::Outcome::Completed);

    list.clearItems();
    addSource("long1.mp4", test::videoClip(30));
    addSource("long2.mp4", test::videoClip(30));
    addSource("later.mp4");
    for (int r : {0, 1})
        list.setCell(r, SourceItem::End, "0:00:30");
    QObject::connect(run, &ConversionRun::rowProgress, [&](quint64, int p) {
        if (p > 0 && run->isActive())
            run->cancel();
    });
    QSignalSpy ended(&tools, &ToolRegistry::allEnded);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(status(0), "Cancel");
    EXPECT_EQ(status(1), "Cancel");
    EXPECT_EQ(status(2), "");
    ASSERT_TRUE(tools.runningCount() == 0 || ended.wait(60000));
    EXPECT_TRUE(QDir(out.path()).entryList({"long*", ".long*"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Safety, APartialSwappedForALinkIsNeverCheckedOrNamed)
{
    // Whoever can write to the folder puts a link where the encoder writes.
    const QString elsewhere = sources.filePath("elsewhere.mp4");
    encoderScript("prev=; for a in \"$@\"; do [ \"$a\" = -threads ] && out=$prev; prev=$a; done\n"
                  "rm -f \"$out\"; ln -s '" + elsewhere.toUtf8() + "' \"$out\"; cp '" +
                  test::videoClip(2).toUtf8() + "' '" + elsewhere.toUtf8() + "'\n");
    addSource("a.mp4");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(status(0), "Fail");
    EXPECT_TRUE(reason(0).startsWith("the file being written was replaced")) << reason(0).toStdString();
    EXPECT_TRUE(outputs().isEmpty()) << "neither the link nor an output named after it";
    EXPECT_TRUE(QFileInfo(elsewhere).isFile()) << "the link's target is left alone";
}
