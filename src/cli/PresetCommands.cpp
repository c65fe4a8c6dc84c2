// preset list|save|delete|rename|export|import: presets of one's own, kept in
// the data folder the window uses too.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/profiles/Catalogue.h"
#include "core/profiles/Presets.h"
#include "core/workspace/Workspace.h"

namespace varnel::cli {

namespace {

int failed(const QString& why)
{
    err() << "varnel-convert: " << why << '\n' << Qt::flush;
    return 1;
}

// The verb's arguments, exactly as many as it takes, none of them empty.
QStringList takes(const CliArgs& a, int count, const char* what)
{
    const QStringList given = a.plain.mid(1);
    if (given.size() != count || given.contains(QString()))
        throw UsageError(QStringLiteral("preset %1 takes %2").arg(a.plain.value(0), QLatin1String(what)).toStdString());
    return given;
}

} // namespace

int preset(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--choose", "--profile", "--preset", "--set"}, {"--replace"});
    const QString verb = a.plain.value(0);
    Session session;
    Workspace& ws = session.workspace;
    PresetStore& store = ws.presets();

    if (verb == QLatin1String("list")) {
        takes(a, 0, "nothing more");
        for (const Preset& p : store.all())
            out() << escaped(p.name) << '\t' << p.entry << '\t' << Catalogue::entry(p.entry)->text << '\n';
        return 0;
    }
    if (verb == QLatin1String("save")) {
        const QString name = takes(a, 1, "a NAME")[0];
        if (const auto bad = presetNameRefusal(name))
            throw UsageError(bad->toStdString());
        const int entry = buildSheet(ws, a);
        if (!entry)
            throw UsageError("preset save needs --choose, --profile or --preset");
        const Preset preset = presets::fromSheet(name, entry, ws.sheet());
        if (const auto refused = presets::refusal(preset))
            throw UsageError(refused->toStdString());
        const QString why = store.save(preset);
        return why.isEmpty() ? 0 : failed(why);
    }
    if (verb == QLatin1String("delete")) {
        const QString why = store.remove(takes(a, 1, "a NAME")[0]);
        return why.isEmpty() ? 0 : failed(why);
    }
    if (verb == QLatin1String("rename")) {
        const QStringList names = takes(a, 2, "OLD and NEW names");
        const QString why = store.rename(names[0], names[1]);
        return why.isEmpty() ? 0 : failed(why);
    }
    if (verb == QLatin1String("export")) {
        const QStringList given = takes(a, 2, "a NAME and a FILE");
        QString written;
        const QString why = store.exportTo(given[0], userPath(given[1]), &written);
        if (!why.isEmpty())
            return failed(why);
        out() << escaped(written) << '\n';
        return 0;
    }
    if (verb == QLatin1String("import")) {
        PresetStore::Imported report;
        const QString why = store.importFrom(userPath(takes(a, 1, "a FILE")[0]), a.has("--replace"), &report);
        if (!why.isEmpty() && !report.replaced.isEmpty() && !a.has("--replace"))
            return failed(why + QStringLiteral(" (--replace replaces them)"));
        if (!why.isEmpty())
            return failed(why);
        for (const QString& name : report.names)
            out() << escaped(name) << '\n';
        for (const QString& name : report.replaced)
            err() << "varnel-convert: replaced " << escaped(name) << '\n';
        for (const QString& skipped : report.leftOut)
            err() << "varnel-convert: left out " << skipped << '\n';
        err() << Qt::flush;
        return report.names.isEmpty() ? 1 : 0;
    }
    throw UsageError("preset takes list, save, delete, rename, export or import");
}

} // namespace varnel::cli
