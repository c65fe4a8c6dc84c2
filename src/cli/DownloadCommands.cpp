// fetch and download: the downloader window's work from a terminal.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/common/Interrupts.h"
#include "core/download/VideoDownloader.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace varnel::cli {

namespace {

// Fetches the page as Get Direct Link does: 0, 1 when the page could not be
// had, 3 after Ctrl+C (which ends a look-up as the window's close does).
int fetchPage(VideoDownloader& downloader, const QString& address, Interrupts& interrupts)
{
    bool failed = false;
    const auto watch = QObject::connect(&downloader, &VideoDownloader::pageFailed, &downloader, [&] { failed = true; });
    // The page and its streams are what is waited for; the thumbnail that
    // follows never holds a download back.
    QEventLoop loop;
    bool shown = false;
    QObject::connect(&downloader, &VideoDownloader::pageShown, &loop, [&] {
        shown = true;
        loop.quit();
    });
    QObject::connect(&downloader, &VideoDownloader::fetchFinished, &loop, &QEventLoop::quit);
    QObject::connect(&interrupts, &Interrupts::interrupted, &loop, [&] {
        downloader.cancel();
        loop.quit();
    });
    downloader.fetch(address);
    if (downloader.isFetching() && !shown && !interrupts.received())
        loop.exec();
    QObject::disconnect(watch);
    return interrupts.received() ? 3 : failed ? 1 : 0;
}

} // namespace

int fetch(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--program-folder"}, {"--json"});
    if (a.plain.size() != 1)
        throw UsageError("fetch needs one address");
    Session session;
    VideoDownloader downloader(a.last("--program-folder").value_or(session.workspace.dataFolder()), session.messages,
                               session.workspace.tools());
    Interrupts interrupts;
    if (const int rc = fetchPage(downloader, a.plain.first(), interrupts))
        return rc;
    const VideoPageInfo& i = downloader.info();
    const std::pair<const char*, QString> fields[] = {
        {"title", i.title},         {"author", i.author},       {"id", i.id},
        {"published", i.published}, {"category", i.category}, {"description", i.description},
        {"thumbnail", i.thumbnail}, {"length", i.length},       {"rating", i.rating},
    };
    // The page's own links as it holds them, else what yt-dlp found.
    const std::vector<StreamSource> links = downloader.streams();
    if (a.has("--json")) {
        QJsonObject object, formats;
        for (const auto& [name, value] : fields)
            object.insert(QLatin1String(name), value);
        for (const StreamSource& s : links)
            formats.insert(QString::number(s.format), s.link);
        object.insert(QStringLiteral("formats"), formats);
        jsonLine(object);
        return 0;
    }
    for (const auto& [name, value] : fields)
        out() << name << '\t' << escaped(value) << '\n';
    for (const StreamSource& s : links)
        out() << "format " << s.format << '\t' << escaped(s.link) << '\n';
    return 0;
}

int download(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--format", "--program-folder"}, {});
    bool isNumber = false;
    const int format = a.last("--format").value_or(QString()).toInt(&isNumber);
    if (a.plain.size() != 1 || !isNumber || !streamFormat(format))
        throw UsageError("download needs one address and --format 5, 34, 35 or 22");
    Session session;
    const QString folder = a.last("--program-folder").value_or(session.workspace.dataFolder());
    VideoDownloader downloader(folder, session.messages, session.workspace.tools());
    // Ctrl+C ends the transfer as the window's close does: no hidden partial
    // file is left behind.
    Interrupts interrupts;
    if (const int rc = fetchPage(downloader, a.plain.first(), interrupts))
        return rc;
    if (!downloader.stream(format)) {
        session.messages.error(QStringLiteral("the page offers no stream of format %1").arg(format));
        return 1;
    }
    QString saved;
    bool ended = false; // a refusal may come before the loop runs
    QEventLoop loop;
    QObject::connect(&downloader, &VideoDownloader::progress, [](int, const QString& label) {
        err() << '\r' << label << Qt::flush;
    });
    QObject::connect(&downloader, &VideoDownloader::downloaded, &loop, [&](const QString& path) {
        saved = path;
        ended = true;
        loop.quit();
    });
    QObject::connect(&downloader, &VideoDownloader::downloadFailed, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QObject::connect(&interrupts, &Interrupts::interrupted, &loop, [&] {
        downloader.cancel();
        loop.quit();
    });
    downloader.download(format);
    if (!ended)
        loop.exec();
    err() << '\n' << Qt::flush;
    if (interrupts.received())
        return 3;
    if (saved.isEmpty())
        return 1;
    out() << QFileInfo(saved).absoluteFilePath() << '\n';
    return 0;
}

} // namespace varnel::cli
