#include "core/convert/PlanLine.h"

#include "core/convert/OutputFiles.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonValue>
#include <QRegularExpression>

#include <sys/stat.h>

namespace varnel {

namespace {

// Absolute and already clean: no "..", "." or doubled "/" to hide a folder.
bool cleanAbsolute(const QString& path)
{
    return !path.isEmpty() && QDir::isAbsolutePath(path) && QDir::cleanPath(path) == path;
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).path();
}

// The same file, also when reached by another name.
bool sameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return a == b || (::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
                      ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
                      sa.st_ino == sb.st_ino);
}

} // namespace

QString readPlanLine(const QJsonObject& o, PlanLine& d)
{
    QString missing;
    auto text = [&](const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isString() && missing.isEmpty())
            missing = QStringLiteral("the line has no text \"%1\"").arg(QLatin1String(key));
        return v.toString();
    };
    d.source = text("source");
    d.output = text("output");
    d.partial = text("partial");
    d.statistics = text("statistics");
    d.outputFolder = text("outputFolder");
    d.start = text("start");
    d.end = text("end");
    d.threads = text("threads");
    const QString existing = text("existing");
    if (!missing.isEmpty())
        return missing;
    if (existing != QLatin1String("new") && existing != QLatin1String("overwrite"))
        return QStringLiteral("\"existing\" is new or overwrite, not %1").arg(existing);
    d.addNew = existing == QLatin1String("new");

    const double entry = o.value("entry").toDouble(-1);
    const CatalogueEntry* e =
        entry >= 1 && entry <= 100000 && entry == int(entry) ? Catalogue::entry(int(entry)) : nullptr;
    if (!e || e->isHeader)
        return QStringLiteral("\"entry\" is not the number of a profile");
    d.entry = e->number;

    if (!o.value("options").isObject() || !o.value("argv").isArray())
        return QStringLiteral("the line has no \"options\" or no \"argv\"");
    d.options = o.value("options").toObject();
    for (const QJsonValue& v : o.value("argv").toArray()) {
        if (!v.isString())
            return QStringLiteral("\"argv\" holds something other than text");
        d.argv << v.toString();
    }

    for (const QString* p : {&d.source, &d.output, &d.partial, &d.statistics, &d.outputFolder})
        if (!cleanAbsolute(*p))
            return QStringLiteral("%1 is not a clean absolute path").arg(*p);
    const QString folder = folderOf(d.output);
    if (folder != d.outputFolder)
        return QStringLiteral("the output %1 is not in the output folder %2").arg(d.output, d.outputFolder);
    // baseNameOf(source) + "_New"... + extension, as plan names it.
    const QString sourceName = QFileInfo(d.source).fileName(), base = output::baseNameOf(sourceName);
    const QString extension = e->extension(), name = QFileInfo(d.output).fileName();
    const QString chain = name.mid(base.size(), name.size() - base.size() - extension.size());
    if (sourceName.isEmpty() || !name.startsWith(base) || !name.endsWith(extension) || name.size() < base.size() + extension.size() ||
        chain != QStringLiteral("_New").repeated(chain.size() / 4))
        return QStringLiteral("%1 is not an output name for %2").arg(name, sourceName);
    if (sameFile(d.output, d.source))
        return QStringLiteral("the output %1 is its source").arg(d.output);
    const QString partials = folderOf(d.partial);
    if (folderOf(partials) != folder || output::partialFolderOwner(QFileInfo(partials).fileName()).pid == 0)
        return QStringLiteral("%1 is not a partial file in a private folder beside the output").arg(d.partial);
    const QRegularExpression statsName(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.%1\\.[1-9][0-9]*\\.stats").arg(QRegularExpression::escape(sourceName))));
    if (folderOf(d.statistics) != folder || !statsName.match(QFileInfo(d.statistics).fileName()).hasMatch())
        return QStringLiteral("%1 is not a statistics file beside the output").arg(d.statistics);
    return {};
}

QString applyPlanOptions(const PlanLine& d, OptionSheet& sheet)
{
    OptionSets::apply(sheet, d.entry);
    for (auto it = d.options.begin(); it != d.options.end(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString group = it.key().left(slash), row = it.key().mid(slash + 1);
        if (slash < 0 || !sheet.hasRow(group, row))
            return QStringLiteral("the sheet has no row %1").arg(it.key());
        if (!it.value().isString())
            return QStringLiteral("the value of %1 is not text").arg(it.key());
        sheet.setValue(group, row, it.value().toString());
    }
    return {};
}

} // namespace varnel
