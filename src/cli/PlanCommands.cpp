// plan and run-plan: a batch worked out here and converted anywhere the same
// install is, one JSON line a file, by a scheduler such as GNU Parallel.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/TextNumbers.h"
#include "core/common/Interrupts.h"
#include "core/common/TimeText.h"
#include "core/convert/ConversionRun.h"
#include "core/convert/OutputCheck.h"
#include "core/convert/OutputFiles.h"
#include "core/convert/EncoderForms.h"
#include "core/convert/PartialFolder.h"
#include "core/convert/PlanLine.h"
#include "core/media/MediaFacts.h"
#include "core/convert/RowJob.h"
#include "core/convert/RowPlan.h"
#include "core/preview/ClipTimes.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSheet.h"
#include "core/settings/Settings.h"
#include "core/tools/ToolRegistry.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <sys/stat.h>

namespace varnel::cli {

int plan(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(
        args, {"--choose", "--profile", "--preset", "--set", "--start", "--end", "--output-folder", "--existing", "--threads"}, {});
    Session session;
    Workspace& ws = session.workspace;
    const int entry = buildSheet(ws, a);
    if (!entry || !a.last("--output-folder") || a.last("--output-folder")->trimmed().isEmpty() || a.plain.isEmpty())
        throw UsageError("plan needs --choose or --profile, --output-folder and at least one file");
    const QString folder = userPath(*a.last("--output-folder"));
    QStringList files;
    for (const QString& f : a.plain)
        files << QFileInfo(f).absoluteFilePath();
    probeInto(ws, files);
    SourceList& list = ws.list();
    const auto start = a.last("--start"), end = a.last("--end");
    if (end && !clipTimesInOrder(start.value_or(QStringLiteral("0:00:00")), *end)) {
        err() << kClipTimeError() << '\n';
        return 2;
    }
    for (int r = 0; r < list.count(); ++r)
        if (start || end)
            ws.list().setClip(r, start.value_or(list.cell(r, SourceItem::Start)), end.value_or(QString()));

    const Settings settings = ws.settings();
    if (const auto given = a.last("--existing"); given && *given != QLatin1String("new") && *given != QLatin1String("overwrite"))
        throw UsageError("--existing takes new or overwrite");
    const QString existing = a.last("--existing").value_or(
        addsNewName(settings.read(SettingKey::ExistedFile)) ? QStringLiteral("new") : QStringLiteral("overwrite"));
    PlanContext context;
    context.outputFolder = folder;
    context.extension = Catalogue::entry(entry)->extension();
    context.addNew = existing == QLatin1String("new");
    context.entryNumber = entry;
    context.sheet = &ws.sheet();
    context.threadSetting = a.last("--threads").value_or(settings.read(SettingKey::Thread));
    context.programFolder = ws.programFolder();

    // Every row of the sheet: run-plan rebuilds the command from these.
    QJsonObject options;
    for (const OptionGroup& g : ws.sheet().groups())
        for (const OptionRow& row : g.rows)
            options.insert(g.name + u'/' + row.name, row.value);

    // The same rules as a run: no source and no earlier output is written over.
    output::TakenFiles taken;
    for (int r = 0; r < list.count(); ++r)
        taken.add(list.item(r).path());
    bool allPlanned = true;
    const auto form = formForEntry(entry);
    for (int r = 0; r < list.count(); ++r) {
        // A clip's source is measured to its packets, as a run measures it.
        if (form && !isAudioForm(form->form) && rowIsClipped(list.item(r)) && list.item(r).media.readable)
            list.setMedia(r, readMedia(list.item(r).path(), MediaDepth::Lengths));
        const SourceItem& item = list.item(r);
        try {
            const QString stats = folder + QStringLiteral("/.") + QFileInfo(item.path()).fileName() +
                                  QStringLiteral(".%1.stats").arg(r + 1);
            const RowPlan p = planRow(item, context, taken, stats);
            taken.add(p.output);
            // The clip times the command was built from; no end when the
            // clip runs to the end of the source. The cells' own where they
            // do not apply.
            const EncoderCommand& c = p.command;
            const QString usedStart = c.clipped ? secondsToTimeText(c.startSeconds) : item.cells[SourceItem::Start];
            const QString usedEnd = !c.clipped    ? item.cells[SourceItem::End]
                                    : c.toTheEnd ? QString()
                                                 : secondsToTimeText(c.startSeconds + c.durationSeconds);
            jsonLine({{"source", item.path()}, {"output", p.output}, {"partial", p.partial.path},
                      {"statistics", stats}, {"existing", existing},
                      {"argv", QJsonArray::fromStringList(c.command.argv())},
                      {"entry", entry}, {"options", options}, {"start", usedStart}, {"end", usedEnd},
                      {"outputFolder", folder}, {"threads", context.threadSetting}});
        } catch (const BuildError& e) {
            allPlanned = false;
            err() << escaped(item.path()) << ": " << escaped(QString::fromUtf8(e.what())) << '\n';
        }
    }
    return allPlanned ? 0 : 1;
}

namespace {

constexpr qint64 kLongestLine = 1 << 20;

EncoderInputs inputsOf(const PlanLine& d, Workspace& ws, const MediaFacts& source)
{
    EncoderInputs in;
    in.sourcePath = d.source;
    in.startText = d.start;
    in.endText = d.end;
    in.toTheEnd = d.end.isEmpty();
    in.coverOnly = source.onlyCoverPicture();
    in.entryNumber = d.entry;
    in.sheet = &ws.sheet();
    in.threadSetting = d.threads;
    in.programFolder = ws.programFolder();
    in.outputPath = d.partial;
    in.statisticsFile = d.statistics;
    return in;
}

// The line as given, or from standard input as parallel --pipe hands it;
// never more than kLongestLine bytes are read.
QByteArray planLineOf(const CliArgs& a)
{
    QByteArray line;
    if (a.plain.isEmpty()) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly)) {
            // A pipe hands over what it has; read on to the end or past the limit.
            while (line.size() <= kLongestLine) {
                const QByteArray more = in.read(kLongestLine + 1 - line.size());
                if (more.isEmpty())
                    break;
                line += more;
            }
        }
    } else {
        line = a.plain.first().toUtf8();
    }
    if (line.size() > kLongestLine)
        throw UsageError("run-plan takes a line of at most 1 MiB");
    return line;
}

} // namespace

