#include "core/convert/RowPlan.h"

#include "core/common/TimeText.h"
#include "core/convert/EncoderForms.h"
#include "core/sources/SourceList.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace varnel {

namespace {

const char* const kUnreadable = QT_TRANSLATE_NOOP("varnel::RowPlan", "could not read this file as media: ");

struct Clip {
    QString startText, endText;
    bool toTheEnd = false;
    double length = -1; // the whole source, as far as known before converting
};

// The row's clip as its cells show it. An empty end, or one at the length
// the row shows while that is the source's own length to the second, is the
// end of the source: no duration is given then, and the fraction of a second
// that the cells cannot show is kept. Otherwise the end is the time it
// shows, clipped to the source. A clip's source has been measured (see
// rowIsClipped): a start past its end is refused.
Clip clipOf(const SourceItem& item)
{
    Clip clip{item.cells[SourceItem::Start], item.cells[SourceItem::End]};
    const QString lengthText = item.cells[SourceItem::VideoTime];
    const auto shown = timeTextToSeconds(lengthText);
    const auto start = timeTextToSeconds(clip.startText), end = timeTextToSeconds(clip.endText);
    const double measured = item.media.lengthsMeasured ? item.media.seconds() : -1;
    clip.length = measured > 0 ? measured : item.lengthSeconds > 0 ? item.lengthSeconds : item.media.seconds();
    if (clip.length <= 0 && shown && *shown > 0)
        clip.length = *shown;
    const bool shownIsTrue = shown && (measured <= 0 || std::abs(*shown - measured) < 1);
    clip.toTheEnd = clip.endText.isEmpty() || (end && shownIsTrue && *end >= *shown) ||
                    (end && measured > 0 && *end >= measured);
    if (start && clip.length > 0 && *start >= clip.length)
        throw BuildError(QCoreApplication::translate("varnel::RowPlan", "the start %1 is past the end of the clip (%2)")
                             .arg(clip.startText, shownIsTrue ? lengthText : preciseTimeText(clip.length))
                             .toStdString());
    return clip;
}

// ffmpeg's own word on why it stopped: its last line that says something
// failed. Its closing reports (a library's statistics, "Starting second
// pass" of a fast-start MP4, the sizes) come after the error and say
// nothing of it; where no line says something failed, the last line that
// is none of those.
QString encoderErrorLine(const QString& output)
{
    static const QLatin1String kChatter[] = {
        QLatin1String("Input #"), QLatin1String("Output #"), QLatin1String("Stream mapping"),
        QLatin1String("Press [q]"), QLatin1String("frame="), QLatin1String("size="), QLatin1String("video:"),
        QLatin1String("Conversion failed"), QLatin1String("Exiting normally"), QLatin1String("Please use -b:a"),
        QLatin1String("encoded "), QLatin1String("x265 [info]"), QLatin1String("Svt[info]")};
    static const QRegularExpression failing(
        QStringLiteral("error|invalid|fail|corrupt|cannot|could not|unable|not found|no such|denied|not supported|"
                       "unsupported|unknown|unrecognized|does not|no space|abort|illegal"),
        QRegularExpression::CaseInsensitiveOption);
    // "[libx264 @ 0x5630eeff3fc0] kb/s:49.82": a library's report.
    static const QRegularExpression report(QStringLiteral("^\\[[^\\]]* @ 0x[0-9a-f]+\\] "));
    const QStringList lines = output.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    QString plain;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const QString& line = *it;
        if (line.front().isSpace() ||
            std::any_of(std::begin(kChatter), std::end(kChatter), [&](const QLatin1String& c) { return line.startsWith(c); }))
            continue;
        if (line.contains(failing))
            return line.trimmed();
        if (plain.isEmpty() && !line.contains(report))
            plain = line.trimmed();
    }
    return plain;
}

