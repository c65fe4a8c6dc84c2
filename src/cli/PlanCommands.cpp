// plan and run-plan: a batch worked out here and converted anywhere the same
// install is, one JSON line a file, by a scheduler such as GNU Parallel.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/TextNumbers.h"
#include "core/common/Interrupts.h"
#include "core/convert/ConversionRun.h"
#include "core/convert/OutputFiles.h"
#include "core/convert/RowJob.h"
#include "core/convert/RowPlan.h"
#include "core/preview/ClipTimes.h"
#include "core/profiles/Catalogue.h"
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

namespace varnel::cli {

int plan(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(
        args, {"--choose", "--profile", "--set", "--start", "--end", "--output-folder", "--existing", "--threads"}, {});
    Session session;
    Workspace& ws = session.workspace;
    const int entry = buildSheet(ws, a);
    if (!entry || !a.last("--output-folder") || a.plain.isEmpty())
        throw UsageError("plan needs --choose or --profile, --output-folder and at least one file");
    const QString folder = QFileInfo(*a.last("--output-folder")).absoluteFilePath();
    QStringList files;
    for (const QString& f : a.plain)
        files << QFileInfo(f).absoluteFilePath();
    probeInto(ws, files);
    SourceList& list = ws.list();
    const auto start = a.last("--start"), end = a.last("--end");
    for (int r = 0; r < list.count(); ++r) {
        const QString s = start.value_or(list.cell(r, SourceItem::Start)), e = end.value_or(list.cell(r, SourceItem::End));
        if ((start || end) && !clipTimesInOrder(s, e)) {
            err() << kClipTimeError << '\n';
            return 2;
        }
        ws.endClipEditing(r, s, e);
    }

    const Settings settings = ws.settings();
    if (const auto given = a.last("--existing"); given && *given != QLatin1String("new") && *given != QLatin1String("overwrite"))
        throw UsageError("--existing takes new or overwrite");
    const QString existing = a.last("--existing").value_or(
        isNumberEqual(settings.read(SettingKey::ExistedFile), 0) ? QStringLiteral("new") : QStringLiteral("overwrite"));
    PlanContext context;
    context.outputFolder = folder;
    context.extension = extensionOfText(Catalogue::entry(entry)->text);
    context.addNew = existing == QLatin1String("new");
    context.entryNumber = entry;
    context.sheet = &ws.sheet();
    context.threadSetting = a.last("--threads").value_or(settings.read(SettingKey::Thread));
    context.programFolder = ws.programFolder();

    // The same rules as a run: no source and no earlier output is written over.
    QSet<QString> taken;
    for (int r = 0; r < list.count(); ++r)
        taken.insert(list.item(r).path());
    bool allPlanned = true;
    for (int r = 0; r < list.count(); ++r) {
        const SourceItem& item = list.item(r);
        try {
            const QString stats = folder + QStringLiteral("/.") + QFileInfo(item.path()).fileName() +
                                  QStringLiteral(".%1.stats").arg(r + 1);
            const RowPlan p = planRow(item, context, taken, stats, PartialMode::NameOnly);
            taken.insert(p.output);
            jsonLine({{"source", item.path()}, {"output", p.output}, {"partial", p.partial},
                      {"statistics", stats}, {"existing", existing},
                      {"expect", QJsonObject{{"video", p.expected.video}, {"audio", p.expected.audio},
                                             {"seconds", p.expected.clipSeconds}}},
                      {"argv", QJsonArray::fromStringList(p.command.command.argv())}});
        } catch (const BuildError& e) {
            allPlanned = false;
            err() << item.path() << ": " << e.what() << '\n';
        }
    }
    return allPlanned ? 0 : 1;
}

int runPlan(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {}, {});
    QByteArray line;
    if (a.plain.isEmpty()) { // from standard input, as parallel --pipe hands it
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            line = in.readAll();
    } else {
        line = a.plain.first().toUtf8();
    }
    const QJsonObject o = QJsonDocument::fromJson(line.trimmed()).object();
    RowPlan plan;
    plan.source = o.value("source").toString();
    plan.output = o.value("output").toString();
    const QString planned = o.value("partial").toString();
    const QString existing = o.value("existing").toString(QStringLiteral("new"));
    QStringList argv;
    for (const QJsonValue& v : o.value("argv").toArray())
        argv << v.toString();
    if (plan.output.isEmpty() || planned.isEmpty() || argv.isEmpty() || !argv.contains(planned) ||
        (existing != QLatin1String("new") && existing != QLatin1String("overwrite")))
        throw UsageError("run-plan takes one line that plan printed");
    plan.addNew = existing == QLatin1String("new");
    const QString name = QFileInfo(plan.output).fileName();
    plan.extension = name.mid(name.lastIndexOf(u'.'));
    plan.taken = {plan.source};
    const QJsonObject expect = o.value("expect").toObject();
    plan.expected.video = expect.value("video").toBool();
    plan.expected.audio = expect.value("audio").toBool();
    plan.expected.clipSeconds = expect.value("seconds").toDouble();
    const QString folder = QFileInfo(plan.output).path();
    QDir().mkpath(folder);
    output::removeStalePartials(folder, output::RunIdentity::current());
    // The encoder writes to a partial of this run's own, never to a file the
    // line names.
    const output::PartialFile partial = output::createPartial(plan.output, output::RunIdentity::current());
    if (partial.path.isEmpty()) {
        err() << "cannot create a file in " << folder << ": " << partial.error << '\n';
        return 1;
    }
    plan.partial = partial.path;
    argv.replaceInStrings(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(planned) + u'$'),
                          plan.partial);
    for (const QString& arg : argv)
        plan.command.command.quoted(arg).literal(QStringLiteral(" "));

    ToolRegistry tools;
    Interrupts interrupts;
    RowOutcome outcome;
    QEventLoop wait;
    auto* job = new RowJob(tools, plan, QFileInfo(argv.first()).path());
    QObject::connect(job, &RowJob::finished, &wait, [&](const RowOutcome& o) {
        outcome = o;
        wait.quit();
    });
    QObject::connect(job, &QObject::destroyed, &wait, &QEventLoop::quit);
    QObject::connect(&interrupts, &Interrupts::interrupted, job, [job] { job->cancel(10000); });
    if (!job->start()) {
        delete job;
        err() << "cannot start " << argv.first() << '\n';
        return 1;
    }
    wait.exec();
    QFile::remove(o.value("statistics").toString());
    if (interrupts.received()) {
        err() << RunText::Canceled << '\n';
        return 3;
    }
    delete job;
    const QString status = outcome.ok ? RunText::Ok : RunText::Fail;
    out() << QStringList{plan.source, status, outcome.ok ? outcome.output : plan.output}.join(u'\t') << '\n';
    for (const QString& l : outcome.reason.split(u'\n', Qt::SkipEmptyParts))
        err() << "    " << l << '\n';
    return outcome.ok ? 0 : 1;
}

} // namespace varnel::cli
