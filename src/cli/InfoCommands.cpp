// profiles, probe, sheet and command: what the converter knows and would do.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"

#include "common/TimeText.h"
#include "convert/EncoderCommand.h"
#include "profiles/Catalogue.h"
#include "settings/Settings.h"
#include "sources/MediaProbe.h"
#include "sources/OptionSheet.h"
#include "sources/SourceList.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace varnel::cli {

int profiles(const QStringList& args)
{
    CliArgs::parse(args, {}, {});
    for (const CatalogueEntry& e : Catalogue::entries())
        out() << QStringList{QString::number(e.number), e.isHeader ? "header" : "profile", e.text, e.extension(),
                             e.isHeader ? QString::number(e.icon) : QString()}
                     .join(u'\t')
              << '\n';
    return 0;
}

// Adds the files to a list exactly as the window does and waits for the probes.
void probeInto(SourceList& list, const QStringList& files)
{
    MediaProbe probe(list, programFolder());
    for (const QString& f : files)
        probe.addSource(f);
    if (probe.isBusy()) {
        QEventLoop loop;
        QObject::connect(&probe, &MediaProbe::idle, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

int probe(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {}, {});
    if (a.plain.isEmpty())
        throw UsageError("probe needs at least one file");
    SourceList list;
    probeInto(list, a.plain);
    for (int row = 0; row < list.count(); ++row) {
        const SourceItem& it = list.item(row);
        out() << QStringList{it.path(), it.cells[SourceItem::Start], it.cells[SourceItem::End],
                             it.cells[SourceItem::Size], it.cells[SourceItem::Format], it.cells[SourceItem::VideoTime]}
                     .join(u'\t')
              << '\n';
    }
    return 0;
}

int sheet(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--choose", "--set"}, {});
    OptionSheet s;
    buildSheet(s, a);
    for (const OptionGroup& g : s.groups())
        for (const OptionRow& r : g.rows)
            out() << QStringList{g.name, r.name, r.kind == OptionRow::Kind::Choice ? "choice" : "text", r.value,
                                 r.choices.join(u'|')}
                         .join(u'\t')
                  << '\n';
    return 0;
}

int command(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(
        args, {"--choose", "--set", "--source", "--start", "--end", "--output", "--threads", "--program-folder"},
        {"--argv"});
    OptionSheet s;
    EncoderInputs in;
    in.entryNumber = buildSheet(s, a);
    if (!in.entryNumber)
        throw UsageError("command needs --choose");
    for (const char* required : {"--source", "--end", "--output"})
        if (!a.last(QLatin1String(required)))
            throw UsageError(QStringLiteral("command needs %1").arg(QLatin1String(required)).toStdString());
    const QString folder = a.last("--program-folder").value_or(programFolder());
    in.sourcePath = *a.last("--source");
    in.startText = a.last("--start").value_or(QStringLiteral("0:00:00"));
    in.endText = *a.last("--end");
    in.outputPath = *a.last("--output");
    in.programFolder = folder;
    in.threadSetting = a.last("--threads").value_or(Settings(folder).read(SettingKey::Thread));
    in.sheet = &s;
    const Command c = buildEncoderCommand(in).command;
    if (a.has("--argv"))
        for (const QString& arg : c.argv())
            out() << arg << '\n';
    else
        out() << c.text() << '\n';
    return 0;
}

} // namespace varnel::cli
