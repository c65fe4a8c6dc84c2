// convert: the same run as "Convert Now!", driven from a terminal.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/Interrupts.h"
#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/convert/ConversionRun.h"
#include "core/convert/EncoderForms.h"
#include "core/profiles/Catalogue.h"
#include "core/preview/ClipTimes.h"
#include "core/settings/Settings.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <algorithm>
#include <map>
#include <unistd.h>

namespace varnel::cli {

namespace {

// Standard error follows the rows. On a terminal the converting row's line
// updates in place with its percentage, elapsed time and time left;
// elsewhere every line is plain, without carriage returns.
void followRows(ConversionRun& run, const SourceList& list, int rows)
{
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    auto clocks = std::make_shared<std::map<quint64, QElapsedTimer>>(); // each converting row's time
    auto prefix = [rows](int r) { return QStringLiteral("[%1/%2] ").arg(r + 1).arg(rows); };
    QObject::connect(&run, &ConversionRun::rowStatus, &run,
                     [=, &list](quint64 id, const QString& status, const QString& reason) {
                         const int r = list.rowOf(id);
                         const QString path = r >= 0 ? escaped(list.item(r).path()) : QString();
                         if (status == RunText::Processing) {
                             (*clocks)[id].start();
                             if (!terminal)
                                 err() << prefix(r) << status << ' ' << path << '\n' << Qt::flush;
                             return;
                         }
                         clocks->erase(id);
                         if (terminal)
                             err() << "\r\x1b[K";
                         err() << prefix(r) << status.leftJustified(10) << ' ' << path << '\n';
                         for (const QString& line : reason.split(u'\n', Qt::SkipEmptyParts))
                             err() << "    " << escaped(line) << '\n';
                         err() << Qt::flush;
                     });
    QObject::connect(&run, &ConversionRun::rowProgress, &run, [=, &list](quint64 id, int percent) {
        const auto clock = clocks->find(id);
        const int r = list.rowOf(id);
        if (!terminal || clock == clocks->end() || r < 0 || percent < 0 || percent > 100)
            return;
        const qint64 elapsed = clock->second.elapsed() / 1000;
        const QString left = percent > 0 ? secondsToTimeText(elapsed * (100 - percent) / percent) : QStringLiteral("?");
        err() << "\r\x1b[K" << prefix(r) << percent << "%  " << secondsToTimeText(elapsed) << " elapsed, " << left
              << " left  " << escaped(QFileInfo(list.item(r).path()).fileName()) << Qt::flush;
    });
}

} // namespace

int convert(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(
        args, {"--choose", "--profile", "--preset", "--set", "--output-folder", "--existing", "--threads", "--start", "--end", "--jobs"},
        {"--json"});
    const auto start = a.last("--start"), end = a.last("--end");
    for (const auto& t : {start, end})
        if (t && !timeTextToSeconds(*t))
            throw UsageError(QStringLiteral("%1 is not a time H:MM:SS").arg(*t).toStdString());
    // A start alone is measured against each file's own length, row by row.
    if (end && !clipTimesInOrder(start.value_or(QStringLiteral("0:00:00")), *end)) {
        err() << kClipTimeError() << '\n' << Qt::flush;
        return 2;
    }
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
    // A relative folder is the user's, from where the command was given. An
    // empty one is a script's unset variable, not the program's folder.
    if (const auto folder = a.last("--output-folder")) {
        if (folder->trimmed().isEmpty())
            throw UsageError("--output-folder is empty");
        options.outputFolder = userPath(*folder);
    }
    options.thread = a.last("--threads");
    bool jobsOk = true;
    int jobs = a.last("--jobs").value_or(QStringLiteral("1")).toInt(&jobsOk);
    if (!jobsOk || jobs < 1)
        throw UsageError("--jobs takes a number of files to convert at once, 1 or more");
    // No more encoders than files, nor than any machine runs side by side.
    constexpr int kMostJobs = 64;
    jobs = std::min({jobs, static_cast<int>(a.plain.size()), kMostJobs});
    // Files are probed while others convert, as many at once as encoders run.
    options.convertWhileAdding = true;
    // A script's batch goes on past a file that is not there.
    options.missingFileFailsRow = true;
    if ((start || end) && isAudioForm(formForEntry(entry)->form))
        err() << Catalogue::entry(entry)->text << " converts whole files: --start and --end are not used\n" << Qt::flush;
    ConversionRun& run = ws.run();
    run.setOptions(options);
    run.setJobs(jobs);
    ws.probe().setParallel(jobs);
    // The player's view of a file matters only to a clip: without one the
    // files' own streams are all a conversion needs.
    ws.probe().setIdentify(start || end);
    const SourceList& list = ws.list();

    Interrupts interrupts;
    QObject::connect(&interrupts, &Interrupts::interrupted, &run, [&] {
        if (run.isActive()) {
            run.cancel();
            return;
        }
        ws.probe().stop();
    });
    // The trim, as the clip editor's OK would write it, for each file once
    // probed; a start alone runs to each file's own end, whatever a player
    // says its length is.
    QObject::connect(&ws.probe(), &MediaProbe::probed, &run, [&](quint64 id) {
        const int r = list.rowOf(id);
        if (r >= 0 && (start || end))
            ws.list().setClip(r, start.value_or(list.cell(r, SourceItem::Start)), end.value_or(QString()));
    });

    if (const QString why = profileRefusal(ws.entryNumber()); !why.isEmpty()) {
        session.messages.error(why);
        return 1;
    }
    QStringList files;
    for (const QString& f : a.plain)
        files << QFileInfo(f).absoluteFilePath();
    ws.addSources(files);
    if (interrupts.received()) {
        session.messages.error(RunText::Canceled());
        return 3;
    }

    followRows(run, list, static_cast<int>(files.size()));
    RunResult result;
    QObject::connect(&run, &ConversionRun::decided, &run, [&](const RunResult& r) {
        announceRunEnd(r, ws.settings(), session.shell, session.messages);
    });
    QEventLoop running;
    QObject::connect(&run, &ConversionRun::finished, &running, [&](const RunResult& r) {
        result = r;
        running.quit();
    });
    if (run.start())
        running.exec();
    ws.probe().stop();
    // Every tool has ended, and the files of cancelled rows are gone, before
    // the results are printed.
    if (ws.tools().runningCount() > 0) {
        QEventLoop ending;
        QObject::connect(&ws.tools(), &ToolRegistry::allEnded, &ending, &QEventLoop::quit);
        ws.tools().quitAll(10000);
        ending.exec();
    }

    bool allOk = true;
    for (int r = 0; r < list.count(); ++r) {
        const QString status = list.cell(r, SourceItem::Status);
        allOk = allOk && status == RunText::Ok;
        // Only a converted row has a file to name.
        const QString output = status == RunText::Ok ? run.outputPath(list.item(r).id) : QString();
        if (a.has("--json"))
            jsonLine({{"path", list.item(r).path()}, {"status", status}, {"output", output},
                      {"reason", list.item(r).statusReason}});
        else
            out() << QStringList{escaped(list.item(r).path()), status, escaped(output)}.join(u'\t') << '\n';
    }
    session.shell.waitForShutdownRequest();
    if (result.outcome == RunResult::Outcome::Cancelled || interrupts.received())
        return 3;
    return allOk ? 0 : 1;
}

} // namespace varnel::cli
