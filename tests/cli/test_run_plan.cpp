// run-plan treats a plan line as data: it runs only the command the line's
// declared fields give, and touches no file a line names.
#include "CliRig.h"

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
    int runPlan(const QJsonObject& l)
    {
        return run({"run-plan", QString::fromUtf8(QJsonDocument(l).toJson(QJsonDocument::Compact))});
    }
    QStringList everything() const
    {
        QStringList all;
        for (const QTemporaryDir* d : {&outputs, &elsewhere})
            for (const QString& name : QDir(d->path()).entryList(QDir::Files | QDir::Hidden))
                all << d->filePath(name);
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
        for (const char* key : {"output", "partial", "statistics"}) {
            QFile f(hostile[key].toString());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << what << key;
            f.write("the user's own");
        }
        const QStringList before = everything();
        EXPECT_EQ(runPlan(hostile), 2) << what << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << what;
        EXPECT_EQ(err.startsWith("run-plan: the line's command is not what its fields give\n"), commandDiffers)
            << what << err.toStdString();
        EXPECT_EQ(everything(), before) << what;
        for (const QString& path : before) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == "the user's own") << what << path.toStdString();
            f.remove();
        }
    }
}

TEST_F(RunPlan, AnHonestLineConverts)
{
    for (const char* key : {"entry", "options", "start", "end", "outputFolder", "existing", "threads"})
        EXPECT_TRUE(line.contains(key)) << key;
    EXPECT_EQ(line.value("outputFolder").toString(), outputs.path());
    ASSERT_EQ(runPlan(line), 0) << err.toStdString();
    const QString output = outputs.filePath("a.mp4");
    EXPECT_EQ(out, line.value("source").toString() + "\tOK\t" + output + "\n");
    EXPECT_NEAR(test::probeMedia(output).duration, 2.0, 0.3);
    EXPECT_EQ(everything(), QStringList{output}) << "no partial or statistics file left";
}
