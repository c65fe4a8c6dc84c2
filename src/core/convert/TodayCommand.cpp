#include "core/common/TextNumbers.h"
#include "core/convert/EncoderCommand.h"
#include "core/convert/EncoderForms.h"
#include "core/convert/SheetValues.h"
#include "core/convert/TodaysForms.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace varnel {

namespace {

const tables::TodayVideoCodec& videoCodecOf(const QString& value)
{
    for (const auto& c : tables::kTodayVideoCodecs)
        if (value == QLatin1String(c.value))
            return c;
    throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "Video Codec %1 is not one of this profile's codecs").arg(value).toStdString());
}

const tables::TodayAudioCodec& audioCodecOf(const QString& value)
{
    for (const auto& c : tables::kTodayAudioCodecs)
        if (value == QLatin1String(c.value))
            return c;
    throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "Audio Codec %1 is not one of this profile's codecs").arg(value).toStdString());
}

int positive(const QString& text, const char* what)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,7}$"));
    const int n = digits.match(text).hasMatch() ? text.toInt() : 0;
    if (n <= 0)
        throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "%1 %2 is not a positive number").arg(QLatin1String(what), text).toStdString());
    return n;
}

// Square pixels and even sides (what every encoder of these accepts). Pixels
// are made square by stretching the side they are short on, never by
// squeezing the other: nothing of the picture is lost, turned or not (the
// encoder turns it before this, and its pixels' shape with it). Then the
// picture fits a box in its own shape, never larger than it came: the
// sheet's size, within the largest frame the encoder takes; and a picture
// smaller than the encoder's least is centred on black.
QString pictureFilter(const QString& size, const tables::TodayVideoCodec& codec)
{
    int w = codec.widest, h = codec.tallest;
    if (size != QLatin1String("Original")) {
        static const QRegularExpression box(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const auto m = box.match(size);
        w = m.hasMatch() ? m.captured(1).toInt() : 0;
        h = m.hasMatch() ? m.captured(2).toInt() : 0;
        if (w < 16 || h < 16 || w > 16384 || h > 16384)
            throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "Video Size %1 is neither Original nor WIDTHxHEIGHT from 16x16 to 16384x16384").arg(size).toStdString());
        w = std::min(w, codec.widest);
        h = std::min(h, codec.tallest);
    }
    // One scale, so that no frame larger than the output is ever made, and
    // none with more pixels than ffmpeg makes (and AV1 takes). A side that
    // fills the box exactly may compute a hair short of it.
    constexpr long long kMostPixels = 16384LL * 8704;
    const QString wide = QStringLiteral("max(iw\\,ih*dar)"), tall = QStringLiteral("max(ih\\,iw/dar)");
    const QString fit = QStringLiteral("min(1\\,min(%1/%2\\,min(%3/%4\\,sqrt(%5/(%2*%4)))))")
                            .arg(QString::number(w), wide, QString::number(h), tall, QString::number(kMostPixels));
    QString filter = QStringLiteral("scale=max(2\\,trunc(%1*%2/2+0.0005)*2):max(2\\,trunc(%3*%2/2+0.0005)*2),setsar=1")
                         .arg(wide, fit, tall);
    if (codec.smallestSide > 2)
        filter += QStringLiteral(",pad=w=max(%1\\,iw):h=max(%1\\,ih):x=(ow-iw)/2:y=(oh-ih)/2").arg(codec.smallestSide);
    return filter;
}

// Matroska holds most subtitles as they are; MP4's own text is turned into
// SubRip, which it holds.
void subtitlePieces(Command& c, const MediaFacts* source)
{
    if (!source) {
        c.literal(" -c:s copy");
        return;
    }
    int n = 0;
    for (const StreamFacts& s : source->streams)
        if (s.kind == StreamFacts::Kind::Subtitle) {
            c.literal(QStringLiteral(" -c:s:%1 %2").arg(n++).arg(s.codec == QLatin1String("mov_text") ? "srt" : "copy"));
        }
}

// A row whose choices the entry's option set gives takes one of them: a
// codec the container cannot hold would fail, or worse, hang the encoder.
QString offeredValue(const OptionSheet& sheet, int entry, const QString& group, const QString& row)
{
    const QString value = sheetValue(sheet, group, row);
    for (const RowAction& a : OptionSets::actionsFor(entry))
        if (a.row == row && a.kind == RowAction::Kind::ReplaceChoices && !a.choices.contains(value))
            throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "%1 %2 is not one of this profile's choices: %3")
                                 .arg(row, value, a.choices.join(QStringLiteral(", ")))
                                 .toStdString());
    return value;
}

int inRange(const QString& text, const char* what, int least, int most)
{
    const int n = positive(text, what);
    if (n < least || n > most)
        throw BuildError(
            QCoreApplication::translate("varnel::TodayCommand", "%1 %2 is not from %3 to %4").arg(QLatin1String(what), text).arg(least).arg(most).toStdString());
    return n;
}

} // namespace

