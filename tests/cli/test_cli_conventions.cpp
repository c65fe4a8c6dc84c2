// What scripts and terminals rely on: help, version, usage errors, choosing
// a profile by its text, JSON Lines, progress lines and parallel jobs.
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Conventions : ::testing::Test {
    test::ProgramFolder folder;
    QString out, err;
    int run(const QString& program, const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARNEL_PROGRAM_FOLDER", folder.path());
        p.setProcessEnvironment(env);
        p.start(program, args);
        EXPECT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 180000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    int run(const QStringList& args) { return run(test::binDir() + "/varnel-convert", args); }
    QJsonObject json(int line) { return QJsonDocument::fromJson(out.split('\n').value(line).toUtf8()).object(); }
};

} // namespace

TEST_F(Conventions, HelpVersionAndUsageErrors)
{
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"convert", "--help"}}) {
        EXPECT_EQ(run(args), 0) << args.join(' ').toStdString();
        EXPECT_TRUE(out.startsWith("usage: varnel-convert")) << out.toStdString();
        EXPECT_TRUE(err.isEmpty());
    }
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out, "varnel-convert 3.70\n");
    EXPECT_EQ(run({"frobnicate"}), 2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.startsWith("varnel-convert: unknown command frobnicate\nusage:")) << err.toStdString();
    EXPECT_EQ(run({"convert", "--bogus"}), 2);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(Conventions, AProfileIsChosenByItsText)
{
    ASSERT_EQ(run({"sheet", "--choose", "96"}), 0);
    const QString byNumber = out;
    for (const char* text : {"mp3 audio(*.mp3)", "MP3 AUDIO"}) {
        ASSERT_EQ(run({"sheet", "--profile", text}), 0) << text << err.toStdString();
        EXPECT_EQ(out, byNumber) << text;
    }
    EXPECT_EQ(run({"sheet", "--profile", "480p"}), 2);
    EXPECT_TRUE(err.contains("  3  Apple iPod Movie for 480p TV Out(*.mp4)")) << err.toStdString();
    EXPECT_EQ(run({"sheet", "--profile", "no such thing"}), 2);
    EXPECT_TRUE(err.contains("no profile matches \"no such thing\""));
}

TEST_F(Conventions, JsonLinesKeepAwkwardNamesWhole)
{
    QTemporaryDir dir, outDir;
    const QString odd = test::copyTo(test::videoClip(2), dir.path(), "tab\there\nnewline.mp4");
    ASSERT_EQ(run({"probe", "--json", odd}), 0);
    EXPECT_EQ(json(0).value("path").toString(), odd);
    EXPECT_EQ(json(0).value("size").toString(), "320x240");
    ASSERT_EQ(run({"convert", "--profile", "MP3 Audio", "--json", "--output-folder", outDir.path(), odd}), 0)
        << err.toStdString();
    EXPECT_EQ(out.count('\n'), 1);
    EXPECT_EQ(json(0).value("status").toString(), "OK");
    EXPECT_EQ(json(0).value("output").toString(), outDir.path() + "/tab\there\nnewline.mp3");
    EXPECT_EQ(json(0).value("reason").toString(), "");
}

TEST_F(Conventions, ProgressIsPlainOffATerminalAndUpdatesOnOne)
{
    QTemporaryDir dir, outDir;
    const QString clip = test::copyTo(test::videoClip(3), dir.path(), "p.mp4");
    ASSERT_EQ(run({"convert", "--choose", "2", "--output-folder", outDir.path(), clip}), 0);
    EXPECT_FALSE(err.contains('\r')) << "no carriage returns off a terminal";
    EXPECT_TRUE(err.contains("[1/1] Processing " + clip + "\n"));
    EXPECT_TRUE(err.contains("[1/1] OK         " + clip + "\n"));

    // On a terminal (script gives it one), the line updates with the time left.
    const QString command = QString("VARNEL_PROGRAM_FOLDER='%1' '%2/varnel-convert' convert --choose 2 --output-folder '%3' '%4' 2>&1")
                                .arg(folder.path(), test::binDir(), outDir.path(), test::copyTo(test::videoClip(8), dir.path(), "q.mp4"));
    ASSERT_EQ(run("script", {"-qec", command, "/dev/null"}), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("\\r\\x1b\\[K\\[1/1\\] \\d+%  0:00:\\d\\d elapsed, [0-9:?]+ left  q\\.mp4")))
        << out.toStdString();
}

