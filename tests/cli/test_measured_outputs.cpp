// Every "OK" holds each whole stream of its source, whatever the player
// thought the source lasted: files players misjudge, through the real
// varnel-convert, confirmed by a full decode of each output.
#include "CliRig.h"
#include "HardMedia.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace varnel;
using test::Cli;

namespace {

struct Source {
    const char* name;
    test::HardMedia media;
    double slack = 0.1; // how much shorter than the truth a decode may find a stream
};

QList<QJsonObject> jsonRows(const QString& out)
{
    QList<QJsonObject> rows;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        rows << QJsonDocument::fromJson(line.toUtf8()).object();
    return rows;
}

} // namespace

TEST_F(Cli, EveryOkHoldsEachWholeStreamOfSourcesPlayersMisjudge)
{
    const Source sources[] = {
        {"joined.mp3", test::joinedMp3()},          {"loud.mp3", test::loudStartVbr()},
        {"quiet.mp3", test::quietStartVbr()},       {"joined.ts", test::joinedTs()},
        {"tone.aac", test::adtsTone()},             {"lying.mkv", test::lyingHeader(), 0.5},
        {"cover.mp3", test::coverArtMp3()},         {"short-video.mp4", test::shortVideoLongAudio()},
        {"fraction.mp4", test::fractionalClip()},   {"under-a-second.mp4", test::shorterThanASecond()},
        {"short-header.mkv", test::shortHeader()},  {"edit-list.mp4", test::editListMp4()},
        {"rewound.ts", test::rewoundTs()},
    };
    QTemporaryDir in, outputs;
    QStringList files;
    for (const Source& s : sources)
        files << test::copyTo(s.media.path, in.path(), s.name);
    // MP4, 3GP and SWF video; MP3 and ADTS sound.
    for (int profile : {94, 71, 84, 96, 99}) {
        SCOPED_TRACE(profile);
        const bool video = profile < 95;
        const QString folder = outputs.filePath(QString::number(profile));
        ASSERT_EQ(run(QStringList{"convert", "--choose", QString::number(profile), "--jobs", "2", "--json",
                                  "--output-folder", folder} + files),
                  profile == 84 ? 1 : 0)
            << err.toStdString();
        const QList<QJsonObject> rows = jsonRows(out);
        ASSERT_EQ(rows.size(), std::size(sources));
        for (size_t i = 0; i < std::size(sources); ++i) {
            const Source& s = sources[i];
            const QJsonObject& row = rows[static_cast<int>(i)];
            SCOPED_TRACE(s.name);
            if (profile == 84 && QString(s.name) == "short-video.mp4") {
                // SWF keeps no more sound than video: the output lacks 8 s of it.
                EXPECT_EQ(row["status"].toString(), "Fail");
                EXPECT_TRUE(row["reason"].toString().startsWith("the output's sound lasts 0:00:0")) << row["reason"].toString().toStdString();
                EXPECT_TRUE(row["output"].toString().isEmpty());
                continue;
            }
            ASSERT_EQ(row["status"].toString(), "OK") << row["reason"].toString().toStdString();
            const test::DecodedLengths decoded = test::decodedLengths(row["output"].toString());
            EXPECT_GE(decoded.audio, s.media.audio - s.slack);
            if (!video)
                EXPECT_EQ(decoded.video, -1);
            else if (s.media.video >= 0)
                EXPECT_GE(decoded.video, s.media.video - s.slack);
            else if (QString(s.name) == "cover.mp3") // black frames as long as the sound
                EXPECT_GE(decoded.video, s.media.audio - s.slack);
        }
    }
    EXPECT_TRUE(QDir(outputs.path()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)
                    == (QStringList{"71", "84", "94", "96", "99"}));
}

TEST_F(Cli, AnotherUserCannotAimTheEncoderAtAFileThroughTheFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs root to play";
    // An output folder everyone may write to, without the sticky bit.
    QTemporaryDir in, shared, victimDir, lair;
    ASSERT_EQ(::chmod(shared.path().toUtf8().constData(), 0777), 0);
    ASSERT_EQ(::chmod(lair.path().toUtf8().constData(), 0777), 0);
    const QString victim = victimDir.filePath("passwd");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("root's own");
    }
    const QString clip = test::copyTo(test::videoClip(2), in.path(), "clip.mp4");
    // The other user waits for the run's private folder, moves it aside and
    // puts in its place a link to a folder of theirs, where every name a
    // partial may take links to the victim.
    const pid_t attacker = ::fork();
    if (attacker == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        const QByteArray folder = shared.path().toUtf8(), den = lair.path().toUtf8();
        for (int i = 0; i < 10; ++i)
            ::symlink(victim.toUtf8().constData(), (den + "/" + QByteArray::number(i) + ".clip.mp4").constData());
        for (;;) {
            QDir dir(shared.path());
            for (const QString& name : dir.entryList({".varnel-*"}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
                const QByteArray at = folder + "/" + name.toUtf8();
                if (::rename(at.constData(), (folder + "/moved-" + name.toUtf8()).constData()) == 0)
                    ::symlink(den.constData(), at.constData());
            }
            ::usleep(200);
        }
    }
    ASSERT_GT(attacker, 0);
    const int rc = run({"convert", "--choose", "2", "--output-folder", shared.path(), clip});
    ::kill(attacker, SIGKILL);
    ::waitpid(attacker, nullptr, 0);
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "root's own") << "nothing was written through the links";
    // The run goes on in the folder it made; an attacker quick enough to
    // swap it before it was opened, five times over, fails the row.
    if (rc == 0)
        EXPECT_GE(test::decodedLengths(shared.filePath("clip.mp4")).video, 1.9);
    else
        EXPECT_TRUE(err.contains("was replaced while it was made")) << err.toStdString();
    bool swapped = false;
    for (const QFileInfo& entry : QDir(shared.path()).entryInfoList({".varnel-*"}, QDir::AllEntries | QDir::Hidden | QDir::System))
        swapped = swapped || entry.isSymLink();
    EXPECT_TRUE(swapped) << "the attacker did put a link in the folder's place";
}
