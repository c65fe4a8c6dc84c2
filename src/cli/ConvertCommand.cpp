// convert: the same run as "Convert Now!", driven from a terminal.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/TimeText.h"
#include "core/convert/ConversionRun.h"
#include "core/preview/ClipTimes.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/Settings.h"
#include "core/profiles/OptionSheet.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>
#include <map>
#include <fcntl.h>
#include <unistd.h>

namespace varnel::cli {

namespace {

// Ctrl+C, a terminate request and a hang-up reach the event loop through a
// pipe, where they act as Cancel: the encoder finishes and nothing is left
// running.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_interruptPipe[1], &byte, 1);
}

} // namespace

int convert(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(
        args, {"--choose", "--profile", "--set", "--output-folder", "--existing", "--threads", "--start", "--end", "--jobs"},
        {"--json"});
    const auto start = a.last("--start"), end = a.last("--end");
    for (const auto& t : {start, end})
        if (t && !timeTextToSeconds(*t))
            throw UsageError(QStringLiteral("%1 is not a time H:MM:SS").arg(*t).toStdString());
    Session session;
    Workspace& ws = session.workspace;
    const int entry = buildSheet(ws, a);
    if (!entry)
        throw UsageError("convert needs --choose or --profile");
    if (a.plain.isEmpty())
        throw UsageError("convert needs at least one file");

    RunOptions options;
    if (const auto existing = a.last("--existing")) {
        if (*existing != QLatin1String("new") && *existing != QLatin1String("overwrite"))
            throw UsageError("--existing takes new or overwrite");
        options.existedFile = *existing == QLatin1String("new") ? QStringLiteral("0") : QStringLiteral("1");
    }
    // A relative folder is the user's, from where the command was given.
    if (const auto folder = a.last("--output-folder"))
        options.outputFolder = folder->trimmed().isEmpty() ? *folder : QFileInfo(*folder).absoluteFilePath();
    options.thread = a.last("--threads");
    ConversionRun& run = ws.run();
    run.setOptions(options);
    bool jobsOk = true;
    const int jobs = a.last("--jobs").value_or(QStringLiteral("1")).toInt(&jobsOk);
    if (!jobsOk || jobs < 1)
        throw UsageError("--jobs takes a number of files to convert at once, 1 or more");
    run.setJobs(jobs);
    const SourceList& list = ws.list();

    if (::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, onInterrupt);
    bool interrupted = false;
    QSocketNotifier interrupt(g_interruptPipe[0], QSocketNotifier::Read);

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
    probeInto(ws, files);
    if (interrupted)
        return 3;
    // The trim, as the clip editor's OK would write it, for every file; the
    // clip editor's refusal when a start is not earlier than its end.
    if (start || end) {
        for (int r = 0; r < list.count(); ++r)
            if (!clipTimesInOrder(start.value_or(list.cell(r, SourceItem::Start)),
                                  end.value_or(list.cell(r, SourceItem::End)))) {
                err() << kClipTimeError << '\n' << Qt::flush;
                return 2;
            }
        for (int r = 0; r < list.count(); ++r)
            ws.endClipEditing(r, start.value_or(list.cell(r, SourceItem::Start)),
                              end.value_or(list.cell(r, SourceItem::End)));
    }

    // Standard error follows the rows. On a terminal the converting row's
    // line updates in place with its percentage, elapsed time and time left;
    // elsewhere every line is plain, without carriage returns.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    std::map<int, QElapsedTimer> clocks; // each converting row's time
    auto prefix = [&](int r) { return QStringLiteral("[%1/%2] ").arg(r + 1).arg(list.count()); };
    QObject::connect(&run, &ConversionRun::rowStatus, [&](int r, const QString& status, const QString& reason) {
        if (status == RunText::Processing) {
            clocks[r].start();
            if (!terminal)
                err() << prefix(r) << status << ' ' << list.item(r).path() << '\n' << Qt::flush;
            return;
        }
        clocks.erase(r);
        if (terminal)
            err() << "\r\x1b[K";
        err() << prefix(r) << status.leftJustified(10) << ' ' << list.item(r).path() << '\n';
        for (const QString& line : reason.split(u'\n', Qt::SkipEmptyParts))
            err() << "    " << line << '\n';
        err() << Qt::flush;
    });
    QObject::connect(&run, &ConversionRun::rowProgress, [&](int r, int percent) {
        const auto clock = clocks.find(r);
        if (!terminal || clock == clocks.end() || percent < 0 || percent > 100)
            return;
        const qint64 elapsed = clock->second.elapsed() / 1000;
        const QString left = percent > 0 ? secondsToTimeText(elapsed * (100 - percent) / percent) : QStringLiteral("?");
        err() << "\r\x1b[K" << prefix(r) << percent << "%  " << secondsToTimeText(elapsed) << " elapsed, " << left
              << " left  " << QFileInfo(list.item(r).path()).fileName() << Qt::flush;
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
    // Every tool has ended before the results are printed.
    if (ws.tools().runningCount() > 0) {
        QEventLoop ending;
        QObject::connect(&ws.tools(), &ToolRegistry::allEnded, &ending, &QEventLoop::quit);
        ws.tools().quitAll(10000);
        ending.exec();
    }
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, SIG_DFL);

    bool allOk = true;
    for (int r = 0; r < list.count(); ++r) {
        const QString status = list.cell(r, SourceItem::Status);
        allOk = allOk && status == RunText::Ok;
        if (a.has("--json"))
            jsonLine({{"path", list.item(r).path()}, {"status", status}, {"output", run.outputPath(r)},
                      {"reason", list.item(r).statusReason}});
        else
            out() << QStringList{list.item(r).path(), status, run.outputPath(r)}.join(u'\t') << '\n';
    }
    if (outcome == ConversionRun::Outcome::Cancelled)
        return 3;
    return allOk ? 0 : 1;
}

} // namespace varnel::cli
