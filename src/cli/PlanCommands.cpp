// plan and run-plan: a batch worked out here and converted anywhere the same
// install is, one JSON line a file, by a scheduler such as GNU Parallel.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/TextNumbers.h"
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
            const RowPlan p = planRow(item, context, taken, stats);
            taken.insert(p.output);
            jsonLine({{"source", item.path()}, {"output", p.output}, {"partial", p.partial},
                      {"statistics", stats}, {"argv", QJsonArray::fromStringList(p.command.command.argv())}});
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
    plan.output = o.value("output").toString();
    plan.partial = o.value("partial").toString();
    QStringList argv;
    for (const QJsonValue& v : o.value("argv").toArray())
        argv << v.toString();
    if (plan.output.isEmpty() || plan.partial.isEmpty() || argv.isEmpty())
        throw UsageError("run-plan takes one line that plan printed");
    QDir().mkpath(QFileInfo(plan.output).path());
    QFile::remove(plan.partial);

    ToolRegistry tools;
    Command command;
    for (const QString& arg : argv)
        command.quoted(arg).literal(QStringLiteral(" "));
    int exitCode = -1;
    bool crashed = true;
    QString lastLines;
    QEventLoop wait;
    QObject::connect(&tools, &ToolRegistry::toolFinished, &wait, [&](qint64, int code, bool crash, const QString& last) {
        exitCode = code;
        crashed = crash;
        lastLines = last;
        wait.quit();
    });
    if (tools.start(command, QFileInfo(argv.first()).path()) == 0) {
        err() << "cannot start " << argv.first() << '\n';
        return 1;
    }
    wait.exec();
    QFile::remove(o.value("statistics").toString());
    const QString reason = completeRow(plan, exitCode, crashed, lastLines);
    const QString status = reason.isEmpty() ? QStringLiteral("OK") : QStringLiteral("Fail");
    out() << QStringList{o.value("source").toString(), status, plan.output}.join(u'\t') << '\n';
    for (const QString& l : reason.split(u'\n', Qt::SkipEmptyParts))
        err() << "    " << l << '\n';
    return reason.isEmpty() ? 0 : 1;
}

} // namespace varnel::cli
