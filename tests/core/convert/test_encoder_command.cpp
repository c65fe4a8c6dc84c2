#include "core/convert/EncoderCommand.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"

#include <gtest/gtest.h>

using namespace varnel;

namespace {

const QString kX264 = "libx264 -qmin 10 -qmax 51 -qdiff 4 -me_range 16 -keyint_min 25 -qcomp 0.6 ";
const QString kTail = " -threads 2 -vstats_file \"/App/curconvert.log\"";

struct Builder {
    OptionSheet sheet;
    EncoderInputs in;
    explicit Builder(int entry)
    {
        sheet.prolist();
        OptionSets::apply(sheet, entry);
        in.sourcePath = "/in/clip.avi";
        in.startText = "0:00:00";
        in.endText = "0:01:30";
        in.entryNumber = entry;
        in.sheet = &sheet;
        in.threadSetting = "2";
        in.outputPath = "/App/clip.mp4";
        in.programFolder = "/App";
    }
    Builder& set(const QString& group, const QString& row, const QString& v)
    {
        sheet.setValue(group, row, v);
        return *this;
    }
    QString text() const { return buildEncoderCommand(in).command.text(); }
};

const QString kHead = "\"/App/fp.dll\" -i \"/in/clip.avi\"";

} // namespace

TEST(EncoderCommand, WorkedExampleOfTheIpadProfile)
{
    EXPECT_EQ(Builder(2).text(),
              kHead + " -f mp4 -vcodec  " + kX264 +
                  "  -ab 128000  -ac 2 -ar 44100 -b 768000 -r 25 -ss 0 -t 90 -s 1024x768 -aspect 4:3"
                  " -acodec libfaac \"/App/clip.mp4\"" + kTail);
}

