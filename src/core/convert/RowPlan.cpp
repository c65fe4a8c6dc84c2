#include "core/convert/RowPlan.h"

#include "core/convert/ConversionRun.h"
#include "core/sources/SourceList.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varnel {

RowPlan planRow(const SourceItem& item, const PlanContext& context, const QSet<QString>& taken,
                const QString& statisticsFile)
{
    if (context.extension.isEmpty())
        throw BuildError(context.entryNumber ? "the chosen entry is a category header, not a profile"
                                             : "no profile is chosen");
    RowPlan plan;
    plan.output = outputPathFor(item.path(), context.outputFolder, context.extension, context.addNew, taken);
    plan.partial = partialPathFor(plan.output);
    EncoderInputs in;
    in.sourcePath = item.path();
    in.startText = item.cells[SourceItem::Start];
    in.endText = item.cells[SourceItem::End];
    in.entryNumber = context.entryNumber;
    in.sheet = context.sheet;
    in.threadSetting = context.threadSetting;
    in.outputPath = plan.partial;
    in.programFolder = context.programFolder;
    in.statisticsFile = statisticsFile;
    plan.command = buildEncoderCommand(in);
    if (plan.command.durationSeconds <= 0)
        throw BuildError(QStringLiteral("the clip from %1 to %2 lasts no time: there is nothing to convert")
                             .arg(in.startText, in.endText).toStdString());
    return plan;
}

QString completeRow(const RowPlan& plan, int exitCode, bool crashed, const QString& lastLines)
{
    // The encoder's word and its file both count: a run that left nothing
    // behind, or said it failed, did not convert the row. Only then does
    // the file take its name, replacing an older one.
    const QFileInfo written(plan.partial);
    QString reason;
    if (crashed)
        reason = QStringLiteral("the encoder stopped abnormally");
    else if (exitCode != 0)
        reason = QStringLiteral("the encoder ended with exit code %1").arg(exitCode);
    else if (!written.isFile() || written.size() == 0)
        reason = QStringLiteral("the encoder wrote no output");
    else if (::rename(QFile::encodeName(plan.partial).constData(), QFile::encodeName(plan.output).constData()) != 0)
        reason = QStringLiteral("cannot rename %1 to %2: %3")
                     .arg(plan.partial, plan.output, QString::fromLocal8Bit(std::strerror(errno)));
    if (reason.isEmpty())
        return {};
    QFile::remove(plan.partial);
    return lastLines.isEmpty() ? reason : reason + u'\n' + lastLines;
}

} // namespace varnel
