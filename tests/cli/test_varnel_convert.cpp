#include "CliRig.h"
#include "HardMedia.h"
#include "core/settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QProcessEnvironment>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;
using test::Cli;

namespace {

const QString kX264 = "libx264 -qmin 10 -qmax 51 -qdiff 4 -me_range 16 -keyint_min 25 -qcomp 0.6 ";

} // namespace

TEST_F(Cli, ProfilesListsTheCatalogue)
{
    ASSERT_EQ(run({"profiles"}), 0);
    const QStringList l = lines();
    ASSERT_EQ(l.size(), 109);
    EXPECT_EQ(l[0], "1\theader\tApple iPad\t\t44");
    EXPECT_EQ(l[1], "2\tprofile\tApple iPad MPEG-4 Movie(*.mp4)\t.mp4\t");
    EXPECT_EQ(l[78], "79\theader\tWindows Mobile\t\t31");
    EXPECT_EQ(l[100], "101\tprofile\tM4A Audio(*.m4a)\t.m4a\t");
    EXPECT_EQ(l[101], "102\theader\tToday's Formats\t\t41");
    EXPECT_EQ(l[104], "105\tprofile\tWebM AV1 / Opus (*.webm)\t.webm\t");
}

TEST_F(Cli, ProbePrintsWhatTheListShows)
{
    QTemporaryDir dir;
    const QString video = test::makeMedia("probe640.mp4", {"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=10",
                                                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    const QString odd = test::copyTo(video, dir.path(), "-odd \"name\" $x.mp4");
    QFile junk(dir.filePath("junk.avi"));
    junk.open(QIODevice::WriteOnly);
    junk.write("nothing");
    junk.close();
    ASSERT_EQ(run({"probe", "--", odd, junk.fileName()}), 0);
    // What cannot be read as media is not given to the player: its cells stay empty, and why is said.
    EXPECT_EQ(lines(), (QStringList{odd + "\t0:00:00\t0:00:10\t640x480\tH264\t0:00:10", junk.fileName() + "\t\t\t\t\t"}));
    EXPECT_EQ(err, junk.fileName() + ": Invalid data found when processing input\n");
}

TEST_F(Cli, SheetShowsEveryRowAfterChoicesAndOverrides)
{
    ASSERT_EQ(run({"sheet"}), 0);
    ASSERT_EQ(lines().size(), 15);
    EXPECT_EQ(lines()[0], "General\tItem Name\ttext\tAuto\t");
    EXPECT_EQ(lines()[6], "Video Options\tVideo Bitrate\tchoice\t256\t48|64|128|192|256|512|768|1000|1500|1152|2500");

    ASSERT_EQ(run({"sheet", "--choose", "26", "--choose", "37", "--set", "Audio Options/A/V Sync=Default",
                   "--set", "Video Options/Video Size=a=b"}), 0);
    EXPECT_EQ(lines()[4], "Video Options\tVideo Codec\tchoice\tWMV V9\tWMV V9|WMV V8");
    EXPECT_EQ(lines()[5], "Video Options\tVideo Size\tchoice\ta=b\t320x240");
    EXPECT_EQ(lines()[7], "Video Options\tVideo Framerate\tchoice\t29.97\tAuto|8|10|12|15|23.976|24|25|29.97|30");
    EXPECT_EQ(lines()[14], "Audio Options\tA/V Sync\tchoice\tDefault\tBasic|Default");

    EXPECT_EQ(run({"sheet", "--set", "Video Options/Nope=1"}), 2);
    EXPECT_EQ(run({"sheet", "--choose", "110"}), 2);
}

TEST_F(Cli, CommandPrintsTheExactEncoderCommand)
{
    ASSERT_EQ(run({"command", "--choose", "2", "--source", "/in/clip.avi", "--end", "0:01:30", "--output",
                   "/App/clip.mp4", "--threads", "2", "--program-folder", "/App"}), 0);
    EXPECT_EQ(out, "\"/App/fp.dll\" -i \"/in/clip.avi\" -f mp4 -vcodec  " + kX264 +
                       "  -ab 128000  -ac 2 -ar 44100 -b 768000 -r 25 -ss 0 -t 90 -s 1024x768 -aspect 4:3 -acodec "
                       "libfaac \"/App/clip.mp4\" -threads 2 -vstats_file \"/App/curconvert.log\"\n");

    ASSERT_EQ(run({"command", "--choose", "100", "--source", "/in/a \"b\".avi", "--start", "0:00:05", "--end",
                   "0:00:09", "--output", "/o/x y.wma", "--program-folder", "/P Q", "--argv"}), 0);
    EXPECT_EQ(lines(), (QStringList{"/P Q/fp.dll", "-i", "/in/a \"b\".avi", "-acodec", "wmav2", "-vn", "/o/x y.wma",
                                    "-threads", "0", "-vstats_file", "/P Q/curconvert.log"}));

    EXPECT_EQ(run({"command", "--choose", "2", "--source", "/a"}), 2) << "--end and --output are needed";
    EXPECT_EQ(run({"command", "--choose", "2", "--source", "/a", "--end", "x", "--output", "/b"}), 1);
    EXPECT_EQ(run({"bogus"}), 2);
}

TEST_F(Cli, ConvertReportsEveryRow)
{
    QTemporaryDir dir, outDir;
    const QString a = test::copyTo(test::videoClip(2), dir.path(), "a.mp4");
    const QString b = test::copyTo(test::videoClip(2), dir.path(), "my.holiday.mp4");
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), a, b}), 0) << err.toStdString();
    EXPECT_EQ(lines(), (QStringList{a + "\tOK\t" + outDir.path() + "/a.mp3", b + "\tOK\t" + outDir.path() + "/my.holiday.mp3"}));
    EXPECT_TRUE(err.contains("Conversion completed!"));

    // Nothing was ever stored: a file there is the user's, and is kept.
    const QByteArray first = [&] { QFile f(outDir.filePath("a.mp3")); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), a}), 0);
    EXPECT_EQ(lines(), QStringList{a + "\tOK\t" + outDir.path() + "/a_New.mp3"});
    QFile kept(outDir.filePath("a.mp3"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), first);
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), "--existing", "new", a}), 0);
    EXPECT_EQ(lines(), QStringList{a + "\tOK\t" + outDir.path() + "/a_New_New.mp3"});
    // A stored choice is honoured as it is, and --existing goes before it.
    Settings(folder.path()).write(SettingKey::ExistedFile, "1");
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), a}), 0);
    EXPECT_EQ(lines(), QStringList{a + "\tOK\t" + outDir.path() + "/a.mp3"});
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), "--existing", "new", a}), 0);
    EXPECT_EQ(lines(), QStringList{a + "\tOK\t" + outDir.path() + "/a_New_New_New.mp3"});
    ASSERT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(out.contains("an output\n                                             whose name is taken gets a new one "
                             "(name_New) unless\n                                             --existing overwrite or "
                             "the settings say to overwrite\n"))
        << out.toStdString();

    QFile junk(dir.filePath("junk.avi"));
    junk.open(QIODevice::WriteOnly);
    junk.write("nothing");
    junk.close();
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), junk.fileName(), a}), 1);
    EXPECT_EQ(lines()[0], junk.fileName() + "\tFail\t") << "no length, no clip: it fails before an output is chosen";
    EXPECT_EQ(lines()[1].section('\t', 1, 1), "OK");

    EXPECT_EQ(run({"convert", "--choose", "1", "--output-folder", outDir.path(), a}), 1) << "a header converts nothing";
    EXPECT_EQ(err, "error: Apple iPad is a group of profiles: choose one of its profiles, then convert.\n");
    EXPECT_EQ(lines(), QStringList{});
}

