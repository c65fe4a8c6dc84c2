// A source is the one file the user chose: files that name other files or
// addresses are refused before any tool sees them, a "%" in a name is part of
// the name, and no tool that probes or converts opens another name, watched
// with strace through the real program.
#include "CliRig.h"
#include "HttpServer.h"
#include "OpenWatch.h"

#include <QFile>
#include <QTemporaryDir>

using namespace varnel;

namespace {

struct Sources : test::Cli {
    QTemporaryDir dir, outputs;
    test::OpenWatch watch;

    // varnel-convert under the watch.
    int runWatched(const QStringList& args)
    {
        program = watch.tracer();
        const int code = run(watch.command(test::binDir() + "/varnel-convert", args));
        EXPECT_TRUE(watch.traced()) << "strace could not follow the program";
        return code;
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
};

struct Refused {
    const char* name;
    QByteArray body;
    const char* reason;
};

} // namespace

TEST_F(Sources, FilesThatNameOtherFilesAreRefusedAndNothingTheyNameIsOpenedOrFetched)
{
    test::HttpServer server;
    const QString neighbour = test::copyTo(test::videoClip(2), dir.path(), "neighbour.mp4");
    const QByteArray remote = server.url("/seg0.ts").toUtf8(), local = neighbour.toUtf8();
    const char* playlist = "a playlist names other files; add the files themselves";
    const Refused cases[] = {
        {"holiday2.mp4", "ffconcat version 1.0\nfile neighbour.mp4\nfile neighbour.mp4\n",
         "a list of files to join names other files; add the files themselves"},
        {"list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + remote + "\n#EXTINF:2,\n" + local + "\n#EXT-X-ENDLIST\n",
         playlist},
        {"private.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + local + "\n#EXT-X-ENDLIST\n", playlist},
        {"plain.m3u", "#EXTM3U\n#EXTINF:2,neighbour\n" + local + "\n" + remote + "\n", playlist},
        {"radio.pls", "[playlist]\nFile1=" + local + "\nFile2=" + remote + "\nNumberOfEntries=2\n", playlist},
        {"show.asx", "<asx version=\"3.0\"><entry><ref href=\"" + remote + "\"/></entry></asx>\n", playlist},
        {"mix.xspf", "<?xml version=\"1.0\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList><track>"
                     "<location>file://" + local + "</location></track></trackList></playlist>\n", playlist},
        {"clip.ram", remote + "\n", playlist},
        // Playlists without the header a reader knows them by: bare paths,
        // a comment first, an XML declaration first, a DASH manifest.
        {"bare.m3u", "neighbour.mp4\n" + local + "\n", playlist},
        {"noted.pls", "; saved by a player\n[playlist]\nFile1=" + local + "\n", playlist},
        {"declared.asx", "<?xml version=\"1.0\"?>\n<ASX version=\"3.0\"><Entry><Ref href=\"" + local + "\"/></Entry></ASX>\n",
         playlist},
        {"show.mpd", "<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\"><Period>"
                     "<AdaptationSet><Representation id=\"1\"><BaseURL>" + remote + "</BaseURL></Representation>"
                     "</AdaptationSet></Period></MPD>\n",
         playlist},
        {"stream.sdp", "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=x\nc=IN IP4 127.0.0.1\nt=0 0\nm=video 5004 RTP/AVP 96\n"
                       "a=rtpmap:96 H264/90000\n",
         "a session description names network streams, not a file to convert"},
        {"subs.idx", "# VobSub index file, v7 (do not modify this line!)\nsize: 720x576\nid: en, index: 0\n"
                     "timestamp: 00:00:01:000, filepos: 000000000\n",
         "a subtitle index names another file, which holds its pictures"},
    };
    QStringList files, expectedLines;
    QString expectedErr;
    for (const Refused& c : cases) {
        files << write(c.name, c.body);
        expectedLines << files.last() + "\t\t\t\t\t";
        expectedErr += files.last() + ": " + c.reason + "\n";
    }
    write("subs.sub", QByteArray(4096, '\0'));

    ASSERT_EQ(runWatched(QStringList{"probe", "--"} + files), 0) << err.toStdString();
    EXPECT_EQ(lines(), expectedLines);
    EXPECT_EQ(err, expectedErr);
    EXPECT_EQ(watch.openedInside(dir.path(), files), QStringList{});
    EXPECT_EQ(watch.connected(), QStringList{});
    EXPECT_TRUE(server.requests.isEmpty());

    // A conversion, with a clip so that the player would be asked too.
    ASSERT_EQ(runWatched(QStringList{"convert", "--choose", "103", "--end", "0:00:01", "--output-folder", outputs.path()} +
                         files),
              1);
    QStringList failed;
    for (const QString& f : files)
        failed << f + "\tFail\t";
    EXPECT_EQ(lines(), failed);
    EXPECT_TRUE(err.contains("    could not read this file as media: a list of files to join names other files; add the "
                             "files themselves\n"))
        << err.toStdString();
    EXPECT_EQ(watch.openedInside(dir.path(), files), QStringList{});
    EXPECT_EQ(watch.connected(), QStringList{});
    EXPECT_TRUE(server.requests.isEmpty());
}

TEST_F(Sources, APercentOrAPatternInANameIsPartOfTheNameOfOneFile)
{
    const QString picture = test::makeMedia("red64x48.png", {"-f", "lavfi", "-i", "color=c=red:size=64x48", "-frames:v", "1"});
    const QString targa = test::makeMedia("red64x48.tga", {"-f", "lavfi", "-i", "color=c=red:size=64x48", "-frames:v", "1"});
    QStringList sources, others;
    for (const auto& [from, pattern, each] : {std::tuple{picture, "shot%d.png", "shot%1.png"},
                                              std::tuple{targa, "frame%03d.tga", "frame%1.tga"},
                                              std::tuple{picture, "still*.png", "still%1.png"}}) {
        sources << test::copyTo(from, dir.path(), pattern);
        for (int i = 0; i < 5; ++i)
            others << test::copyTo(from, dir.path(), QString(each).arg(i, QString(pattern).contains("03") ? 3 : 1, 10, QChar('0')));
    }
    workingDir = dir.path();

    ASSERT_EQ(runWatched(QStringList{"probe", "--"} + sources), 0) << err.toStdString();
    ASSERT_EQ(lines().size(), 3) << out.toStdString();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(lines()[i].startsWith(sources[i] + "\t0:00:00\t")) << lines()[i].toStdString();
    EXPECT_EQ(watch.openedInside(dir.path(), sources), QStringList{});

    ASSERT_EQ(runWatched(QStringList{"convert", "--choose", "103", "--output-folder", outputs.path()} + sources), 0)
        << err.toStdString();
    EXPECT_EQ(lines(), (QStringList{sources[0] + "\tOK\t" + outputs.filePath("shot%d.mp4"),
                                    sources[1] + "\tOK\t" + outputs.filePath("frame%03d.mp4"),
                                    sources[2] + "\tOK\t" + outputs.filePath("still*.mp4")}));
    EXPECT_EQ(watch.openedInside(dir.path(), sources), QStringList{});
    for (const QString output : {"shot%d.mp4", "frame%03d.mp4", "still*.mp4"}) {
        QString frames;
        test::run("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0",
                              outputs.filePath(output)},
                  &frames);
        EXPECT_EQ(frames.trimmed(), "1") << output.toStdString() << ": the one picture, not the others";
    }
}

TEST_F(Sources, TheIdentifyRunOpensOnlyItsSource)
{
    const QString clip = test::copyTo(test::videoClip(2), dir.path(), "clip.mp4");
    for (const char* beside : {"clip.srt", "clip.ass", "clip.sub", "clip.idx", "clip.ifo", "clip.txt", "clip.utf"})
        write(beside, "1\n00:00:00,000 --> 00:00:01,000\nhello\n");
    workingDir = dir.path();
    ASSERT_EQ(runWatched({"probe", clip}), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{clip + "\t0:00:00\t0:00:02\t320x240\tH264\t0:00:02"});
    EXPECT_EQ(watch.openedInside(dir.path(), {clip}), QStringList{});
    EXPECT_EQ(watch.connected(), QStringList{});
}

TEST_F(Sources, AContainerSetByWhoeverStartedTheProgramIsNotTaken)
{
    const QString clip = test::copyTo(test::videoClip(2), dir.path(), "clip.mp4");
    env.insert("VARNEL_SOURCE_FORMAT", "avi");
    ASSERT_EQ(run({"convert", "--choose", "103", "--output-folder", outputs.path(), clip}), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{clip + "\tOK\t" + outputs.filePath("clip.mp4")});
    ASSERT_EQ(run({"probe", clip}), 0) << err.toStdString();
    EXPECT_EQ(lines(), QStringList{clip + "\t0:00:00\t0:00:02\t320x240\tH264\t0:00:02"});
    // A tool started for no source at all, as the recorder is.
    ASSERT_EQ(run({"capture", "--input", "lavfi:testsrc=size=320x240:rate=25", "--output", outputs.filePath("x.avi"),
                   "--seconds", "1"}),
              0)
        << err.toStdString();
    EXPECT_EQ(test::probeMedia(outputs.filePath("x.avi")).width, 320);
}