TEST(EncoderCommand, EveryFormHasItsExactText)
{
    const struct { int entry; QString body; } cases[] = {
        // full
        {26, " -f psp -vcodec   mpeg4  -ab 64000  -ac 2 -ar 24000 -b 512000 -r 29.97 -ss 0 -t 90 -s 368x208 -aspect 4:3 -acodec libfaac \"/App/clip.mp4\""},
        {49, " -f avi  -vcodec mpeg4  -ab 96000  -ac 2 -ar 44100 -b 384000 -r 25 -ss 0 -t 90 -s 320x240 -aspect 4:3 -acodec libmp3lame \"/App/clip.mp4\""},
        // full without aspect
        {61, " -f avi  -vcodec mpeg4  -ab 64000  -ac 2 -ar 24000 -b 512000 -r 20 -ss 0 -t 90 -s 320x240 -acodec libfaac \"/App/clip.mp4\""},
        {90, "   -vcodec mpeg1video  -ab 224000  -ac 2 -ar 44100 -b 1152000 -r 29.970 -ss 0 -t 90 -s 352x240 -acodec mp2 \"/App/clip.mp4\""},
        // short video, with and without aspect
        {42, "  -vcodec wmv2 -b 256000 -r 25 -ss 0 -t 90 -s 160x128 -acodec wmav2 \"/App/clip.mp4\""},
        {93, "  -vcodec wmv2 -b 768000 -r 29.97 -ss 0 -t 90 -s 720x480 -aspect 4:3 -acodec wmav2 \"/App/clip.mp4\""},
        // phone: fixed audio piece, never the sheet's rates or channels
        {71, "   -vcodec h263  -f 3gp -ac 1 -ar 8000 -ab 12.2k    -b 64000 -r 15 -ss 0 -t 90 -s 176x144 -aspect 4:3 -acodec libfaac \"/App/clip.mp4\""},
        {72, " -f 3g2  -vcodec h263  -ac 1 -ar 8000 -ab 12.2k    -b 64000 -r 15 -ss 0 -t 90 -s 176x144 -aspect 4:3 -acodec libfaac \"/App/clip.mp4\""},
        // flash: no video codec piece; FLV passes unchanged
        {83, "  -ab 64000  -ac 2 -ar 44100 -b 512000 -r 25 -ss 0 -t 90 -s 320x240 -acodec libmp3lame \"/App/clip.mp4\""},
        // DVD
        {88, " -target ntsc-dvd  -b 8000000 -r 29.97 -ss 0 -t 90 -s 720x480 \"/App/clip.mp4\""},
        {89, " -target pal-dvd  -b 8000000 -r 25 -ss 0 -t 90 -s 720x576 \"/App/clip.mp4\""},
        // audio: no clip times
        {96, "  -ab 128000  -ac 2 -ar 44100  -vn -f  mp3  -acodec  libmp3lame \"/App/clip.mp4\""},
        {97, "  -ab 128000  -ac 2 -ar 44100  -vn -f  ogg -acodec  libvorbis \"/App/clip.mp4\""},
        {98, "  -ab 128000  -ac 2 -ar 44100  -vn -f  wav -acodec  pcm_s16le \"/App/clip.mp4\""},
        {101, "  -ab 128000  -ac 2 -ar 44100  -vn -acodec  libfaac \"/App/clip.mp4\""},
        // WMA
        {100, " -acodec wmav2 -vn \"/App/clip.mp4\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Builder(c.entry).text(), kHead + c.body + kTail) << "entry " << c.entry;
}

TEST(EncoderCommand, ContainerPiecesHaveTheirLengths)
{
    // The container piece is what stands between the source and the codec.
    const struct { int entry; int length; } cases[] = {
        {2, 17}, {20, 11}, {26, 18}, {29, 12}, {38, 18}, {40, 18}, {49, 17}, {61, 17}, {63, 18},
        {66, 17}, {67, 17}, {69, 11}, {73, 19}, {90, 11}, {92, 20}, {94, 20},
    };
    for (const auto& c : cases) {
        Builder b(c.entry);
        b.set(Group::Video, "Video Codec", "CODEC");
        const QString t = b.text();
        const int from = kHead.size();
        EXPECT_EQ(t.indexOf("CODEC") - from, c.length) << "entry " << c.entry;
    }
}

TEST(EncoderCommand, DisableAudioPlacesItsBlanksByForm)
{
    Builder full(2);
    full.set(Group::Audio, "Disable Audio", "Yes");
    EXPECT_TRUE(full.text().contains(" -acodec libfaac -an  \"/App/clip.mp4\"")) << full.text().toStdString();
    Builder shortForm(42);
    shortForm.set(Group::Audio, "Disable Audio", "Yes");
    EXPECT_TRUE(shortForm.text().contains(" -acodec wmav2  -an \"/App/clip.mp4\"")) << shortForm.text().toStdString();
}

TEST(EncoderCommand, DerivedValues)
{
    Builder b(2);
    b.set(Group::Video, "Video Framerate", "Auto").set(Group::Audio, "Audio Bitrate", "12.2");
    const QString t = b.text();
    EXPECT_TRUE(t.contains(" -r 25 ")) << t.toStdString();
    EXPECT_TRUE(t.contains("  -ab 12000  -ac ")) << t.toStdString();

    Builder clip(2);
    clip.in.startText = "0:00:10";
    clip.in.endText = "0:00:05";
    const EncoderCommand cmd = buildEncoderCommand(clip.in);
    EXPECT_EQ(cmd.startSeconds, 10);
    EXPECT_EQ(cmd.durationSeconds, -5);
    EXPECT_TRUE(cmd.command.text().contains(" -ss 10 -t -5 "));

    Builder threads(2);
    for (const auto& [stored, written] : {std::pair{"", "0"}, {"abc", "0"}, {"3", "3"}, {"-2", "-2"}}) {
        threads.in.threadSetting = stored;
        EXPECT_TRUE(threads.text().contains(QString(" -threads %1 -vstats_file").arg(written))) << stored;
    }
}

TEST(EncoderCommand, UnbuildableItemsRaise)
{
    Builder badTime(2);
    badTime.in.endText = "";
    EXPECT_THROW(buildEncoderCommand(badTime.in), BuildError);
    Builder badRate(2);
    badRate.set(Group::Audio, "Audio Bitrate", "lots");
    EXPECT_THROW(buildEncoderCommand(badRate.in), BuildError);
    Builder noRow(2);
    noRow.sheet.clearGroups();
    EXPECT_THROW(buildEncoderCommand(noRow.in), BuildError);
    Builder noEntry(2);
    noEntry.in.entryNumber = 0;
    EXPECT_THROW(buildEncoderCommand(noEntry.in), BuildError);
}

TEST(EncoderCommand, PathsAreOneArgumentEach)
{
    Builder b(2);
    b.in.sourcePath = "/in/my \"best\" clip $x.avi";
    b.in.outputPath = "/out dir/my.mp4";
    b.in.programFolder = "/opt/Varnel App";
    const QStringList argv = buildEncoderCommand(b.in).command.argv();
    EXPECT_EQ(argv.first(), "/opt/Varnel App/fp.dll");
    EXPECT_EQ(argv.at(1), "-i");
    EXPECT_EQ(argv.at(2), "/in/my \"best\" clip $x.avi");
    EXPECT_TRUE(argv.contains("/out dir/my.mp4"));
    EXPECT_EQ(argv.last(), "/opt/Varnel App/curconvert.log");
    EXPECT_TRUE(argv.contains("libx264"));
    EXPECT_TRUE(argv.contains("768000"));
}

TEST(EncoderCommand, AClipToTheEndGivesNoLengthAndACoverGetsBlackFrames)
{
    Builder toTheEnd(2);
    toTheEnd.in.toTheEnd = true;
    toTheEnd.in.startText = "0:00:05";
    EXPECT_EQ(toTheEnd.text(), kHead + " -f mp4 -vcodec  " + kX264 +
                                   "  -ab 128000  -ac 2 -ar 44100 -b 768000 -r 25 -ss 5 -s 1024x768 -aspect 4:3"
                                   " -acodec libfaac \"/App/clip.mp4\"" + kTail);
    EXPECT_TRUE(buildEncoderCommand(toTheEnd.in).toTheEnd);

    Builder cover(42);
    cover.in.coverOnly = true;
    cover.in.toTheEnd = true;
    EXPECT_EQ(cover.text(), kHead + " -f lavfi -i color=c=black:s=64x64:r=25 -shortest"
                                    "  -vcodec wmv2 -b 256000 -r 25 -ss 0 -s 160x128 -acodec wmav2 \"/App/clip.mp4\"" + kTail);
    cover.set("Audio Options", "Disable Audio", "Yes");
    EXPECT_THROW(buildEncoderCommand(cover.in), BuildError) << "no sound, no video: nothing to make";

    Builder sound(96); // a sound form: the whole source, the cover left out
    sound.in.coverOnly = true;
    EXPECT_FALSE(sound.text().contains("lavfi"));
}