// The encoder is handed the private folder open and names the file it
// writes through that descriptor ("/proc/self/fd/11/0.clip.mp4"): the user
// knows it by the output's name.
QString namingTheOutput(QString reason, const RowPlan& plan)
{
    if (plan.partial.name.isEmpty() || plan.output.isEmpty())
        return reason;
    const QRegularExpression written(QStringLiteral("/proc/self/fd/[0-9]+/") + QRegularExpression::escape(plan.partial.name));
    return reason.replace(written, plan.output);
}

} // namespace

void refuseWhatTheEntryCannotMake(const MediaFacts& media, int entryNumber)
{
    // A form that makes sound from a file without any would only fail in
    // the encoder; one of today's video forms would make a file without the
    // picture it is for. The catalogue's video entries keep making the
    // sound of a sound file, as they always have.
    const auto form = formForEntry(entryNumber);
    if (!form)
        return;
    if (isAudioForm(form->form) && !media.hasAudio())
        throw BuildError(QCoreApplication::translate("varnel::RowPlan", "this file holds no sound, and this profile makes sound only")
                             .toStdString());
    if (isTodayForm(form->form) && !isAudioForm(form->form) && !media.hasVideo() && !media.onlyCoverPicture())
        throw BuildError(QCoreApplication::translate("varnel::RowPlan", "this file holds no picture, and this profile makes video: "
                                                                        "choose a sound profile for it")
                             .toStdString());
}

bool rowIsClipped(const SourceItem& item)
{
    const QString& start = item.cells[SourceItem::Start];
    const QString& end = item.cells[SourceItem::End];
    return item.clipSet || (!start.isEmpty() && timeTextToSeconds(start).value_or(-1) != 0) ||
           (!end.isEmpty() && end != item.cells[SourceItem::VideoTime]);
}

RowPlan planRow(const SourceItem& item, const PlanContext& context, const output::TakenFiles& taken,
                const QString& statisticsFile)
{
    if (context.extension.isEmpty())
        throw BuildError((context.entryNumber ? QCoreApplication::translate("varnel::RowPlan", "the chosen entry is a category header, not a profile")
                                              : QCoreApplication::translate("varnel::RowPlan", "no profile is chosen")).toStdString());
    if (!item.media.readable)
        throw BuildError((QCoreApplication::translate("varnel::RowPlan", kUnreadable) + item.media.error).toStdString());

    const auto form = formForEntry(context.entryNumber);
    const bool audioForm = form && isAudioForm(form->form);
    refuseWhatTheEntryCannotMake(item.media, context.entryNumber);

    RowPlan plan;
    plan.source = item.path();
    plan.sourceFormat = item.media.container;
    plan.addNew = context.addNew;
    plan.extension = context.extension;
    plan.taken = taken;
    plan.output = output::outputPathFor(item.path(), context.outputFolder, context.extension, context.addNew, taken);
    // Moved aside from its first name: placed without replacing, whatever the policy.
    plan.addNew = context.addNew || plan.output != context.outputFolder + u'/' +
                                                       output::baseNameOf(QFileInfo(item.path()).fileName()) +
                                                       context.extension;
    if (!output::nameFits(plan.output))
        throw BuildError(output::kOutputNameTooLong().toStdString());

    EncoderInputs in;
    in.sourcePath = item.path();
    in.entryNumber = context.entryNumber;
    in.sheet = context.sheet;
    in.threadSetting = context.threadSetting;
    in.programFolder = context.programFolder;
    in.statisticsFile = statisticsFile;
    // Audio forms take no clip times: the whole source.
    Clip clip = audioForm ? Clip{QStringLiteral("0:00:00"), {}, true} : clipOf(item);
    if (audioForm)
        clip.length = item.lengthSeconds > 0 ? item.lengthSeconds : item.media.seconds();
    in.startText = clip.startText;
    in.endText = clip.endText;
    in.toTheEnd = clip.toTheEnd;
    in.coverOnly = item.media.onlyCoverPicture();
    in.source = item.mediaRead && item.media.readable ? &item.media : nullptr;
    if (const StreamFacts* sound = item.media.chosenAudio(); in.coverOnly && item.media.lengthsMeasured && sound)
        in.coverSeconds = sound->seconds;

    if (context.partials) {
        plan.partials = context.partials;
        plan.partial = context.partials->createPartial(plan.output);
        if (plan.partial.path.isEmpty())
            throw BuildError(QCoreApplication::translate("varnel::RowPlan", "cannot create a file in %1: %2")
                                 .arg(context.partials->path(), plan.partial.error)
                                 .toStdString());
    } else {
        const QString name = output::partialNameFor(QFileInfo(plan.output).fileName(), 0, 255);
        plan.partial.path = output::PartialFolder::plannedPath(context.outputFolder, output::RunIdentity::current()) +
                            u'/' + name;
        plan.partial.name = name;
    }
    try {
        in.outputPath = plan.partial.path;
        plan.command = buildEncoderCommand(in);
        if (plan.command.clipped && !plan.command.toTheEnd && plan.command.durationSeconds <= 0)
            throw BuildError(QCoreApplication::translate("varnel::RowPlan", "the clip from %1 to %2 lasts no time: there is nothing to convert")
                                 .arg(in.startText, in.endText)
                                 .toStdString());
    } catch (...) {
        if (plan.partials)
            plan.partials->removePartial(plan.partial);
        throw;
    }

    const EncoderCommand& c = plan.command;
    plan.expected = expectationOf(c, in.coverOnly);
    plan.progressSeconds = c.clipped && !c.toTheEnd ? c.durationSeconds : std::max(0.0, clip.length - (c.clipped ? c.startSeconds : 0));
    return plan;
}