int runPlan(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--output-folder", "--existing"}, {});
    // The runner, never the line, says where files may go and whether one
    // may be replaced.
    const auto folderGiven = a.last("--output-folder");
    if (!folderGiven || folderGiven->trimmed().isEmpty())
        throw UsageError("run-plan needs --output-folder: the folder the lines must write into");
    const QString existing = a.last("--existing").value_or(QStringLiteral("new"));
    if (existing != QLatin1String("new") && existing != QLatin1String("overwrite"))
        throw UsageError("--existing takes new or overwrite");
    const QString folder = QDir::cleanPath(QFileInfo(userPath(*folderGiven)).absoluteFilePath());
    const QJsonDocument document = QJsonDocument::fromJson(planLineOf(a).trimmed());
    if (!document.isObject())
        throw UsageError("run-plan takes one line that plan printed");
    const QJsonObject o = document.object();

    // A line is data: the command is this install's own, built from the
    // declared fields, and must be the one the line shows.
    Session session;
    Workspace& ws = session.workspace;
    PlanLine d;
    QString refusal = readPlanLine(o, d);
    if (refusal.isEmpty() && d.outputFolder != folder)
        refusal = QStringLiteral("the line writes into %1, not into %2").arg(d.outputFolder, folder);
    if (refusal.isEmpty())
        refusal = applyPlanOptions(d, ws.sheet());
    if (!refusal.isEmpty()) {
        err() << "run-plan: " << escaped(refusal) << '\n';
        return 2;
    }
    // What the source holds, and so what a whole output holds, comes from
    // the source itself, never from the line's word for it.
    const MediaFacts source = readMedia(d.source, MediaDepth::Streams);
    if (!source.readable) {
        out() << escaped(d.source) << "\tFail\t\n";
        err() << "    could not read this file as media: " << escaped(source.error) << '\n';
        return 1;
    }
    try {
        refuseWhatTheEntryCannotMake(source, d.entry);
    } catch (const BuildError& e) {
        out() << escaped(d.source) << "\tFail\t\n";
        err() << "    " << escaped(QString::fromUtf8(e.what())) << '\n';
        return 1;
    }
    EncoderInputs in = inputsOf(d, ws, source);
    try {
        if (buildEncoderCommand(in).command.argv() != d.argv)
            refusal = QStringLiteral("the line's command is not what its fields give");
    } catch (const BuildError& e) {
        refusal = QStringLiteral("the line's fields give no command: %1").arg(QString::fromUtf8(e.what()));
    }
    if (!refusal.isEmpty()) {
        err() << "run-plan: " << escaped(refusal) << '\n';
        return 2;
    }
    if (!QFileInfo(folder).isDir()) {
        out() << escaped(d.source) << "\tFail\t\n";
        err() << "    the output folder " << escaped(folder) << " does not exist\n";
        return 1;
    }

    RowPlan plan;
    plan.source = d.source;
    plan.sourceFormat = source.container;
    plan.output = d.output;
    plan.addNew = existing == QLatin1String("new");
    plan.extension = Catalogue::entry(d.entry)->extension();
    plan.taken = {plan.source};

    Interrupts interrupts;
    output::removeStalePartials(folder, output::RunIdentity::current());
    // The encoder writes to a partial and a statistics file of this run's
    // own, in its private folder, never to files the line names.
    QString why;
    plan.partials = output::PartialFolder::create(folder, output::RunIdentity::current(), &why);
    if (plan.partials)
        plan.partial = plan.partials->createPartial(plan.output);
    if (!plan.partials || plan.partial.path.isEmpty()) {
        err() << "cannot create a file in " << folder << ": " << (plan.partials ? plan.partial.error : why) << '\n';
        return 1;
    }
    in.outputPath = plan.partial.path;
    in.statisticsFile = plan.partials->path() + QStringLiteral("/statistics.log");
    plan.command = buildEncoderCommand(in); // built once already: only its paths differ
    plan.expected = expectationOf(plan.command, in.coverOnly);

    ToolRegistry tools;
    RowOutcome outcome;
    QEventLoop wait;
    auto* job = new RowJob(tools, plan, ws.programFolder());
    QObject::connect(job, &RowJob::finished, &wait, [&](const RowOutcome& o) {
        outcome = o;
        wait.quit();
    });
    QObject::connect(job, &QObject::destroyed, &wait, &QEventLoop::quit);
    QObject::connect(&interrupts, &Interrupts::interrupted, job, [job] { job->cancel(10000); });
    if (!job->start()) {
        delete job;
        err() << "cannot start " << plan.command.command.argv().value(0) << '\n';
        return 1;
    }
    wait.exec();
    if (interrupts.received()) {
        err() << RunText::Canceled() << '\n';
        return 3;
    }
    delete job;
    const QString status = outcome.ok ? RunText::Ok : RunText::Fail;
    out() << QStringList{escaped(plan.source), status, escaped(outcome.output)}.join(u'\t') << '\n';
    for (const QString& l : outcome.reason.split(u'\n', Qt::SkipEmptyParts))
        err() << "    " << escaped(l) << '\n';
    return outcome.ok ? 0 : 1;
}

} // namespace varnel::cli
