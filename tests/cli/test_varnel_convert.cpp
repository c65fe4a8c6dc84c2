#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Cli : ::testing::Test {
    test::ProgramFolder folder;
    QString out, err;

    int run(const QStringList& args, const std::function<void(QProcess&)>& during = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARNEL_PROGRAM_FOLDER", folder.path());
        p.setProcessEnvironment(env);
        p.start(test::binDir() + "/varnel-convert", args);
        EXPECT_TRUE(p.waitForStarted());
        p.closeWriteChannel();
        if (during)
            during(p);
        EXPECT_TRUE(p.waitForFinished(180000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

const QString kX264 = "libx264 -qmin 10 -qmax 51 -qdiff 4 -me_range 16 -keyint_min 25 -qcomp 0.6 ";

} // namespace

TEST_F(Cli, ProfilesListsTheCatalogue)
{
    ASSERT_EQ(run({"profiles"}), 0);
    const QStringList l = lines();
    ASSERT_EQ(l.size(), 101);
    EXPECT_EQ(l[0], "1\theader\tApple iPad\t\t44");
    EXPECT_EQ(l[1], "2\tprofile\tApple iPad MPEG-4 Movie(*.mp4)\t.mp4\t");
    EXPECT_EQ(l[78], "79\theader\tWindows Mobile\t\t31");
    EXPECT_EQ(l[100], "101\tprofile\tM4A Audio(*.m4a)\t.m4a\t");
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
    EXPECT_EQ(lines(), (QStringList{odd + "\t0:00:00\t0:00:10\t640x480\tH264\t0:00:10",
                                    junk.fileName() + "\t0:00:00\t\t0x0\t\t"}));
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
    EXPECT_EQ(run({"sheet", "--choose", "102"}), 2);
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
    EXPECT_EQ(lines(), (QStringList{a + "\tOK\t" + outDir.path() + "/a.mp3", b + "\tOK\t" + outDir.path() + "/my.mp3"}));
    EXPECT_TRUE(err.contains("Conversion completed!"));

    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), "--existing", "new", a}), 0);
    EXPECT_EQ(lines(), QStringList{a + "\tOK\t" + outDir.path() + "/a_New.mp3"});

    QFile junk(dir.filePath("junk.avi"));
    junk.open(QIODevice::WriteOnly);
    junk.write("nothing");
    junk.close();
    ASSERT_EQ(run({"convert", "--choose", "96", "--output-folder", outDir.path(), junk.fileName(), a}), 1);
    EXPECT_EQ(lines()[0], junk.fileName() + "\tFail\t") << "no length, no clip: it fails before an output is chosen";
    EXPECT_EQ(lines()[1].section('\t', 1, 1), "OK");

    EXPECT_EQ(run({"convert", "--choose", "1", "--output-folder", outDir.path(), a}), 1) << "a header converts nothing";
    EXPECT_EQ(lines(), QStringList{a + "\tFail\t"});
}

TEST_F(Cli, InterruptCancelsTheRun)
{
    QTemporaryDir dir, outDir;
    const QString longClip = test::copyTo(test::videoClip(60), dir.path(), "long.mp4");
    const QString next = test::copyTo(test::videoClip(2), dir.path(), "next.mp4");
    const int rc = run({"convert", "--choose", "2", "--output-folder", outDir.path(), longClip, next}, [](QProcess& p) {
        p.setReadChannel(QProcess::StandardError);
        while (!p.peek(1 << 16).contains("%") && p.waitForReadyRead(30000)) {
        }
        // Never pid 0: that would signal this whole process group.
        if (p.state() == QProcess::Running && p.processId() > 0)
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    });
    EXPECT_EQ(rc, 3) << err.toStdString();
    EXPECT_EQ(lines(), (QStringList{longClip + "\tCancel\t" + outDir.path() + "/long.mp4", next + "\t\t"}));
    EXPECT_TRUE(err.contains("Conversion Canceled by the user!"));
}