OutputExpectation expectationOf(const EncoderCommand& c, bool coverOnly)
{
    OutputExpectation e;
    e.video = c.makesVideo;
    e.audio = c.makesAudio;
    e.coverVideo = coverOnly && c.makesVideo;
    if (c.clipped) {
        e.clip.start = c.startSeconds;
        e.clip.end = c.toTheEnd ? -1 : c.startSeconds + c.durationSeconds;
    }
    return e;
}

QString replacedPartial(const RowPlan& plan)
{
    if (!plan.partials || plan.partials->holds(plan.partial))
        return {};
    return QCoreApplication::translate("varnel::RowPlan", "the file being written was replaced by another file: nothing is trusted of it");
}

QString encoderFailure(int exitCode, bool crashed)
{
    if (crashed)
        return QCoreApplication::translate("varnel::RowPlan", "the encoder stopped abnormally (signal %1)").arg(exitCode - 128);
    if (exitCode != 0)
        return QCoreApplication::translate("varnel::RowPlan", "the encoder ended with exit code %1").arg(exitCode);
    return {};
}

RowOutcome completeRow(const RowPlan& plan, int exitCode, bool crashed, const QString& encoderOutput,
                       const MediaFacts& source, const MediaFacts& output)
{
    // The encoder's word and its file both count; only then does the file
    // take its name.
    QString reason = encoderFailure(exitCode, crashed);
    if (!reason.isEmpty()) {
        const QString said = encoderErrorLine(encoderOutput);
        if (!said.isEmpty())
            reason = said + u'\n' + reason;
    }
    if (reason.isEmpty())
        reason = replacedPartial(plan);
    if (reason.isEmpty())
        reason = judgeOutput(plan.expected, source, output, encoderOutput);
    if (reason.isEmpty() && plan.partials) {
        const output::PlacedOutput placed =
            plan.partials->place(plan.partial, plan.output, plan.addNew, plan.extension, plan.taken);
        if (placed.error.isEmpty())
            return {true, {}, placed.path};
        reason = placed.error;
    }
    if (plan.partials)
        plan.partials->removePartial(plan.partial);
    return {false, namingTheOutput(reason, plan), {}};
}

} // namespace varnel
