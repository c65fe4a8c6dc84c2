// Today's formats make whole, playable files from every kind of source a
// phone or a camera gives, through the real varnel-convert, read back by
// ffprobe stream by stream.
#include "CliRig.h"
#include "HardMedia.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace varnel;
using test::Cli;

namespace {

QJsonObject ffprobe(const QString& path, bool countFrames = false)
{
    QProcess p;
    QStringList args = {"-v", "error", "-show_streams", "-show_format", "-of", "json", path};
    if (countFrames)
        args.prepend("-count_frames");
    p.start("ffprobe", args);
    p.waitForFinished(120000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QStringList codecsOf(const QJsonObject& probe, const QString& type)
{
    QStringList out;
    for (const QJsonValue& s : probe["streams"].toArray())
        if (s["codec_type"].toString() == type)
            out << s["codec_name"].toString();
    return out;
}

QJsonObject firstStream(const QJsonObject& probe, const QString& type)
{
    for (const QJsonValue& s : probe["streams"].toArray())
        if (s["codec_type"].toString() == type)
            return s.toObject();
    return {};
}

struct Profile {
    int number;
    const char* format; // ffprobe's format name
    const char* video;  // "" for sound only
    const char* tag;    // the video's tag, where players need one
    const char* audio;  // "" for the source's own, copied
};

} // namespace

TEST_F(Cli, TodaysFormatsMakeWholeFilesFromEveryKindOfSource)
{
    const Profile profiles[] = {
        {103, "mov,mp4,m4a,3gp,3g2,mj2", "h264", "avc1", "aac"},
        {104, "mov,mp4,m4a,3gp,3g2,mj2", "hevc", "hvc1", "aac"},
        {105, "matroska,webm", "av1", "", "opus"},
        {106, "matroska,webm", "vp9", "", "opus"},
        {107, "matroska,webm", "h264", "", ""},
        {108, "ogg", "", "", "opus"},
        {109, "flac", "", "", "flac"},
    };
    struct Source {
        const char* name;
        test::HardMedia media;
        const char* shownSize; // as a player shows the output
        const char* audio;
    };
    const Source sources[] = {
        {"odd.mp4", test::oddSizeClip(), "720x404", "aac"},
        {"phone.mp4", test::portraitPhoneClip(), "180x320", "aac"},
        {"variable.mkv", test::variableRateClip(), "320x240", "aac"},
        {"tracks.mp4", test::manyTracksClip(), "160x120", "aac"},
        {"sound.mp3", {test::audioClip(2), -1, 2}, "", "mp3"},
        {"silent.mp4", test::silentClip(), "256x144", ""},
        // Pixels made square by widening, never by narrowing, turned or not.
        {"wide-pixels.mp4", test::widePixelsClip(0), "426x240", "aac"},
        {"wide-pixels-turned.mp4", test::widePixelsClip(90), "240x426", "aac"},
    };
    QTemporaryDir in, outputs;
    QStringList files;
    for (const Source& s : sources)
        files << test::copyTo(s.media.path, in.path(), s.name);

    for (const Profile& p : profiles) {
        SCOPED_TRACE(p.number);
        const QString folder = outputs.filePath(QString::number(p.number));
        // A video profile refuses sound alone, a sound profile a silent file.
        ASSERT_EQ(run(QStringList{"convert", "--choose", QString::number(p.number), "--jobs", "2", "--output-folder",
                                  folder} + files),
                  1)
            << err.toStdString();
        const QStringList rows = lines();
        ASSERT_EQ(rows.size(), std::ssize(sources));
        for (size_t i = 0; i < std::size(sources); ++i) {
            const Source& s = sources[i];
            SCOPED_TRACE(s.name);
            const QStringList row = rows[static_cast<int>(i)].split('\t');
            const bool makesVideo = *p.video;
            if ((makesVideo && s.media.video < 0) || (!makesVideo && s.media.audio < 0)) {
                EXPECT_EQ(row, (QStringList{in.filePath(s.name), "Fail", ""}));
                const QString why = makesVideo ? "this file holds no picture, and this profile makes video: choose a "
                                                 "sound profile for it"
                                               : "this file holds no sound, and this profile makes sound only";
                EXPECT_TRUE(err.contains(" " + in.filePath(s.name) + "\n    " + why + "\n")) << err.toStdString();
                continue;
            }
            ASSERT_EQ(row.value(1), "OK") << rows[static_cast<int>(i)].toStdString();
            const QString output = row.value(2);
            const QJsonObject probe = ffprobe(output, QString(s.name) == "variable.mkv");
            EXPECT_EQ(probe["format"]["format_name"].toString(), p.format);
            EXPECT_EQ(codecsOf(probe, "video"), makesVideo ? QStringList{p.video} : QStringList{});
            const QStringList audio = codecsOf(probe, "audio");
            // The MKV keeps every sound track and subtitle; the others one track.
            const bool keepsAll = p.number == 107 && QString(s.name) == "tracks.mp4";
            EXPECT_EQ(audio, QStringList(s.media.audio < 0 ? 0 : keepsAll ? 2 : 1, *p.audio ? p.audio : s.audio));
            EXPECT_EQ(codecsOf(probe, "subtitle"), keepsAll ? QStringList{"subrip"} : QStringList{});
            const test::DecodedLengths decoded = test::decodedLengths(output);
            EXPECT_GE(decoded.audio, s.media.audio - 0.1);
            if (!makesVideo)
                continue;
            // The slow tail's last frame starts at 1.8 s; how long it shows
            // is the muxer's guess.
            const bool slowTail = QString(s.name) == "variable.mkv";
            EXPECT_GE(decoded.video, slowTail ? 1.8 : s.media.video - 0.1);
            const QJsonObject video = firstStream(probe, "video");
            EXPECT_EQ(QString("%1x%2").arg(video["width"].toInt()).arg(video["height"].toInt()), s.shownSize);
            if (*p.tag) {
                EXPECT_EQ(video["codec_tag_string"].toString(), p.tag);
            }
            if (slowTail) { // the source's own frames, none made up or lost
                EXPECT_EQ(video["nb_read_frames"].toString(), "35");
            }
        }
    }
}

TEST_F(Cli, APictureOutsideTheSizesAnEncoderTakesIsFittedToThem)
{
    // H.264 takes 2x2 to 16384x16384, H.265 from 16x16, AV1 64x64 to 16384x8704.
    const struct {
        int profile;
        int width, height;
        const char* made;
    } cases[] = {
        {103, 1, 1, "2x2"},      {104, 1, 1, "16x16"},    {105, 1, 1, "64x64"},
        {103, 3, 3, "2x2"},      {104, 3, 3, "16x16"},    {105, 3, 3, "64x64"},
        {103, 20000, 64, "16384x52"}, {105, 64, 9000, "64x8704"}, // narrowed to 60, then centred
    };
    QTemporaryDir in, outputs;
    for (const auto& c : cases) {
        SCOPED_TRACE(QString("%1: %2x%3").arg(c.profile).arg(c.width).arg(c.height).toStdString());
        const QString source = test::copyTo(test::flatClip(c.width, c.height).path, in.path(), "flat.mkv");
        ASSERT_EQ(run({"convert", "--choose", QString::number(c.profile), "--existing", "new", "--output-folder",
                       outputs.path(), source}),
                  0)
            << err.toStdString();
        const QString output = lines().value(0).section('\t', 2);
        const QJsonObject video = firstStream(ffprobe(output), "video");
        EXPECT_EQ(QString("%1x%2").arg(video["width"].toInt()).arg(video["height"].toInt()), c.made);
        EXPECT_GE(test::decodedLengths(output).video, 0.35);
    }
}

TEST_F(Cli, AnEntryWhoseEncoderIsMissingIsRefusedWithTheReason)
{
    // An ffmpeg built without SVT-AV1.
    QTemporaryDir fake;
    const QString ffmpeg = fake.filePath("ffmpeg");
    QFile f(ffmpeg);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nprintf ' V....D libx264  H.264\\n A..... aac  AAC\\n A..... libopus  Opus\\n'\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("VARNEL_FFMPEG", ffmpeg);
    QTemporaryDir out;
    EXPECT_EQ(run({"convert", "--choose", "105", "--output-folder", out.path(), test::videoClip(1)}), 2);
    EXPECT_TRUE(err.startsWith("varnel-convert: WebM AV1 / Opus (*.webm) cannot be made here: the installed ffmpeg "
                               "has no libsvtav1 encoder\n"))
        << err.toStdString();
    EXPECT_EQ(run({"plan", "--choose", "104", "--output-folder", out.path(), test::videoClip(1)}), 2);
    EXPECT_TRUE(err.contains("has no libx265 encoder")) << err.toStdString();
    // The codec chosen on the sheet counts, not only the entry's own.
    EXPECT_EQ(run({"plan", "--choose", "107", "--set", "Audio Options/Audio Codec=Opus", "--output-folder", out.path(),
                   test::videoClip(1)}),
              0);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\nprintf ' V....D libx264  H.264\\n A..... aac  AAC\\n'\n");
    f.close();
    EXPECT_EQ(run({"plan", "--choose", "107", "--set", "Audio Options/Audio Codec=Opus", "--output-folder", out.path(),
                   test::videoClip(1)}),
              2);
    EXPECT_TRUE(err.contains("has no libopus encoder")) << err.toStdString();
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(Cli, AWidePictureIsLetterboxedInAFourByThreeFrameNotStretched)
{
    QTemporaryDir out;
    const QString wide = test::videoClip(1, "640x360");
    ASSERT_EQ(run({"convert", "--choose", "2", "--output-folder", out.path(), wide}), 0) << err.toStdString();
    // The first frame as grey bytes: 1024x768, the picture 576 rows high in the middle.
    QProcess p;
    const QString output = lines().value(0).section('\t', 2);
    p.start("ffmpeg", {"-v", "error", "-i", output, "-frames:v", "1", "-f", "rawvideo",
                       "-pix_fmt", "gray", "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray grey = p.readAllStandardOutput();
    ASSERT_EQ(grey.size(), 1024 * 768);
    auto meanOfRows = [&](int from, int to) {
        double sum = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < 1024; ++x)
                sum += static_cast<unsigned char>(grey[y * 1024 + x]);
        return sum / ((to - from) * 1024);
    };
    EXPECT_LT(meanOfRows(0, 90), 20);     // black band above
    EXPECT_LT(meanOfRows(678, 768), 20);  // and below
    EXPECT_GT(meanOfRows(100, 668), 40);  // the picture between

    // A DVD keeps the shape with its own 16:9 flag: no bands, and NTSC's rate.
    ASSERT_EQ(run({"convert", "--choose", "88", "--output-folder", out.path(), wide}), 0) << err.toStdString();
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                            "stream=width,height,display_aspect_ratio,r_frame_rate", "-of", "csv=p=0",
                            lines().value(0).section('\t', 2)});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_TRUE(QString(probe.readAllStandardOutput()).startsWith("720,480,16:9,30000/1001"));
}