TEST_F(Conventions, ParallelJobsGiveTheSameOutputs)
{
    QTemporaryDir dir, one, two;
    QStringList files;
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
        files << test::copyTo(test::videoClip(2), dir.path(), name);
    ASSERT_EQ(run(QStringList{"convert", "--choose", "96", "--jobs", "1", "--output-folder", one.path()} + files), 0);
    const QString serial = out;
    ASSERT_EQ(run(QStringList{"convert", "--choose", "96", "--jobs", "2", "--output-folder", two.path()} + files), 0)
        << err.toStdString();
    EXPECT_EQ(QString(out).replace(two.path(), "OUT"), QString(serial).replace(one.path(), "OUT"));
    EXPECT_EQ(run(QStringList{"convert", "--choose", "96", "--jobs", "0"} + files), 2);
}

TEST_F(Conventions, SelftestConvertsThroughEveryProfile)
{
    ASSERT_EQ(run({"selftest"}), 0) << out.toStdString() << err.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 85);
    EXPECT_EQ(lines.first(), "2\tApple iPad MPEG-4 Movie(*.mp4)\tOK\t");
    EXPECT_EQ(lines.filter("\tOK\t").size(), 85);

    ASSERT_EQ(run({"selftest", "--profile", "MP3 Audio"}), 0);
    EXPECT_EQ(out, "96\tMP3 Audio(*.mp3)\tOK\t\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess p;
    env.insert("VARNEL_FFMPEG", "/no/such/ffmpeg");
    p.setProcessEnvironment(env);
    p.start(test::binDir() + "/varnel-convert", {"selftest", "--choose", "2"});
    ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("cannot make the test clip"));
}

TEST_F(Conventions, ABatchPlannedAndRunThroughGnuParallelMatchesConvert)
{
    QTemporaryDir dir, viaConvert, viaParallel;
    QStringList files;
    for (const char* name : {"a.mp4", "b.mp4", "my.holiday.mp4", "my.mp4"})
        files << test::copyTo(test::videoClip(2), dir.path(), name);
    ASSERT_EQ(run(QStringList{"convert", "--choose", "2", "--output-folder", viaConvert.path()} + files), 0);
    const QString converted = out;

    ASSERT_EQ(run(QStringList{"plan", "--choose", "2", "--output-folder", viaParallel.path()} + files), 0)
        << err.toStdString();
    ASSERT_EQ(out.count('\n'), 4);
    const QJsonObject first = json(0);
    EXPECT_EQ(first.value("output").toString(), viaParallel.path() + "/a.mp4");
    EXPECT_TRUE(first.value("partial").toString().startsWith(viaParallel.path() + "/.varnel-"));
    EXPECT_TRUE(first.value("partial").toString().endsWith("/0.a.mp4"));
    EXPECT_TRUE(first.value("argv").toArray().contains(first.value("partial").toString()));
    EXPECT_TRUE(first.value("argv").toArray().contains(first.value("statistics").toString()));
    EXPECT_TRUE(QDir(viaParallel.path()).isEmpty()) << "plan encodes nothing";

    const QString tool = test::binDir() + "/varnel-convert";
    const QString pipeline = QString("'%1' plan --choose 2 --output-folder '%2' %3 | parallel --will-cite --pipe -N1 -j2 '%1' run-plan --output-folder '%2'")
                                 .arg(tool, viaParallel.path(), "'" + files.join("' '") + "'");
    ASSERT_EQ(run("bash", {"-c", pipeline}), 0) << err.toStdString();
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    QStringList expected = QString(converted).replace(viaConvert.path(), viaParallel.path()).split('\n', Qt::SkipEmptyParts);
    expected.sort();
    EXPECT_EQ(lines, expected);
    for (const QString& name : QDir(viaConvert.path()).entryList(QDir::Files))
        EXPECT_NEAR(test::probeMedia(viaParallel.filePath(name)).duration, test::probeMedia(viaConvert.filePath(name)).duration, 0.1)
            << name.toStdString();
    EXPECT_EQ(QDir(viaParallel.path()).entryList(QDir::Files | QDir::Hidden), QDir(viaConvert.path()).entryList(QDir::Files | QDir::Hidden))
        << "no partial or statistics file left";
}
