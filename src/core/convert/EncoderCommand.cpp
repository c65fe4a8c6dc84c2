#include "core/convert/EncoderCommand.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/convert/EncoderForms.h"
#include "core/convert/SheetValues.h"
#include "core/profiles/OptionSheet.h"

#include <QCoreApplication>
#include <cmath>
#include <map>

namespace varnel {

namespace {

const std::map<QString, QString>& videoCodecTable()
{
    // Sheet value | Video codec
    static const std::map<QString, QString> t = {
        {"xvid", "libxvid  -aspect 4:3 "},
        {"x264", "libx264 -qmin 10 -qmax 51 -qdiff 4 -me_range 16 -keyint_min 25 -qcomp 0.6 "},
        {"mpeg4", "mpeg4"},
        {"WMV V9", "wmv2"},
        {"WMV V8", "wmv2"},
        {"mjpeg", "mjpeg"},
        {"h263", "h263"},
        {"mpeg1", "mpeg1video"},
        {"mpeg2", "mpeg2video"},
    };
    return t;
}

const std::map<QString, QString>& audioCodecTable()
{
    // Sheet value | Audio codec
    static const std::map<QString, QString> t = {
        {"aac", "libfaac"},
        {"mp3", "libmp3lame"},
        {"WMA9", "wmav2"},
        {"WMA8", "wmav2"},
        {"pcm", "pcm_s16le"},
        {"amr_nb", "libfaac"},
        {"faac", "libfaac"},
        {"ac3", "ac3"},
        {"ogg", "libvorbis"},
        {"wav", "pcm_s16le"},
        {"WMA", "wmav2"},
        {"mp2", "mp2"},
    };
    return t;
}

// A codec from the table is our own option text and splits at its blanks; a
// value outside the table is the user's and stays one piece of its argument.
Command codecPiece(const std::map<QString, QString>& table, const QString& v)
{
    Command c;
    const auto it = table.find(v);
    if (it == table.end())
        c.value(v);
    else
        c.literal(it->second);
    return c;
}

// A shape given as "W:H" or as a number; 0 when it is neither.
double shapeOf(const QString& text)
{
    const QStringList parts = text.split(u':');
    bool ok1 = false, ok2 = false;
    const double a = parts.value(0).toDouble(&ok1), b = parts.size() == 2 ? parts[1].toDouble(&ok2) : 1;
    if (!ok1 || (parts.size() == 2 && !ok2) || parts.size() > 2 || a <= 0 || b <= 0)
        return 0;
    return a / b;
}

// A picture whose shape is not the frame's is fitted inside it and the rest
// painted black, never stretched. Empty where the shapes agree or are not known.
QString fitFilter(const MediaFacts* source, const QString& frameSize, const QString& aspect)
{
    const StreamFacts* video = source ? source->chosenVideo() : nullptr;
    const double picture = video ? video->displayAspect() : 0;
    const QStringList wh = frameSize.split(u'x');
    const int w = wh.value(0).toInt(), h = wh.size() == 2 ? wh[1].toInt() : 0;
    if (picture <= 0 || w < 2 || h < 2 || w > 16384 || h > 16384)
        return {};
    const double frame = aspect.isEmpty() ? double(w) / h : shapeOf(aspect);
    if (frame <= 0 || std::abs(picture / frame - 1) <= 0.01)
        return {};
    auto even = [](double v) { return std::max(2, int(std::lround(v / 2)) * 2); };
    const int pw = picture > frame ? w : even(w * picture / frame);
    const int ph = picture > frame ? even(h * frame / picture) : h;
    return QStringLiteral("scale=%1:%2,pad=%3:%4:(ow-iw)/2:(oh-ih)/2,setsar=1").arg(pw).arg(ph).arg(w).arg(h);
}

struct Values {
    Command videoCodec, audioCodec;
    QString frameSize, videoBitrate, frameRate, aspect;
    QString noAudio, audioBitrate, sampleRate, channels;
    QString startSeconds, durationSeconds;
};

} // namespace

QString sheetValue(const OptionSheet& sheet, const QString& group, const QString& row)
{
    if (!sheet.hasRow(group, row))
        throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "no option row %1/%2").arg(group, row).toStdString());
    return sheet.value(group, row);
}

QString int16Text(const QString& v, const char* what)
{
    const auto n = toInt16(v);
    if (n)
        return QString::number(*n);
    if (strictNumber(v.trimmed()))
        throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "%1 %2 is out of the accepted range, -32768 to 32767")
                             .arg(QLatin1String(what), v.trimmed())
                             .toStdString());
    throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "%1 is not a number: %2").arg(QLatin1String(what), v).toStdString());
}

int timeSeconds(const QString& t)
{
    const auto s = timeTextToSeconds(t);
    if (!s)
        throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "not a time: %1").arg(t).toStdString());
    return *s;
}

void appendCoverInput(Command& c, const EncoderInputs& in)
{
    c.literal(" -f lavfi -i color=c=black:s=64x64:r=25");
    if (in.coverSeconds > 0 && in.coverSeconds < 1e7)
        c.value(QStringLiteral(":d=") + QString::number(in.coverSeconds, 'f', 3));
    c.literal(" -shortest");
}

void appendThreadsAndStatistics(Command& c, const EncoderInputs& in)
{
    c.literal(" -threads ").value(numberText(leadingNumber(in.threadSetting)))
        .literal(" -vstats_file ")
        .quoted(!in.statisticsFile.isEmpty() ? in.statisticsFile
                                             : (in.dataFolder.isEmpty() ? in.programFolder : in.dataFolder) +
                                                   QStringLiteral("/curconvert.log"));
}

