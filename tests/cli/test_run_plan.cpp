// run-plan treats a plan line as data: it runs only the command the line's
// declared fields give, and touches no file a line names.
#include "CliRig.h"
#include "OpenWatch.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>

using namespace varnel;

namespace {

struct RunPlan : test::Cli {
    QTemporaryDir sources, outputs, elsewhere;
    QJsonObject line; // as plan printed it

    void SetUp() override
    {
        const QString clip = test::copyTo(test::videoClip(2), sources.path(), "a.mp4");
        ASSERT_EQ(run({"plan", "--choose", "2", "--output-folder", outputs.path(), clip}), 0) << err.toStdString();
        line = QJsonDocument::fromJson(out.toUtf8()).object();
    }
    int runPlan(const QJsonObject& l, const QStringList& runner = {})
    {
        return run(QStringList{"run-plan", QString::fromUtf8(QJsonDocument(l).toJson(QJsonDocument::Compact))} +
                   (runner.isEmpty() ? QStringList{"--output-folder", outputs.path()} : runner));
    }
    QStringList everything() const
    {
        QStringList all;
        for (const QTemporaryDir* d : {&outputs, &elsewhere}) {
            QDirIterator it(d->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                all << it.next();
        }
        all.sort();
        return all;
    }
};

// A path field moved, and the argv with it: only the field's rule refuses it.
void move(QJsonObject& l, const char* key, const QString& to)
{
    QJsonArray argv = l["argv"].toArray();
    argv[argv.toVariantList().indexOf(l[key].toString())] = to;
    l["argv"] = argv;
    l[key] = to;
}

// Every path of the line moved into another folder, consistently: a line
// as an attacker who may edit the plan would write it.
void aimAt(QJsonObject& l, const QString& folder)
{
    const QString from = l["outputFolder"].toString();
    for (const char* key : {"output", "partial", "statistics"})
        move(l, key, folder + l[key].toString().mid(from.size()));
    l["outputFolder"] = folder;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Hostile {
    const char* what;
    std::function<void(QJsonObject&)> change;
    bool commandDiffers; // refused for its argv
};

} // namespace

TEST_F(RunPlan, AHostileLineIsRefusedAndTouchesNothing)
{
    const QString program = elsewhere.filePath("ran");
    const Hostile cases[] = {
        {"another program", [&](QJsonObject& l) { l["argv"] = QJsonArray{"/bin/sh", "-c", "touch '" + program + "'"}; }, true},
        {"an extra argument", [](QJsonObject& l) {
             QJsonArray argv = l["argv"].toArray();
             argv.insert(1, "-y");
             l["argv"] = argv;
         }, true},
        {"a partial elsewhere", [&](QJsonObject& l) {
             move(l, "partial", elsewhere.filePath(QFileInfo(l["partial"].toString()).fileName()));
         }, false},
        {"an output elsewhere", [&](QJsonObject& l) { l["output"] = elsewhere.filePath("a.mp4"); }, false},
        {"statistics naming a user's file", [&](QJsonObject& l) { move(l, "statistics", elsewhere.filePath("notes.txt")); },
         false},
        {"a bad policy", [](QJsonObject& l) { l["existing"] = "replace"; }, false},
        {"an option not in argv", [](QJsonObject& l) {
             QJsonObject options = l["options"].toObject();
             options["Video Options/Video Bitrate"] = "1500";
             l["options"] = options;
         }, true},
    };
    ASSERT_TRUE(line.value("options").toObject().contains("Video Options/Video Bitrate"));
    for (const auto& [what, change, commandDiffers] : cases) {
        QJsonObject hostile = line;
        change(hostile);
        for (const char* key : {"output", "partial", "statistics"})
            writeFile(hostile[key].toString(), "the user's own");
        const QStringList before = everything();
        EXPECT_EQ(runPlan(hostile), 2) << what << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << what;
        EXPECT_EQ(err.startsWith("run-plan: the line's command is not what its fields give\n"), commandDiffers)
            << what << err.toStdString();
        EXPECT_EQ(everything(), before) << what;
        for (const QString& path : before) {
            EXPECT_EQ(readFile(path), "the user's own") << what << path.toStdString();
            QFile::remove(path);
        }
    }
}

TEST_F(RunPlan, TheRunnerNotTheLineChoosesTheFolderAndWhetherToReplace)
{
    // The line aimed at the user's videos, asking to replace what is there.
    QJsonObject hostile = line;
    aimAt(hostile, elsewhere.filePath("Videos"));
    hostile["existing"] = "overwrite";
    writeFile(elsewhere.filePath("Videos/a.mp4"), "the wedding");
    EXPECT_EQ(runPlan(hostile), 2) << "another folder than the runner's";
    EXPECT_TRUE(err.startsWith("run-plan: the line writes into " + elsewhere.filePath("Videos") + ", not into " +
                               outputs.path() + "\n"))
        << err.toStdString();
    // Run into that folder, the line still replaces nothing: only the runner may say so.
    EXPECT_EQ(runPlan(hostile, {"--output-folder", elsewhere.filePath("Videos")}), 0) << err.toStdString();
    EXPECT_EQ(readFile(elsewhere.filePath("Videos/a.mp4")), "the wedding");
    EXPECT_EQ(out.section('\t', 2).trimmed(), elsewhere.filePath("Videos/a_New.mp4"));
    EXPECT_EQ(runPlan(hostile, {"--output-folder", elsewhere.filePath("Videos"), "--existing", "overwrite"}), 0);
    EXPECT_NE(readFile(elsewhere.filePath("Videos/a.mp4")), "the wedding") << "the runner said so";

    // No folder is made for a line.
    aimAt(hostile, elsewhere.filePath("made/for/me"));
    EXPECT_EQ(runPlan(hostile, {"--output-folder", elsewhere.filePath("made/for/me")}), 1);
    EXPECT_TRUE(err.contains("the output folder " + elsewhere.filePath("made/for/me") + " does not exist"))
        << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath("made")));

