#include "cli/CliArgs.h"

#include "core/convert/EncoderList.h"
#include <QEventLoop>

#include <QDir>
#include <QFileInfo>

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

QString userPath(const QString& path)
{
    QString expanded = path;
    if (path == u'~' || path.startsWith(QStringLiteral("~/")))
        expanded = QDir::homePath() + path.mid(1);
    return QDir::cleanPath(QFileInfo(expanded).absoluteFilePath());
}

int profileByText(const QString& text)
{
    std::vector<const CatalogueEntry*> whole, part;
    for (const CatalogueEntry& e : Catalogue::entries()) {
        if (e.text.compare(text, Qt::CaseInsensitive) == 0)
            whole.push_back(&e);
        else if (!e.isHeader && e.text.contains(text, Qt::CaseInsensitive))
            part.push_back(&e);
    }
    const auto& found = !whole.empty() ? whole : part;
    if (found.size() == 1)
        return found.front()->number;
    QStringList candidates;
    for (const CatalogueEntry* e : found)
        candidates << QStringLiteral("  %1  %2").arg(e->number).arg(e->text);
    throw UsageError((found.empty() ? QStringLiteral("no profile matches \"%1\"").arg(text)
                                    : QStringLiteral("\"%1\" matches %2 entries; say which with more of its text or with "
                                                     "--choose:\n%3")
                                          .arg(text)
                                          .arg(found.size())
                                          .arg(candidates.join(u'\n')))
                         .toStdString());
}

void refuseMissingEncoder(Workspace& workspace, int entry)
{
    if (encodersOfEntry(entry, &workspace.sheet()).isEmpty())
        return;
    EncoderList& encoders = workspace.encoders();
    if (!encoders.wasAsked()) {
        QEventLoop wait;
        QObject::connect(&encoders, &EncoderList::ready, &wait, &QEventLoop::quit);
        encoders.ask();
        if (!encoders.wasAsked())
            wait.exec();
    }
    if (const auto missing = encoders.missingFor(entry, &workspace.sheet()))
        throw UsageError(QStringLiteral("%1 cannot be made here: %2").arg(Catalogue::entry(entry)->text, *missing).toStdString());
}

int buildSheet(Workspace& workspace, const CliArgs& args)
{
    OptionSheet& sheet = workspace.sheet();
    int chosen = 0;
    // --choose and --profile in the order given.
    for (const auto& [name, value] : args.options) {
        if (name == QLatin1String("--preset")) {
            if (const auto refused = workspace.choosePreset(value))
                throw UsageError(refused->toStdString());
            chosen = workspace.entryNumber();
            continue;
        }
        if (name == QLatin1String("--profile")) {
            chosen = profileByText(value);
            workspace.chooseEntry(chosen);
            continue;
        }
        if (name != QLatin1String("--choose"))
            continue;
        bool ok = false;
        chosen = value.toInt(&ok);
        if (!ok || !Catalogue::entry(chosen))
            throw UsageError(QStringLiteral("--choose takes an entry number from 1 to %1, not %2")
                                 .arg(Catalogue::entries().size())
                                 .arg(value)
                                 .toStdString());
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
    refuseMissingEncoder(workspace, chosen);
    return chosen;
}

} // namespace varnel
