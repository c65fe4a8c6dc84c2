#include "core/download/VideoDownloader.h"
#include <QRegularExpression>
#include "core/convert/OutputFiles.h"

#include "core/common/SafeName.h"
#include "core/common/UserMessages.h"
#include "core/settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace varnel {

VideoDownloader::VideoDownloader(QString dataFolder, UserMessages& messages, ToolRegistry& tools, QObject* parent)
    : QObject(parent), m_dataFolder(std::move(dataFolder)), m_downloadFolder(userFilesFolder(m_dataFolder)),
      m_messages(messages), m_tools(tools), m_resolver(tools)
{
    connect(&m_inet1, &HttpTransfer::stateChanged, this, [this](int, const QString& text) {
        if (!text.isEmpty())
            emit statusText(text);
    });
    connect(&m_inet1, &HttpTransfer::readingData, this, [this] { emit statusText(tr("Reading Data...")); });
    connect(&m_inet1, &HttpTransfer::pageLoaded, this, &VideoDownloader::onPage);
    connect(&m_inet1, &HttpTransfer::failed, this, [this](const QString& description, bool timedOut) {
        if (timedOut)
            emit statusText(tr("Slow Connection"));
        m_messages.error(kSomethingWentWrong() + u'\n' + description);
        emit pageFailed(description);
        onPage(QString());
    });
    connect(&m_resolver, &StreamResolver::resolved, this, &VideoDownloader::onResolved);
    connect(&m_inet2, &HttpTransfer::fileFetched, this, [this](bool ok, const QString& path) {
        if (ok)
            emit thumbnailShown(path);
        m_fetching = false;
        emit fetchFinished();
    });
}

void VideoDownloader::setLimits(const TransferLimits& limits)
{
    m_limits = limits;
    m_inet1.setLimits(limits);
    m_inet2.setLimits(limits);
}

void VideoDownloader::fetch(const QString& address)
{
    // One page at a time, with its streams: a download going on ends here,
    // and says so.
    if (m_download) {
        endDownload();
        sayDownloadFailed(tr("cancelled: another page was asked for"));
    }
    // A look-up for the page before is of no use now, and its answer must
    // never fill the window for this one.
    m_resolver.cancel();
    m_lookedUp.clear();
    // The streams are this page's alone: a button still enabled from the
    // page before finds no link, rather than that page's stream.
    m_links.clear();
    m_resolved.clear();
    m_inet2.abort(); // the thumbnail of the page before
    m_fetching = true;
    m_address = address;
    m_inet1.loadPage(QUrl::fromUserInput(address.trimmed()));
}

void VideoDownloader::onPage(const QString& page)
{
    const std::vector<int> found = getUrls(page, m_links);
    for (int f : found) {
        m_enabled.insert(f);
        m_resolved.erase(f); // the page's own link now
    }
    if (!found.empty())
        emit formatsFound(found);
    parseVideoPage(page, m_info);
    // The page's own scraper first; only a page without a stream table is
    // handed to yt-dlp.
    if (found.empty() && !StreamResolver::program().isEmpty()) {
        m_lookedUp = m_address;
        // Not complete while yt-dlp is still being asked.
        emit statusText(tr("Asking yt-dlp for the streams..."));
        m_resolver.resolve(m_address);
        return;
    }
    if (!page.isNull())
        emit statusText(tr("Complete!"));
    showPage();
}

void VideoDownloader::onResolved(const Resolution& r)
{
    if (m_lookedUp != m_address) // another page's
        return;
    m_lookedUp.clear();
    emit statusText(tr("Complete!"));
    if (!r.streams.empty()) {
        m_info = r.info;
        m_resolved = r.streams;
        std::vector<int> found;
        for (const auto& [format, stream] : r.streams) {
            m_enabled.insert(format);
            found.push_back(format);
        }
        emit formatsFound(found);
    }
    showPage();
}

void VideoDownloader::showPage()
{
    emit pageShown();
    const QString path = thumbnailPath();
    // A busy transfer or a missing Cache folder fetches nothing; nor does a
    // name that would leave the folder (safeFileName makes it one, this is
    // the last word before writing).
    const QString cache = m_dataFolder + QStringLiteral("/Cache");
    if (m_inet2.isBusy() || !QFileInfo(cache).isDir() || !isDirectlyInside(path, cache)) {
        m_fetching = false;
        emit fetchFinished();
        return;
    }
    m_inet2.fetchToFile(QUrl(m_info.thumbnail), path);
}

QString VideoDownloader::thumbnailPath() const
{
    return m_dataFolder + QStringLiteral("/Cache/") + thumbnailFileName(m_info);
}

QString VideoDownloader::downloadPath(int format) const
{
    return m_downloadFolder + u'/' + downloadFileName(m_info, format);
}