    EXPECT_EQ(run({"run-plan", QJsonDocument(line).toJson(QJsonDocument::Compact)}), 2) << "no folder, no run";
}

TEST_F(RunPlan, ALineLongerThanAMebibyteIsNotReadWhole)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, {"run-plan", "--output-folder", outputs.path()});
    ASSERT_TRUE(p.waitForStarted());
    const QByteArray chunk(1 << 16, ' ');
    for (int i = 0; i < 48 && p.state() == QProcess::Running; ++i) { // 3 MiB, unless it stopped reading
        p.write(chunk);
        p.waitForBytesWritten(-1);
    }
    p.closeWriteChannel();
    ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().startsWith("varnel-convert: run-plan takes a line of at most 1 MiB"));
}

TEST_F(RunPlan, AnHonestLineConverts)
{
    for (const char* key : {"entry", "options", "start", "end", "outputFolder", "existing", "threads"})
        EXPECT_TRUE(line.contains(key)) << key;
    EXPECT_EQ(line.value("outputFolder").toString(), outputs.path());
    QTemporaryDir tmp; // nothing of a run goes to the shared temporary folder
    env.insert("TMPDIR", tmp.path());
    ASSERT_EQ(runPlan(line), 0) << err.toStdString();
    EXPECT_TRUE(QDir(tmp.path()).isEmpty());
    const QString output = outputs.filePath("a.mp4");
    EXPECT_EQ(out, line.value("source").toString() + "\tOK\t" + output + "\n");
    EXPECT_NEAR(test::probeMedia(output).duration, 2.0, 0.3);
    EXPECT_EQ(everything(), QStringList{output}) << "no partial or statistics file left";
}

TEST_F(RunPlan, ASourceThatNowNamesOtherFilesIsNotConvertedAndTheyAreNotOpened)
{
    // The planned source replaced by a list of files to join: the line is
    // honest, the file is not a source any more.
    const QString source = line.value("source").toString();
    const QString neighbour = test::copyTo(test::videoClip(2), sources.path(), "neighbour.mp4");
    ASSERT_TRUE(QFile::remove(source));
    writeFile(source, "ffconcat version 1.0\nfile neighbour.mp4\nfile neighbour.mp4\n");
    test::OpenWatch watch;
    program = watch.tracer();
    EXPECT_EQ(run(watch.command(test::binDir() + "/varnel-convert",
                                {"run-plan", QJsonDocument(line).toJson(QJsonDocument::Compact), "--output-folder",
                                 outputs.path()})),
              1);
    EXPECT_EQ(out, source + "\tFail\t\n");
    EXPECT_EQ(err, "    could not read this file as media: a list of files to join names other files; add the files "
                   "themselves\n");
    ASSERT_TRUE(watch.traced());
    EXPECT_EQ(watch.openedInside(sources.path(), {source}), QStringList{});
    EXPECT_EQ(everything(), QStringList{});
}

TEST_F(RunPlan, ALineWhoseSourceHasNoSoundNowIsRefusedBeforeTheEncoder)
{
    // Planned for MP3 while the file had sound; a silent video in its place since.
    const QString source = sources.filePath("song.mp4");
    test::copyTo(test::videoClip(2), sources.path(), "song.mp4");
    ASSERT_EQ(run({"plan", "--choose", "96", "--output-folder", outputs.path(), source}), 0) << err.toStdString();
    const QJsonObject planned = QJsonDocument::fromJson(out.toUtf8()).object();
    test::copyTo(test::makeMedia("quiet.mp4", {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1", "-c:v",
                                               "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"}),
                 sources.path(), "song.mp4");
    EXPECT_EQ(runPlan(planned), 1);
    EXPECT_EQ(out, source + "\tFail\t\n");
    EXPECT_EQ(err, "    this file holds no sound, and this profile makes sound only\n");
    EXPECT_TRUE(everything().isEmpty()) << everything().join(' ').toStdString();
}
