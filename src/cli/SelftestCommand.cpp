// selftest: a one-second clip made with ffmpeg's own test sources, converted
// through every profile (or one) on the encoder installed here.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/UserMessages.h"
#include "core/convert/ConversionRun.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/Settings.h"
#include "core/tools/ToolRegistry.h"

#include <QEventLoop>
#include <QTemporaryDir>

namespace varnel::cli {

namespace {

// The runs' own messages ("Conversion completed!") would only repeat the
// lines printed here.
struct QuietMessages : UserMessages {
    void information(const QString&) override {}
    void error(const QString&) override {}
};

} // namespace

int selftest(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--choose", "--profile"}, {});
    QTemporaryDir work;
    const QString clip = work.filePath("selftest.mp4");
    const QString ffmpeg = qEnvironmentVariable("VARNEL_FFMPEG", QStringLiteral("ffmpeg"));
    // A workspace with a data folder of its own: no stored setting (say,
    // shutting down when done) applies to a self-test.
    TerminalShell shell;
    QuietMessages messages;
    Workspace ws(programFolder(), shell, messages, nullptr, work.path());
    ToolStart make;
    make.command.quoted(ffmpeg).literal(QStringLiteral(
        " -nostdin -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=1 -f lavfi -i "
        "sine=frequency=440:duration=1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest "));
    make.command.path(clip);
    Process* maker = ws.tools().run(make);
    QEventLoop wait;
    QObject::connect(maker, &Process::finished, &wait, &QEventLoop::quit);
    wait.exec();
    if (maker->exitCode() != 0 || maker->crashed()) {
        err() << "cannot make the test clip with " << ffmpeg << ": " << maker->output().trimmed() << '\n';
        return 1;
    }

    const int chosen = buildSheet(ws, a);
    probeInto(ws, {clip});
    ConversionRun& run = ws.run();
    RunOptions options;
    options.outputFolder = work.filePath("out");
    options.existedFile = QStringLiteral("1");
    run.setOptions(options);

    bool allOk = true;
    for (const CatalogueEntry& e : Catalogue::entries()) {
        if (e.isHeader || (chosen && e.number != chosen))
            continue;
        ws.chooseEntry(e.number);
        QEventLoop running;
        QObject::connect(&run, &ConversionRun::finished, &running, &QEventLoop::quit);
        if (run.start())
            running.exec();
        const SourceItem& row = ws.list().item(0);
        const bool ok = row.cells[SourceItem::Status] == RunText::Ok;
        allOk = allOk && ok;
        out() << e.number << '\t' << e.text << '\t' << (ok ? RunText::Ok : RunText::Fail) << '\t'
              << QString(row.statusReason).replace(u'\n', QLatin1String("; ")) << '\n'
              << Qt::flush;
    }
    return allOk ? 0 : 1;
}

} // namespace varnel::cli