namespace {

// A page's link, decoded.
QUrl pageLinkUrl(const QByteArray& link)
{
    const auto decoded = urlDecode(link);
    if (!decoded)
        return {};
    // Bytes as they are: each byte that a URL cannot hold is escaped as that
    // one byte, so the server gets what the page gave, never a character of
    // some code page.
    QByteArray escaped;
    for (const char c : decoded->trimmed()) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' ||
            c == '{' || c == '|' || c == '}')
            escaped += '%' + QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        else
            escaped += c;
    }
    return QUrl::fromEncoded(escaped, QUrl::StrictMode);
}

} // namespace

std::optional<StreamSource> VideoDownloader::stream(int format) const
{
    // Only a web link is a stream to fetch or play: a page or yt-dlp naming
    // file:// or tv:// would have the player (or the transfer) open what the
    // user never chose.
    const auto web = [](const QUrl& url) {
        const QString scheme = url.scheme().toLower();
        return scheme == QLatin1String("http") || scheme == QLatin1String("https") ? url : QUrl();
    };
    if (const auto r = m_resolved.find(format); r != m_resolved.end())
        return StreamSource{format, StreamSource::Kind::YtDlp, web(r->second.url), r->second.formatId,
                            QString::fromUtf8(r->second.url.toEncoded())};
    if (const auto link = m_links.find(format); link != m_links.end())
        return StreamSource{format, StreamSource::Kind::Http, web(pageLinkUrl(link->second)), QString(),
                            QString::fromUtf8(link->second)};
    return std::nullopt;
}

std::vector<StreamSource> VideoDownloader::streams() const
{
    std::vector<StreamSource> found;
    for (const StreamFormat& f : kStreamFormats)
        if (auto s = stream(f.number))
            found.push_back(std::move(*s));
    return found;
}

QUrl VideoDownloader::streamUrl(int format) const
{
    const auto s = stream(format);
    return s ? s->url : QUrl();
}

int removeDeadDownloads(const QString& folder)
{
    // What downloads whose run died (killed, or the machine went down) left:
    // ".varnel-<run's identity>.<hex>.part" files, and yt-dlp's folders
    // ".varnel-<run's identity>.<hex>.download" with whatever it wrote.
    static const QRegularExpression ours(QStringLiteral("^\\.varnel-(.+)\\.[0-9a-f]{1,16}\\.(part|download)$"));
    const output::RunIdentity self = output::RunIdentity::current();
    int removed = 0;
    for (const QFileInfo& f :
         QDir(folder).entryInfoList({QStringLiteral(".varnel-*")}, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const auto m = ours.match(f.fileName());
        if (!m.hasMatch() || f.isSymLink() || !output::isStale(output::RunIdentity::fromText(m.captured(1)), self))
            continue;
        if (f.isDir() && m.captured(2) == QLatin1String("download"))
            removed += QDir(f.filePath()).removeRecursively();
        else if (f.isFile())
            removed += QFile::remove(f.filePath());
    }
    return removed;
}

void VideoDownloader::download(int format)
{
    removeDeadDownloads(m_downloadFolder);
    if (m_download || m_inet1.isBusy()) { // another stream, or the page, still comes in
        sayDownloadFailed(tr("a transfer is still going on"));
        return;
    }
    auto source = stream(format);
    if (!source) {
        sayDownloadFailed(tr("no link for this format"));
        return;
    }
    const QString path = downloadPath(format);
    if (!isDirectlyInside(path, m_downloadFolder)) {
        sayDownloadFailed(tr("the name %1 would leave the folder %2").arg(path, m_downloadFolder));
        return;
    }
    m_download = std::make_unique<DownloadJob>(std::move(*source), m_address, path, m_tools, m_limits);
    DownloadJob* job = m_download.get();
    connect(job, &DownloadJob::statusText, this, &VideoDownloader::statusText);
    connect(job, &DownloadJob::bytesReceived, this, [this](qint64 bytes) {
        emit progress(-1, QStringLiteral("%1 MB ").arg(bytes / 1048576.0, 0, 'f', 1));
    });
    connect(job, &DownloadJob::percent, this, [this](int percent) {
        emit progress(percent, QString::number(percent) + QStringLiteral(" % "));
    });
    connect(job, &DownloadJob::finished, this, [this](const QString& path) {
        endDownload();
        emit statusText(tr("Saved as ") + path);
        emit downloaded(path);
    });
    connect(job, &DownloadJob::failed, this, [this](const QString& description) {
        endDownload();
        sayDownloadFailed(description);
    });
    job->start();
}

void VideoDownloader::endDownload()
{
    // Deleted from the event loop: it may be inside its own signal.
    if (DownloadJob* job = m_download.release()) {
        job->disconnect(this);
        job->kill();
        job->deleteLater();
    }
}

void VideoDownloader::cancel()
{
    m_fetching = false;
    endDownload();
    m_inet1.abort();
    m_inet2.abort();
    m_resolver.cancel();
}

void VideoDownloader::sayDownloadFailed(const QString& description)
{
    emit statusText(tr("Failed: ") + description);
    m_messages.error(tr("Error-") + description);
    emit downloadFailed(description);
}

} // namespace varnel