EncoderCommand buildEncoderCommand(const EncoderInputs& in)
{
    if (!in.sheet)
        throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "no option sheet").toStdString());
    const auto choice = formForEntry(in.entryNumber);
    if (!choice)
        throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "no profile chosen").toStdString());
    if (isTodayForm(choice->form))
        return buildTodayCommand(in, *choice);
    const OptionSheet& sheet = *in.sheet;

    Values v;
    v.videoCodec = codecPiece(videoCodecTable(), sheetValue(sheet, Group::Video, "Video Codec"));
    v.frameSize = sheetValue(sheet, Group::Video, "Video Size");
    v.videoBitrate = sheetValue(sheet, Group::Video, "Video Bitrate");
    const QString rate = sheetValue(sheet, Group::Video, "Video Framerate");
    v.frameRate = rate == QLatin1String("Auto") ? QStringLiteral("25") : rate;
    v.aspect = sheetValue(sheet, Group::Video, "Aspect Ratio");
    v.audioCodec = codecPiece(audioCodecTable(), sheetValue(sheet, Group::Audio, "Audio Codec"));
    v.noAudio = sheetValue(sheet, Group::Audio, "Disable Audio") == QLatin1String("No") ? QString()
                                                                                      : QStringLiteral(" -an ");
    v.audioBitrate = int16Text(sheetValue(sheet, Group::Audio, "Audio Bitrate"), "Audio Bitrate");
    v.sampleRate = sheetValue(sheet, Group::Audio, "Sample Rate");
    v.channels = int16Text(sheetValue(sheet, Group::Audio, "Audio Channel"), "Audio Channel");
    const int start = timeSeconds(in.startText);
    const int duration = in.toTheEnd ? 0 : timeSeconds(in.endText) - start;
    v.startSeconds = QString::number(start);
    v.durationSeconds = QString::number(duration);

    Command c;
    c.quoted(in.programFolder + QStringLiteral("/fp.dll")).literal(" -i ").path(in.sourcePath);
    const bool audioForm = isAudioForm(choice->form);
    if (in.coverOnly && !audioForm) {
        // Left to itself the encoder takes the cover for a one-frame video
        // (and some containers refuse a cover's flags on a video). A second,
        // black input is the larger picture it picks instead; -shortest ends
        // it with the sound.
        if (!v.noAudio.isEmpty())
            throw BuildError(QCoreApplication::translate("varnel::EncoderCommand", "this file holds sound and a cover picture, and the sound is disabled: there is no video "
                             "to make").toStdString());
        appendCoverInput(c, in);
    }

    auto audioRates = [&] {
        c.literal("  -ab ").value(v.audioBitrate).literal("000  -ac ").value(v.channels)
            .literal(" -ar ").value(v.sampleRate);
    };
    const bool withAspect = choice->form == CommandForm::Full || choice->form == CommandForm::Phone ||
                            choice->form == CommandForm::ShortVideoAspect;
    auto videoRateAndClip = [&] {
        c.literal(" -b ").value(v.videoBitrate).literal("000 -r ").value(v.frameRate)
            .literal(" -ss ").value(v.startSeconds);
        if (!in.toTheEnd)
            c.literal(" -t ").value(v.durationSeconds);
        // A DVD target keeps the shape itself, through the 4:3 and 16:9
        // flags of its non-square pixels: bands would only squeeze it.
        if (choice->form != CommandForm::Dvd)
            if (const QString fit = fitFilter(in.source, v.frameSize, withAspect ? v.aspect : QString()); !fit.isEmpty())
                c.literal(" -vf ").value(fit);
        c.literal(" -s ").value(v.frameSize);
    };
    auto output = [&] { c.path(in.outputPath); };

    switch (choice->form) {
    case CommandForm::Full:
    case CommandForm::FullNoAspect:
    case CommandForm::Phone:
        c.literal(choice->container).append(v.videoCodec);
        if (choice->form == CommandForm::Phone)
            c.literal(choice->fixedAudio);
        else
            audioRates();
        videoRateAndClip();
        if (choice->form != CommandForm::FullNoAspect)
            c.literal(" -aspect ").value(v.aspect);
        c.literal(" -acodec ").append(v.audioCodec).literal(v.noAudio).literal(" ");
        output();
        break;
    case CommandForm::ShortVideo:
    case CommandForm::ShortVideoAspect:
        c.literal("  -vcodec ").append(v.videoCodec);
        videoRateAndClip();
        if (choice->form == CommandForm::ShortVideoAspect)
            c.literal(" -aspect ").value(v.aspect);
        c.literal(" -acodec ").append(v.audioCodec).literal(" ").literal(v.noAudio);
        output();
        break;
    case CommandForm::Flash:
        audioRates();
        videoRateAndClip();
        c.literal(" -acodec ").append(v.audioCodec).literal(v.noAudio).literal(" ");
        output();
        break;
    case CommandForm::Dvd:
        c.literal(choice->container);
        videoRateAndClip();
        c.literal(v.noAudio).literal(" ");
        output();
        break;
    case CommandForm::Audio:
        audioRates();
        c.literal(choice->container);
        output();
        break;
    case CommandForm::Wma:
        c.literal(" -acodec ").append(v.audioCodec).literal(" -vn ");
        output();
        break;
    case CommandForm::TodayVideo:
    case CommandForm::TodayAllTracks:
    case CommandForm::TodayAudio:
        break; // built by their own builder above
    }

    appendThreadsAndStatistics(c, in);
    return {c, start, duration, !audioForm, !audioForm && in.toTheEnd, !audioForm, audioForm || v.noAudio.isEmpty()};
}

} // namespace varnel