TEST_F(Cli, InterruptCancelsTheRun)
{
    QTemporaryDir dir, outDir;
    const QString longClip = test::copyTo(test::videoClip(60), dir.path(), "long.mp4");
    const QString next = test::copyTo(test::videoClip(2), dir.path(), "next.mp4");
    const int rc = run({"convert", "--choose", "2", "--output-folder", outDir.path(), longClip, next}, [&](QProcess& p) {
        // The first file's encoder is running.
        ASSERT_TRUE(test::waitFor([&] { return !test::childProcesses(p.processId(), "ffmpeg").isEmpty(); }, 60000));
        // Never pid 0: that would signal this whole process group.
        if (p.state() == QProcess::Running && p.processId() > 0)
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    });
    EXPECT_EQ(rc, 3) << err.toStdString();
    EXPECT_EQ(lines(), (QStringList{longClip + "\tCancel\t", next + "\t\t"}));
    EXPECT_TRUE(err.contains("Conversion Canceled by the user!"));
}

TEST_F(Cli, TerminateAndKillLeaveNoEncoderRunning)
{
    QTemporaryDir dir;
    const QString longClip = test::copyTo(test::videoClip(60), dir.path(), "long.mp4");
    for (int sig : {SIGTERM, SIGHUP, SIGKILL}) {
        QTemporaryDir outDir;
        qint64 encoder = 0;
        const int rc = run({"convert", "--choose", "2", "--output-folder", outDir.path(), longClip}, [&](QProcess& p) {
            // fp.dll becomes ffmpeg: the encoder's own process, however slow the machine.
            ASSERT_TRUE(test::waitFor([&] {
                const QList<qint64> found = test::childProcesses(p.processId(), "ffmpeg");
                encoder = found.value(0);
                return encoder != 0;
            }, 60000)) << "the encoder is running";
            ::kill(static_cast<pid_t>(p.processId()), sig);
        });
        EXPECT_TRUE(test::waitFor([&] { return !test::processAlive(encoder); }, 30000))
            << "signal " << sig << " left the encoder running";
        if (sig == SIGKILL) {
            EXPECT_EQ(rc, -1);
        } else {
            EXPECT_EQ(rc, 3) << "signal " << sig << " acts as Cancel";
            EXPECT_EQ(lines(), QStringList{longClip + "\tCancel\t"});
            EXPECT_TRUE(QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        }
    }
}

TEST_F(Cli, AProgramFolderNobodyMayWriteKeepsItsDataInTheDataFolder)
{
    // A copy of the program folder that only root owns and nobody may write,
    // run by an ordinary user when the test runs as root.
    QTemporaryDir install, home, work;
    for (const char* name : {"varnel-convert", "fp.dll", "mp.dll"})
        ASSERT_TRUE(QFile::copy(test::binDir() + "/" + name, install.filePath(name)));
    const QString clip = test::copyTo(test::videoClip(2), work.path(), "c.mp4");
    for (const QString& d : {install.path(), home.path(), work.path()})
        QFile(d).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther |
                                (d == install.path() ? QFile::Permissions() : QFile::WriteGroup | QFile::WriteOther));
    QFile(install.path()).setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther |
                                         QFile::ReadGroup | QFile::ExeGroup);
    QFile(clip).setPermissions(QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
    env.remove("VARNEL_PROGRAM_FOLDER");
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("HOME", home.path());
    QStringList args = {"convert", "--choose", "2", "--output-folder", work.filePath("out"), clip};
    if (::geteuid() == 0) {
        program = "setpriv";
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", install.filePath("varnel-convert")} + args;
    } else {
        program = install.filePath("varnel-convert");
    }
    workingDir = work.path();
    ASSERT_EQ(run(args), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{clip + "\tOK\t" + work.filePath("out/c.mp4")});
    EXPECT_TRUE(QFile::exists(home.filePath("varnel-video-converter/curconvert.log"))) << "statistics in the data folder";
    EXPECT_FALSE(QFile::exists(install.filePath("curconvert.log")));

    // Output folder "0" of an installed copy: the user's videos folder, not the hidden data folder.
    const qsizetype at = args.indexOf("--output-folder");
    args.remove(at, 2);
    ASSERT_EQ(run(args), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{clip + "\tOK\t" + home.filePath("Videos/c.mp4")});
    QFile(install.path()).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(Cli, AnInstalledProgramFolderIsNeverWrittenIntoWhoeverMayWriteIt)
{
    // The install step's marker in a folder its runner may write (root, for
    // a system install): data, statistics and outputs of folder "0" go to the
    // user's folders. Without the marker the folder is a copy of the user's
    // own and keeps them beside the program, as build/bin does.
    for (const bool installed : {true, false}) {
        SCOPED_TRACE(installed ? "installed" : "a copy of one's own");
        QTemporaryDir programs, home, work;
        for (const char* name : {"varnel-convert", "fp.dll", "mp.dll"})
            ASSERT_TRUE(QFile::copy(test::binDir() + "/" + name, programs.filePath(name)));
        if (installed) {
            QFile marker(programs.filePath("installed"));
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
        const auto held = [&programs] {
            return QDir(programs.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = held();
        const QString clip = test::copyTo(test::videoClip(2), work.path(), "c.mp4");
        env.remove("VARNEL_PROGRAM_FOLDER");
        env.insert("XDG_DATA_HOME", home.path());
        env.insert("HOME", home.path());
        program = programs.filePath("varnel-convert");
        ASSERT_EQ(run({"convert", "--choose", "2", clip}), 0) << err.toStdString();
        const QString data = installed ? home.filePath("varnel-video-converter") : programs.path();
        EXPECT_EQ(lines(), QStringList{clip + "\tOK\t" + (installed ? home.filePath("Videos") : data) + "/c.mp4"});
        EXPECT_TRUE(QFile::exists(data + "/curconvert.log"));
        if (installed) {
            EXPECT_EQ(held(), before);
        } else {
            EXPECT_FALSE(QFile::exists(home.filePath("varnel-video-converter")));
        }
    }
}

TEST_F(Cli, ARelativeOutputFolderIsTheUsersOwn)
{
    QTemporaryDir work;
    const QString clip = test::copyTo(test::videoClip(2), work.path(), "c.mp4");
    workingDir = work.path();
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", "relout", clip}), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{clip + "\tOK\t" + work.filePath("relout/c.mp3")});
    EXPECT_TRUE(QFile::exists(work.filePath("relout/c.mp3")));
}

TEST_F(Cli, ProbeSaysWhenThePlayerCannotStartAndTakesNamesThatLookLikeOptions)
{
    QTemporaryDir work;
    test::copyTo(test::videoClip(2), work.path(), "-i");
    workingDir = work.path();
    ASSERT_EQ(run({"probe", "--", "-i"}), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{"-i\t0:00:00\t0:00:02\t320x240\tH264\t0:00:02"});

    env.insert("VARNEL_MPLAYER", "/no/such/mplayer");
    EXPECT_EQ(run({"probe", "--", "-i", "-i"}), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(err.count("The media player could not be started"), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("cannot start /no/such/mplayer")) << err.toStdString();
}

TEST_F(Cli, AFailedRowSaysWhyUnderItsLine)
{
    QTemporaryDir dir, outDir;
    const QString a = test::copyTo(test::videoClip(2), dir.path(), "a.mp4");
    env.insert("VARNEL_FFMPEG", "/no/such/ffmpeg");
    EXPECT_EQ(run({"convert", "--choose", "2", "--output-folder", outDir.path(), a}), 1);
    EXPECT_TRUE(err.contains("\n    cannot start /no/such/ffmpeg: No such file or directory\n    the encoder ended with exit code 127\n")) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{a + "\tFail\t"});
}

TEST_F(Cli, ConvertTrimsEveryFileAndRefusesAnEmptyClip)
{
    QTemporaryDir dir, outDir;
    const QString a = test::copyTo(test::videoClip(30), dir.path(), "a.mp4");
    ASSERT_EQ(run({"convert", "--choose", "2", "--start", "0:00:02", "--end", "0:00:05", "--output-folder", outDir.path(), a}), 0)
        << err.toStdString();
    EXPECT_NEAR(test::probeMedia(outDir.filePath("a.mp4")).duration, 3.0, 0.3);

    ASSERT_EQ(run({"convert", "--choose", "2", "--start", "0:00:28", "--output-folder", outDir.path(), a}), 0);
    EXPECT_EQ(lines(), QStringList{a + "\tOK\t" + outDir.filePath("a_New.mp4")}) << "the first output is kept";
    EXPECT_NEAR(test::probeMedia(outDir.filePath("a_New.mp4")).duration, 2.0, 0.3) << "to the file's own end";

    EXPECT_EQ(run({"convert", "--choose", "2", "--start", "0:00:05", "--end", "0:00:05", "--output-folder", outDir.path(), a}), 2);
    EXPECT_EQ(err, "Start time or End time is error.\n");
    EXPECT_TRUE(out.isEmpty()) << "nothing converted";
}

TEST_F(Cli, CaptureRecordsATestPatternAndListsNoCameraHere)
{
    QTemporaryDir dir;
    ASSERT_EQ(run({"capture", "--input", "lavfi:testsrc=size=320x240:rate=25", "--output", dir.filePath("x.avi"),
                   "--seconds", "3"}), 0) << err.toStdString();
    const QRegularExpression line("^(\\d+) frames \\((\\d+) dropped\\) - (\\d+\\.\\d\\d) sec\\.\n(.*)\n$");
    const auto m = line.match(out);
    EXPECT_EQ(m.captured(4), dir.filePath("x.avi")) << "where it went";
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_NEAR(m.captured(1).toInt(), 75, 25);
    const test::MediaInfo info = test::probeMedia(dir.filePath("x.avi"));
    EXPECT_EQ(info.formatName, "avi");
    EXPECT_EQ(info.width, 320);

    EXPECT_EQ(run({"capture", "--input", "v4l2:/dev/no-such-camera", "--output", dir.filePath("y.avi"), "--seconds", "3"}), 1);
    EXPECT_FALSE(err.trimmed().isEmpty()) << "ffmpeg's reason";

    QTemporaryDir empty;
    EXPECT_EQ(run({"capture", "--list", "--devices", empty.path()}), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(Cli, ABatchGoesOnRowByRowAndSaysWhatItIgnores)
{
    QTemporaryDir dir, outDir, home;
    const QString shortClip = test::copyTo(test::videoClip(2), dir.path(), "short.mp4");
    const QString missing = dir.filePath("missing.mp4");
    const QString longClip = test::copyTo(test::videoClip(10), dir.path(), "long.mp4");
    // A missing file and a file shorter than the start each fail their own
    // row, by name; the rest converts.
    EXPECT_EQ(run({"convert", "--choose", "2", "--start", "0:00:05", "--output-folder", outDir.path(), shortClip,
                   missing, longClip}),
              1);
    EXPECT_EQ(lines(), (QStringList{shortClip + "\tFail\t", missing + "\tFail\t",
                                    longClip + "\tOK\t" + outDir.filePath("long.mp4")}));
    EXPECT_TRUE(err.contains("Fail       " + shortClip + "\n    the start 0:00:05 is past the end of the clip (0:00:02)\n"))
        << err.toStdString();
    EXPECT_TRUE(err.contains("Fail       " + missing + "\n    there is no such file\n")) << err.toStdString();
    EXPECT_NEAR(test::decodedLengths(outDir.filePath("long.mp4")).video, 5, 0.1);

    // Sound profiles take whole files, and say so.
    EXPECT_EQ(run({"convert", "--choose", "96", "--start", "0:00:05", "--output-folder", outDir.path(), longClip}), 0);
    EXPECT_TRUE(err.startsWith("MP3 Audio(*.mp3) converts whole files: --start and --end are not used\n")) << err.toStdString();
    EXPECT_GE(test::decodedLengths(outDir.filePath("long.mp3")).audio, 9.9);

    // The encoder's own word, not the dump of the streams before it.
    EXPECT_EQ(run({"convert", "--choose", "2", "--set", "Video Options/Video Size=0x0", "--json", "--output-folder",
                   outDir.path(), shortClip}),
              1);
    EXPECT_TRUE(out.contains("\"reason\":\"Invalid frame size: 0x0.\\nthe encoder ended with exit code 1\"")) << out.toStdString();

    // "~" is the home folder, as a shell would have it; an empty folder is a
    // script's mistake.
    env.insert("HOME", home.path());
    EXPECT_EQ(run({"convert", "--choose", "96", "--output-folder", "~/music", shortClip}), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{shortClip + "\tOK\t" + home.filePath("music/short.mp3")});
    EXPECT_EQ(run({"convert", "--choose", "96", "--output-folder", " ", shortClip}), 2);

    // A name holding a TAB, a newline, a terminal's escape and a direction
    // mark stays one field of one line, and shows what it holds.
    const QString odd = test::copyTo(test::videoClip(2), dir.path(), QString::fromUtf8("a\tOK\tb\nc\x1b[2J\u202e.mp4"));
    EXPECT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), odd}), 0);
    const QString shown = "a\\tOK\\tb\\nc\\x1b[2J\\u{202e}";
    EXPECT_EQ(lines(), QStringList{dir.path() + "/" + shown + ".mp4\tOK\t" + outDir.path() + "/" + shown + ".mp3"});
}

TEST_F(Cli, AClipIsMeasuredAgainstTheSourceNotThePlayersLength)
{
    // Two MP3s joined: the player says 2 s of the 8 there are.
    QTemporaryDir dir, outDir;
    const QString joined = test::copyTo(test::joinedMp3().path, dir.path(), "joined.mp3");
    ASSERT_EQ(run({"convert", "--choose", "94", "--start", "0:00:01", "--end", "0:00:02", "--output-folder", outDir.path(),
                   joined}), 0) << err.toStdString();
    EXPECT_NEAR(test::decodedLengths(outDir.filePath("joined.mp4")).audio, 1, 0.1) << "the clip asked for, no more";
    ASSERT_EQ(run({"convert", "--choose", "94", "--start", "0:00:03", "--output-folder", outDir.path(), joined}), 0)
        << err.toStdString();
    EXPECT_NEAR(test::decodedLengths(lines().value(0).section('\t', 2)).audio, 5, 0.1) << "to the source's own end";
    EXPECT_EQ(run({"convert", "--choose", "94", "--start", "0:00:09", "--output-folder", outDir.path(), joined}), 1);
    EXPECT_TRUE(err.contains("the start 0:00:09 is past the end of the clip (0:00:08.")) << err.toStdString();

    // A header that says 5 s over 11: an end at the 5 s the row shows is 5 s.
    const QString lying = test::copyTo(test::shortHeader().path, dir.path(), "lying.mkv");
    ASSERT_EQ(run({"convert", "--choose", "2", "--end", "0:00:05", "--output-folder", outDir.path(), lying}), 0)
        << err.toStdString();
    EXPECT_NEAR(test::decodedLengths(outDir.filePath("lying.mp4")).video, 5, 0.1);

    // A slide show cut between its pictures lacks the part before its first
    // picture: that is no whole clip, whatever a frame lasts.
    const QString slides = test::copyTo(test::slideShow().path, dir.path(), "slides.mkv");
    EXPECT_EQ(run({"convert", "--choose", "2", "--start", "0:00:08", "--end", "0:00:20", "--json", "--output-folder",
                   outDir.path(), slides}), 1);
    EXPECT_TRUE(out.contains("\"reason\":\"the output's video lasts 0:00:0")) << out.toStdString();

    // No more encoders than files, whatever is asked.
    EXPECT_EQ(run({"convert", "--choose", "96", "--jobs", "20000000", "--output-folder", outDir.path(), joined}), 0);
}
