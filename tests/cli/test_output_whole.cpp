// "OK" means the output is whole: attacks on the conversion road through the
// real varnel-convert, with real ffmpeg.
#include "CliRig.h"
#include "HardMedia.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

using namespace varnel;
using test::Cli;

namespace {

// The rows printed on standard output: SOURCE, STATUS, OUTPUT.
QList<QStringList> rows(const QString& out)
{
    QList<QStringList> r;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        r << line.split('\t');
    return r;
}

QStringList hiddenFiles(const QString& folder)
{
    return QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden);
}

// A small file system of its own, unmounted at the end; none where mounting is not allowed.
struct SmallDisk {
    QTemporaryDir dir;
    bool mounted = false;
    explicit SmallDisk(const char* size)
    {
        mounted = ::mount("tmpfs", dir.path().toUtf8().constData(), "tmpfs", 0,
                          QByteArray("size=").append(size).constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(dir.path().toUtf8().constData(), MNT_DETACH);
    }
};

} // namespace

TEST_F(Cli, EveryOkSurvivesAFullDisk)
{
    SmallDisk disk("5m");
    if (!disk.mounted)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    QTemporaryDir dir;
    QStringList clips;
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
        clips << test::copyTo(test::videoClip(10), dir.path(), name);
    // WAVE: 1.7 MB for each 10 s clip, so the fourth cannot fit.
    const int rc = run(QStringList{"convert", "--profile", "WAVE", "--output-folder", disk.dir.path()} + clips);
    EXPECT_EQ(rc, 1) << err.toStdString();
    int ok = 0;
    for (const QStringList& row : rows(out)) {
        ASSERT_EQ(row.size(), 3);
        if (row[1] == "OK") {
            ++ok;
            EXPECT_GE(test::probeMedia(row[2]).duration, 9.5) << row[2].toStdString();
        } else {
            EXPECT_EQ(row[1], "Fail");
            EXPECT_FALSE(QFile::exists(row[2])) << "a failed row leaves nothing at its output";
        }
    }
    EXPECT_GE(ok, 1);
    EXPECT_LT(ok, 4);
    EXPECT_TRUE(err.contains("No space left on device")) << err.toStdString();
    EXPECT_FALSE(err.contains("/proc/self/fd/")) << "the reason names the output, not the descriptor it was written through: "
                                                 << err.toStdString();
    EXPECT_TRUE(hiddenFiles(disk.dir.path()).isEmpty()) << hiddenFiles(disk.dir.path()).join(' ').toStdString();
}

