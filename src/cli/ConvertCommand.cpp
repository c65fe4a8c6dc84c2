// convert: the same run as "Convert Now!", driven from a terminal.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"

#include "app/ShellServices.h"
#include "app/UserMessages.h"
#include "convert/ConversionRun.h"
#include "profiles/Catalogue.h"
#include "settings/Settings.h"
#include "sources/OptionSheet.h"
#include "sources/SourceList.h"
#include "tools/ToolRegistry.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace varnel::cli {

void probeInto(SourceList& list, const QStringList& files);

namespace {

class TerminalMessages : public UserMessages {
public:
    void information(const QString& text) override { err() << text << '\n' << Qt::flush; }
    void error(const QString& text) override { err() << "error: " << text << '\n' << Qt::flush; }
};

// A script gets its results printed; it is not shown a folder. The shutdown
// the settings ask for still happens.
class TerminalShell : public ShellServices {
public:
    void openLink(const QString&) override {}
    void openHelp(const QString&) override {}
    void openFolder(const QString&) override {}
    void shutdown() override { requestPowerOff(); }
};

// Ctrl+C reaches the event loop through a pipe, where it acts as Cancel.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_interruptPipe[1], &byte, 1);
}

} // namespace

int convert(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--choose", "--set", "--output-folder", "--existing", "--threads"}, {});
    OptionSheet sheet;
    const int entry = buildSheet(sheet, a);
    if (!entry)
        throw UsageError("convert needs --choose");
    if (a.plain.isEmpty())
        throw UsageError("convert needs at least one file");

    RunEnvironment env;
    if (const auto existing = a.last("--existing")) {
        if (*existing != QLatin1String("new") && *existing != QLatin1String("overwrite"))
            throw UsageError("--existing takes new or overwrite");
        env.existedFile = *existing == QLatin1String("new") ? QStringLiteral("0") : QStringLiteral("1");
    }
    env.outputFolder = a.last("--output-folder");
    env.thread = a.last("--threads");

    if (::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    std::signal(SIGINT, onInterrupt);
    bool interrupted = false;
    QSocketNotifier interrupt(g_interruptPipe[0], QSocketNotifier::Read);

    ToolRegistry tools;
    TerminalMessages messages;
    TerminalShell shell;
    SourceList list;
    env.list = &list;
    env.sheet = &sheet;
    env.tools = &tools;
    env.shell = &shell;
    env.messages = &messages;
    env.programFolder = programFolder();
    env.entryNumber = [entry] { return entry; };
    env.entryText = [entry] { return Catalogue::entry(entry)->text; };
    ConversionRun run(env);
    QObject::connect(&interrupt, &QSocketNotifier::activated, &run, [&] {
        char drain[16];
        while (::read(g_interruptPipe[0], drain, sizeof drain) > 0) {
        }
        interrupted = true;
        run.cancel();
    });

    QStringList files;
    for (const QString& f : a.plain)
        files << QFileInfo(f).absoluteFilePath();
    probeInto(list, files);
    if (interrupted)
        return 3;

    // One line per row on standard error; while a row converts, its line
    // shows the percentage done.
    int row = -1;
    auto show = [&](const QString& state, bool done) {
        err() << '\r' << "[" << row + 1 << "/" << list.count() << "] " << state.leftJustified(10) << ' '
              << list.item(row).path() << (done ? "\n" : "") << Qt::flush;
    };
    QObject::connect(&run, &ConversionRun::rowStatus, [&](int r, const QString& status) {
        row = r;
        show(status, status != RunText::Processing);
    });
    QObject::connect(&run, &ConversionRun::trackProgress, [&](int percent) {
        if (row >= 0 && list.cell(row, SourceItem::Status) == RunText::Processing && percent >= 0 && percent <= 100)
            show(QString::number(percent) + u'%', false);
    });
    ConversionRun::Outcome outcome = ConversionRun::Outcome::Completed;
    QEventLoop running;
    QObject::connect(&run, &ConversionRun::finished, &running, [&](ConversionRun::Outcome o) {
        outcome = o;
        running.quit();
    });
    run.start();
    if (run.isActive())
        running.exec();
    tools.quitAll(10000);
    std::signal(SIGINT, SIG_DFL);

    bool allOk = true;
    for (int r = 0; r < list.count(); ++r) {
        const QString status = list.cell(r, SourceItem::Status);
        allOk = allOk && status == RunText::Ok;
        out() << QStringList{list.item(r).path(), status, run.outputPath(r)}.join(u'\t') << '\n';
    }
    if (outcome == ConversionRun::Outcome::Cancelled)
        return 3;
    return allOk ? 0 : 1;
}

} // namespace varnel::cli
