#include "cli/CliArgs.h"

#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSheet.h"
#include "core/workspace/Workspace.h"

namespace varnel {

CliArgs CliArgs::parse(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions)
{
    CliArgs out;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--")) {
            out.plain << args.mid(i + 1);
            break;
        }
        if (valueOptions.contains(a)) {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(a).toStdString());
            out.options.emplace_back(a, args[++i]);
        } else if (flagOptions.contains(a)) {
            out.flags << a;
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError(QStringLiteral("unknown option %1").arg(a).toStdString());
        } else {
            out.plain << a;
        }
    }
    return out;
}

QStringList CliArgs::all(const QString& name) const
{
    QStringList out;
    for (const auto& [k, v] : options)
        if (k == name)
            out << v;
    return out;
}

std::optional<QString> CliArgs::last(const QString& name) const
{
    const QStringList values = all(name);
    if (values.isEmpty())
        return std::nullopt;
    return values.last();
}

int buildSheet(Workspace& workspace, const CliArgs& args)
{
    OptionSheet& sheet = workspace.sheet();
    int chosen = 0;
    for (const QString& n : args.all(QStringLiteral("--choose"))) {
        bool ok = false;
        chosen = n.toInt(&ok);
        if (!ok || !Catalogue::entry(chosen))
            throw UsageError(QStringLiteral("--choose takes an entry number from 1 to 101, not %1").arg(n).toStdString());
        workspace.chooseEntry(chosen);
    }
    for (const QString& s : args.all(QStringLiteral("--set"))) {
        const int slash = s.indexOf(u'/');
        const int eq = s.indexOf(u'=', slash + 1);
        if (slash < 0 || eq < 0)
            throw UsageError(QStringLiteral("--set takes GROUP/ROW=VALUE, not %1").arg(s).toStdString());
        const QString group = s.left(slash), row = s.mid(slash + 1, eq - slash - 1);
        if (!sheet.hasRow(group, row))
            throw UsageError(QStringLiteral("the sheet has no row %1/%2").arg(group, row).toStdString());
        sheet.setValue(group, row, s.mid(eq + 1));
    }
    return chosen;
}

} // namespace varnel