TEST_F(Cli, AFullDataFolderLosesTheProgressNotTheOutput)
{
    SmallDisk disk("1m");
    if (!disk.mounted)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    // The program folder, where the statistics file is written, on a disk
    // with no room left; the outputs go to another with room.
    for (const char* name : {"fp.dll", "mp.dll"}) {
        ASSERT_TRUE(QFile::link(test::binDir() + '/' + name, disk.dir.filePath(name)));
    }
    env.insert("VARNEL_PROGRAM_FOLDER", disk.dir.path());
    QFile filler(disk.dir.filePath("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(64 * 1024, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    QTemporaryDir dir, outDir;
    const QString clip = test::copyTo(test::videoClip(3), dir.path(), "clip.mp4");
    for (const char* entry : {"2", "103"}) {
        ASSERT_EQ(run({"convert", "--choose", entry, "--existing", "new", "--output-folder", outDir.path(), clip}), 0)
            << entry << ": " << err.toStdString();
        const QStringList row = rows(out).value(0);
        ASSERT_EQ(row.size(), 3);
        EXPECT_EQ(row[1], "OK");
        EXPECT_NEAR(test::probeMedia(row[2]).duration, 3, 0.3) << row[2].toStdString();
    }
}

TEST_F(Cli, TwoConvertersIntoOneFolderNeverShareAFile)
{
    QTemporaryDir dir, outDir;
    const QString clip = test::copyTo(test::videoClip(4), dir.path(), "clip.mp4");
    QFile mine(outDir.filePath("clip.mp4"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("the user's own file");
    mine.close();
    for (int delayMs : {0, 2000}) {
        QProcess second;
        second.setProcessEnvironment(env);
        const QStringList args = {"convert", "--choose", "2", "--existing", "new", "--output-folder", outDir.path(), clip};
        bool started = false;
        QTimer::singleShot(delayMs, [&] {
            second.start(program, args);
            started = true;
        });
        EXPECT_EQ(run(args), 0) << err.toStdString();
        ASSERT_TRUE(test::waitFor([&] { return started && second.state() == QProcess::NotRunning; }, 180000));
        second.waitForFinished(0);
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    }
    QFile again(outDir.filePath("clip.mp4"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), "the user's own file") << "Add New never replaces a file";
    const QStringList made = QDir(outDir.path()).entryList(QDir::Files);
    EXPECT_EQ(made.size(), 5) << made.join(' ').toStdString();
    for (const QString& name : made)
        if (name != "clip.mp4")
            EXPECT_NEAR(test::probeMedia(outDir.filePath(name)).duration, 4, 0.5) << name.toStdString();
    EXPECT_TRUE(hiddenFiles(outDir.path()).isEmpty());
}

TEST_F(Cli, TrimsStayInsideTheClipAndLongNamesConvert)
{
    QTemporaryDir dir, outDir;
    const QString clip = test::copyTo(test::videoClip(3), dir.path(), "short.mp4");
    EXPECT_EQ(run({"convert", "--choose", "2", "--start", "9:00:00", "--end", "10:00:00", "--output-folder",
                   outDir.path(), clip}),
              1);
    EXPECT_TRUE(err.contains("    the start 9:00:00 is past the end of the clip (0:00:03)\n")) << err.toStdString();
    EXPECT_TRUE(QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    EXPECT_EQ(run({"convert", "--choose", "2", "--start", "0:00:01", "--end", "1:00:00", "--output-folder",
                   outDir.path(), clip}),
              0) << err.toStdString();
    EXPECT_NEAR(test::probeMedia(outDir.filePath("short.mp4")).duration, 2, 0.3) << "the end is the clip's end";

    const QString longName = QString(246, 'n') + ".mp4"; // 250 bytes
    const QString named = test::copyTo(test::videoClip(2), dir.path(), longName);
    EXPECT_EQ(run({"convert", "--choose", "2", "--output-folder", outDir.path(), named}), 0) << err.toStdString();
    EXPECT_TRUE(test::probeMedia(outDir.filePath(longName)).hasVideo);
}

TEST_F(Cli, SignalsCancelAtEveryStepAndNohupIsKept)
{
    QTemporaryDir dir;
    const QString clip = test::copyTo(test::videoClip(4), dir.path(), "c.mp4");
    {   // A hang-up ignored from the start (nohup) stays ignored.
        QTemporaryDir outDir;
        QProcess p;
        p.setProcessEnvironment(env);
        p.setChildProcessModifier([] { ::signal(SIGHUP, SIG_IGN); });
        p.start(program, {"convert", "--choose", "2", "--output-folder", outDir.path(), clip});
        ASSERT_TRUE(test::waitFor([&] { return !test::childProcesses(p.processId(), "ffmpeg").isEmpty(); }, 60000));
        ::kill(static_cast<pid_t>(p.processId()), SIGHUP);
        ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    {   // While the files are still being probed (a clip's end asks the player).
        const QString player = test::writeScript(folder.file("slow-mplayer"), "exec sleep 60\n");
        env.insert("VARNEL_MPLAYER", player);
        QList<qint64> probes;
        const int rc = run({"convert", "--choose", "2", "--end", "0:00:02", "--output-folder", dir.filePath("out"), clip},
                           [&](QProcess& p) {
            ASSERT_TRUE(test::waitFor([&] { return !(probes = test::childProcesses(p.processId())).isEmpty(); }, 60000));
            ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        });
        env.remove("VARNEL_MPLAYER");
        EXPECT_EQ(rc, 3);
        EXPECT_TRUE(err.contains("Conversion Canceled")) << err.toStdString();
        for (qint64 pid : probes)
            EXPECT_TRUE(test::waitFor([&] { return !test::processAlive(pid); }, 30000)) << "the probe ended";
    }
    {   // run-plan: the encoder ended, its partial and statistics files gone.
        QTemporaryDir outDir;
        const QString longClip = test::copyTo(test::videoClip(60), dir.path(), "long.mp4");
        ASSERT_EQ(run({"plan", "--choose", "2", "--output-folder", outDir.path(), longClip}), 0) << err.toStdString();
        const QString line = out.trimmed();
        qint64 encoder = 0;
        const int rc = run({"run-plan", line, "--output-folder", outDir.path()}, [&](QProcess& p) {
            ASSERT_TRUE(test::waitFor([&] {
                encoder = test::childProcesses(p.processId(), "ffmpeg").value(0);
                return encoder != 0;
            }, 60000));
            ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        });
        EXPECT_EQ(rc, 3);
        EXPECT_FALSE(test::processAlive(encoder));
        EXPECT_TRUE(QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
            << QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
    }
}

TEST_F(Cli, AFileOfTheListIsNeverWrittenOverByAnyName)
{
    // The output folder is the sources' own folder reached through a link.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.filePath("data")));
    ASSERT_TRUE(QFile::link(dir.filePath("data"), dir.filePath("alias")));
    const QString mkv = test::copyTo(test::videoClip(3), dir.filePath("data"), "x.mkv");
    const QString mine = test::copyTo(test::videoClip(10), dir.filePath("data"), "x.mp4");
    QFile f(mine);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5);
    f.close();
    ASSERT_EQ(run({"convert", "--choose", "2", "--output-folder", dir.filePath("alias"), mkv, mine}), 0)
        << err.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5), before);
    EXPECT_EQ(lines(), (QStringList{mkv + "\tOK\t" + dir.filePath("alias/x_New.mp4"),
                                    mine + "\tOK\t" + dir.filePath("alias/x_New_New.mp4")}));
    EXPECT_GE(test::decodedLengths(dir.filePath("data/x_New_New.mp4")).video, 9.9) << "the user's 10 s, converted";
}

TEST_F(Cli, AFailedRowSaysWhyInTheEncodersWordsOrOurOwn)
{
    QTemporaryDir dir, outDir;
    // A file garbled beyond what the encoder puts up with: its error, not
    // the statistics it prints after it.
    const QString garbled = test::copyTo(test::garbledClip().path, dir.path(), "garbled.mp4");
    EXPECT_EQ(run({"convert", "--choose", "103", "--output-folder", outDir.path(), garbled}), 1);
    EXPECT_TRUE(err.contains(garbled + "\n    Error while decoding stream #0:0: Invalid data found when processing input\n"
                             "    the encoder ended with exit code 69\n"))
        << err.toStdString();
    // A picture too large for any frame: the reading library's words.
    QFile huge(dir.filePath("huge.y4m"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write("YUV4MPEG2 W65535 H65535 F25:1 Ip A1:1 C420jpeg\nFRAME\n" + QByteArray(100000, '\x10'));
    huge.close();
    EXPECT_EQ(run({"convert", "--choose", "103", "--output-folder", outDir.path(), huge.fileName()}), 1);
    EXPECT_TRUE(err.contains(huge.fileName() + "\n    could not read this file as media: Picture size 65535x65535 is invalid\n"))
        << err.toStdString();
    // A silent file for a sound profile of the catalogue: refused before the
    // encoder starts, in our words.
    const QString silent = test::copyTo(test::silentClip().path, dir.path(), "silent.mp4");
    EXPECT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), silent}), 1);
    EXPECT_TRUE(err.contains(silent + "\n    this file holds no sound, and this profile makes sound only\n")) << err.toStdString();
    EXPECT_TRUE(QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
