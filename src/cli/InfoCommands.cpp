// profiles, probe, sheet and command: what the converter knows and would do.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/TimeText.h"
#include "core/convert/EncoderCommand.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/Settings.h"
#include "core/profiles/OptionSheet.h"
#include "core/sources/MediaProbe.h"
#include "core/sources/SourceList.h"

#include <QCoreApplication>

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

int probe(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {}, {"--json"});
    if (a.plain.isEmpty())
        throw UsageError("probe needs at least one file");
    Session session;
    bool playerMissing = false;
    QObject::connect(&session.workspace.probe(), &MediaProbe::playerUnavailable, [&] { playerMissing = true; });
    probeInto(session.workspace, a.plain);
    if (playerMissing) // the workspace has said why; blank rows would only mislead
        return 1;
    const SourceList& list = session.workspace.list();
    for (int row = 0; row < list.count(); ++row) {
        const SourceItem& it = list.item(row);
        // Its cells stay empty: say why, a file that names other files included.
        if (it.mediaRead && !it.media.readable)
            err() << escaped(it.path()) << ": " << escaped(it.media.error) << '\n';
        if (a.has("--json")) {
            jsonLine({{"path", it.path()}, {"start", it.cells[SourceItem::Start]}, {"end", it.cells[SourceItem::End]},
                      {"size", it.cells[SourceItem::Size]}, {"format", it.cells[SourceItem::Format]},
                      {"videoTime", it.cells[SourceItem::VideoTime]}});
            continue;
        }
        QStringList fields{it.path(), it.cells[SourceItem::Start], it.cells[SourceItem::End],
                           it.cells[SourceItem::Size], it.cells[SourceItem::Format], it.cells[SourceItem::VideoTime]};
        for (QString& field : fields) // the file's name, and what a player read in the file
            field = escaped(field);
        out() << fields
                     .join(u'\t')
              << '\n';
    }
    return 0;
}

int sheet(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--choose", "--profile", "--preset", "--set"}, {});
    Session session;
    buildSheet(session.workspace, a);
    for (const OptionGroup& g : session.workspace.sheet().groups())
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
        args, {"--choose", "--profile", "--preset", "--set", "--source", "--start", "--end", "--output", "--threads", "--program-folder"},
        {"--argv"});
    Session session;
    EncoderInputs in;
    in.entryNumber = buildSheet(session.workspace, a);
    if (!in.entryNumber)
        throw UsageError("command needs --choose or --profile");
    for (const char* required : {"--source", "--end", "--output"})
        if (!a.last(QLatin1String(required)))
            throw UsageError(QStringLiteral("command needs %1").arg(QLatin1String(required)).toStdString());
    // A folder given is used as given, for the encoder and its statistics.
    const auto given = a.last("--program-folder");
    const QString folder = given.value_or(programFolder());
    const QString dataFolder = given ? *given : session.workspace.dataFolder();
    in.sourcePath = *a.last("--source");
    in.startText = a.last("--start").value_or(QStringLiteral("0:00:00"));
    in.endText = *a.last("--end");
    in.outputPath = *a.last("--output");
    in.programFolder = folder;
    in.dataFolder = dataFolder;
    in.threadSetting = a.last("--threads").value_or(Settings(dataFolder).read(SettingKey::Thread));
    in.sheet = &session.workspace.sheet();
    const Command c = buildEncoderCommand(in).command;
    if (a.has("--argv"))
        for (const QString& arg : c.argv())
            out() << arg << '\n';
    else
        out() << c.text() << '\n';
    return 0;
}

} // namespace varnel::cli