EncoderCommand buildTodayCommand(const EncoderInputs& in, const FormChoice& choice)
{
    const OptionSheet& sheet = *in.sheet;
    const bool audioForm = isAudioForm(choice.form);
    const bool noAudio = sheetValue(sheet, Group::Audio, "Disable Audio") != QLatin1String("No");
    if (audioForm && noAudio)
        throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "the sound is disabled, and this profile makes sound only").toStdString());
    const int start = audioForm ? 0 : timeSeconds(in.startText);
    const int duration = audioForm || in.toTheEnd ? 0 : timeSeconds(in.endText) - start;

    Command c;
    c.quoted(in.programFolder + QStringLiteral("/fp.dll")).literal(" -i ").path(in.sourcePath);
    if (in.coverOnly && !audioForm) {
        if (noAudio)
            throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "this file holds sound and a cover picture, and the sound is disabled: there is no video "
                             "to make").toStdString());
        appendCoverInput(c, in);
    }

    if (!audioForm) {
        if (choice.form == CommandForm::TodayAllTracks)
            c.literal(in.coverOnly ? " -map 1:v:0 -map 0:a?" : " -map 0:v:0? -map 0:a? -map 0:s? -map 0:t?");
        else
            c.literal(" -sn -dn");
        const auto& video = videoCodecOf(offeredValue(sheet, in.entryNumber, Group::Video, "Video Codec"));
        c.literal(" -c:v ").literal(QString::fromLatin1(video.encoder));
        const QString quality = sheetValue(sheet, Group::Video, "Video Bitrate");
        if (quality == QLatin1String("Quality: High") || quality == QLatin1String("Quality: Standard") ||
            quality == QLatin1String("Quality: Small")) {
            const int crf = quality.endsWith(QLatin1String("High")) ? video.high
                            : quality.endsWith(QLatin1String("Standard")) ? video.standard
                                                                           : video.small;
            c.literal(QStringLiteral(" -crf %1").arg(crf)).literal(QString::fromLatin1(video.pieces));
        } else {
            c.literal(" -b:v ").value(QString::number(positive(quality, "Video Bitrate"))).literal("k");
            c.literal(QString::fromLatin1(video.fixedRatePieces));
        }
        c.literal(" -vf ").value(pictureFilter(sheetValue(sheet, Group::Video, "Video Size"), video));
        const QString rate = sheetValue(sheet, Group::Video, "Video Framerate");
        if (rate == QLatin1String("Auto"))
            c.literal(" -fps_mode vfr"); // the source's own rate, variable or not
        else if (const double r = rate.toDouble(); strictNumber(rate) && r >= 1 && r <= 240)
            c.literal(" -r ").value(rate == QLatin1String("29.97") ? QStringLiteral("30000/1001") : QString::number(r));
        else
            throw BuildError(QCoreApplication::translate("varnel::TodayCommand", "Video Framerate %1 is not a rate from 1 to 240").arg(rate).toStdString());
    }

    if (noAudio) {
        c.literal(" -an");
    } else {
        const auto& audio = audioCodecOf(offeredValue(sheet, in.entryNumber, Group::Audio, "Audio Codec"));
        c.literal(" -c:a ").literal(QString::fromLatin1(audio.encoder));
        if (audio.takesBitrate)
            c.literal(" -b:a ")
                .value(QString::number(inRange(sheetValue(sheet, Group::Audio, "Audio Bitrate"), "Audio Bitrate", 6, 512)))
                .literal("k");
        if (audio.takesChannels)
            c.literal(" -ac ")
                .value(QString::number(inRange(sheetValue(sheet, Group::Audio, "Audio Channel"), "Audio Channel", 1, 8)));
        const QString sampleRate = offeredValue(sheet, in.entryNumber, Group::Audio, "Sample Rate");
        if (sampleRate != QLatin1String("Original") && QString::fromLatin1(audio.encoder) != QLatin1String("copy"))
            c.literal(" -ar ").value(QString::number(inRange(sampleRate, "Sample Rate", 8000, 192000)));
    }
    if (choice.form == CommandForm::TodayAllTracks)
        subtitlePieces(c, in.coverOnly ? nullptr : in.source);

    c.literal(" -map_metadata 0").literal(choice.container);
    if (!audioForm) {
        c.literal(" -ss ").value(QString::number(start));
        if (!in.toTheEnd)
            c.literal(" -t ").value(QString::number(duration));
    }
    c.literal(" ").path(in.outputPath);
    appendThreadsAndStatistics(c, in);
    return {c, start, duration, !audioForm, !audioForm && in.toTheEnd, !audioForm, !noAudio};
}

} // namespace varnel
