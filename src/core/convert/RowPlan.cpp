#include "core/convert/RowPlan.h"

#include "core/common/TimeText.h"
#include "core/convert/EncoderForms.h"
#include "core/convert/OutputFiles.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace varnel {

namespace {

const QString kUnreadable = QStringLiteral("could not read this file as media: ");

// The clip times the encoder gets: a start past the end of the source is
// refused, an end past it is the end.
std::pair<QString, QString> clipTimesWithin(const SourceItem& item)
{
    QString start = item.cells[SourceItem::Start], end = item.cells[SourceItem::End];
    const QString lengthText = item.cells[SourceItem::VideoTime];
    const auto length = timeTextToSeconds(lengthText);
    if (!length || *length <= 0)
        return {start, end};
    const auto startSeconds = timeTextToSeconds(start), endSeconds = timeTextToSeconds(end);
    if (startSeconds && *startSeconds >= *length)
        throw BuildError(QStringLiteral("the start %1 is past the end of the clip (%2)")
                             .arg(start, lengthText)
                             .toStdString());
    if (endSeconds && *endSeconds > *length)
        end = lengthText;
    return {start, end};
}

} // namespace

RowPlan planRow(const SourceItem& item, const PlanContext& context, const QSet<QString>& taken,
                const QString& statisticsFile, PartialMode mode)
{
    if (context.extension.isEmpty())
        throw BuildError(context.entryNumber ? "the chosen entry is a category header, not a profile"
                                             : "no profile is chosen");
    if (!item.probeError.isEmpty())
        throw BuildError((kUnreadable + item.probeError).toStdString());

    RowPlan plan;
    plan.source = item.path();
    plan.addNew = context.addNew;
    plan.extension = context.extension;
    plan.taken = taken;
    plan.output = output::outputPathFor(item.path(), context.outputFolder, context.extension, context.addNew, taken);
    // Moved aside from its first name: placed without replacing, whatever the policy.
    plan.addNew = context.addNew || plan.output != context.outputFolder + u'/' +
                                                       output::baseNameOf(QFileInfo(item.path()).fileName()) +
                                                       context.extension;
    if (!output::nameFits(plan.output))
        throw BuildError(output::kOutputNameTooLong.toStdString());

    EncoderInputs in;
    in.sourcePath = item.path();
    in.entryNumber = context.entryNumber;
    in.sheet = context.sheet;
    in.threadSetting = context.threadSetting;
    in.programFolder = context.programFolder;
    in.statisticsFile = statisticsFile;
    in.startText = item.cells[SourceItem::Start];
    in.endText = item.cells[SourceItem::End];
    if (const auto form = formForEntry(context.entryNumber); form && !isAudioForm(form->form))
        std::tie(in.startText, in.endText) = clipTimesWithin(item);

    const output::RunIdentity self = output::RunIdentity::current();
    if (mode == PartialMode::Create) {
        const output::PartialFile partial = output::createPartial(plan.output, self);
        if (partial.path.isEmpty())
            throw BuildError(QStringLiteral("cannot create a file in %1: %2")
                                 .arg(context.outputFolder, partial.error)
                                 .toStdString());
        plan.partial = partial.path;
        plan.partialDevice = partial.device;
        plan.partialInode = partial.inode;
    } else {
        plan.partial = output::partialPathFor(plan.output, self, 0);
    }
    try {
        in.outputPath = plan.partial;
        plan.command = buildEncoderCommand(in);
        if (plan.command.clipped && plan.command.durationSeconds <= 0)
            throw BuildError(QStringLiteral("the clip from %1 to %2 lasts no time: there is nothing to convert")
                                 .arg(in.startText, in.endText)
                                 .toStdString());
    } catch (...) {
        if (mode == PartialMode::Create)
            QFile::remove(plan.partial);
        throw;
    }

    const EncoderCommand& c = plan.command;
    plan.expected.video = c.makesVideo && item.hasVideo;
    plan.expected.audio = c.makesAudio && item.hasAudio;
    if (c.clipped) {
        const double end = c.startSeconds + c.durationSeconds;
        plan.expected.clipSeconds =
            (item.lengthSeconds > 0 ? std::min(end, item.lengthSeconds) : end) - c.startSeconds;
    } else {
        const auto length = timeTextToSeconds(item.cells[SourceItem::VideoTime]);
        plan.expected.clipSeconds = item.lengthSeconds > 0 ? item.lengthSeconds : (length ? *length : 0);
    }
    return plan;
}

QString replacedPartial(const RowPlan& plan)
{
    if (plan.partialInode == 0 ||
        output::isSameFile({plan.partial, {}, plan.partialDevice, plan.partialInode}))
        return {};
    return QStringLiteral("the file being written was replaced by another file or a link: nothing is trusted of it");
}

QString encoderFailure(int exitCode, bool crashed)
{
    if (crashed)
        return QStringLiteral("the encoder stopped abnormally (signal %1)").arg(exitCode - 128);
    if (exitCode != 0)
        return QStringLiteral("the encoder ended with exit code %1").arg(exitCode);
    return {};
}

RowOutcome completeRow(const RowPlan& plan, int exitCode, bool crashed, const QString& encoderOutput,
                       const ProbedOutput& probed)
{
    // The encoder's word and its file both count; only then does the file
    // take its name.
    QString reason = encoderFailure(exitCode, crashed);
    if (reason.isEmpty())
        reason = replacedPartial(plan);
    if (reason.isEmpty())
        reason = judgeOutput(plan.expected, probed, encoderOutput);
    if (reason.isEmpty()) {
        const output::PlacedOutput placed =
            output::placeOutput(plan.partial, plan.output, plan.addNew, plan.extension, plan.taken);
        if (placed.error.isEmpty())
            return {true, {}, placed.path};
        reason = placed.error;
    }
    QFile::remove(plan.partial);
    const QString last = lastLinesOf(encoderOutput);
    return {false, last.isEmpty() ? reason : reason + u'\n' + last, {}};
}

} // namespace varnel
