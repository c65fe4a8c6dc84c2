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
      m_messages(messages), m_resolver(tools)
{
    connect(&m_inet1, &HttpTransfer::stateChanged, this, [this](int, const QString& text) {
        if (!text.isEmpty())
            emit statusText(text);
    });
    connect(&m_inet1, &HttpTransfer::readingData, this, [this] { emit statusText(QStringLiteral("Reading Data...")); });
    connect(&m_inet1, &HttpTransfer::pageLoaded, this, &VideoDownloader::onPage);
    connect(&m_inet1, &HttpTransfer::failed, this, [this](const QString& description, bool timedOut) {
        if (m_downloading) {
            onDownloadFailed(description);
            return;
        }
        if (timedOut)
            emit statusText(QStringLiteral("Slow Connection"));
        m_messages.error(kSomethingWentWrong + u'\n' + description);
        onPage(QString());
    });
    // Only cancel() ends a transfer this way, and it has settled everything.
    connect(&m_inet1, &HttpTransfer::cancelled, this, [this] { m_downloading = false; });
    connect(&m_inet1, &HttpTransfer::bytesReceived, this, [this](qint64 bytes) {
        emit progress(-1, QStringLiteral("%1 MB ").arg(bytes / 1048576.0, 0, 'f', 1));
    });
    connect(&m_inet1, &HttpTransfer::downloadProgress, this, [this](int percent) {
        emit progress(percent, QString::number(percent) + QStringLiteral(" % "));
    });
    connect(&m_inet1, &HttpTransfer::downloadFinished, this, [this](const QString& path) {
        m_downloading = false;
        emit statusText(QStringLiteral("Saved as ") + path);
        emit downloaded(path);
    });
    connect(&m_resolver, &StreamResolver::downloadProgress, &m_inet1, &HttpTransfer::downloadProgress);
    connect(&m_resolver, &StreamResolver::downloadFinished, &m_inet1, &HttpTransfer::downloadFinished);
    connect(&m_resolver, &StreamResolver::downloadFailed, this, &VideoDownloader::onDownloadFailed);
    connect(&m_resolver, &StreamResolver::resolved, this, [this](const Resolution& r) {
        if (m_lookedUp != m_address) // another page's
            return;
        m_lookedUp.clear();
        emit statusText(QStringLiteral("Complete!"));
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
    });
    connect(&m_inet2, &HttpTransfer::fileFetched, this, [this](bool ok, const QString& path) {
        if (ok)
            emit thumbnailShown(path);
        m_fetching = false;
        emit fetchFinished();
    });
}

void VideoDownloader::fetch(const QString& address)
{
    // The page and the streams share one transfer: a download going on ends
    // here, and says so.
    if (m_downloading && m_inet1.isBusy())
        onDownloadFailed(QStringLiteral("cancelled: another page was asked for"));
    // A look-up for the page before is of no use now, and its answer must
    // never fill the window for this one.
    if (m_resolver.isBusy()) {
        const bool downloading = m_downloading;
        m_resolver.cancel();
        if (downloading)
            onDownloadFailed(QStringLiteral("cancelled: another page was asked for"));
    }
    m_lookedUp.clear();
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
        emit statusText(QStringLiteral("Asking yt-dlp for the streams..."));
        m_resolver.resolve(m_address);
        return;
    }
    if (!page.isNull())
        emit statusText(QStringLiteral("Complete!"));
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

QUrl VideoDownloader::streamUrl(int format) const
{
    // Only a web link is a stream: a page or yt-dlp naming file:// or tv://
    // would have the player (or the transfer) open what the user never chose.
    const QUrl url = anyStreamUrl(format);
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ? url : QUrl();
}

QUrl VideoDownloader::anyStreamUrl(int format) const
{
    if (const auto r = m_resolved.find(format); r != m_resolved.end())
        return r->second.url;
    const auto link = m_links.find(format);
    if (link == m_links.end())
        return {};
    const auto decoded = urlDecode(link->second);
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

int removeDeadDownloads(const QString& folder)
{
    // Hidden files of downloads whose run died (killed, or the machine went
    // down): ".varnel-<run's identity>.<hex>.part" or ".download".
    static const QRegularExpression ours(QStringLiteral("^\\.varnel-(.+)\\.[0-9a-f]{1,16}\\.(part|download)$"));
    const output::RunIdentity self = output::RunIdentity::current();
    int removed = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral(".varnel-*")}, QDir::Files | QDir::Hidden)) {
        const auto m = ours.match(f.fileName());
        if (m.hasMatch() && !f.isSymLink() && output::isStale(output::RunIdentity::fromText(m.captured(1)), self))
            removed += QFile::remove(f.filePath());
    }
    return removed;
}

void VideoDownloader::download(int format)
{
    removeDeadDownloads(m_downloadFolder);
    if (m_inet1.isBusy()) { // the page, or another stream, still comes in
        sayDownloadFailed(QStringLiteral("a transfer is still going on"));
        return;
    }
    const QString path = downloadPath(format);
    if (!isDirectlyInside(path, m_downloadFolder)) {
        sayDownloadFailed(QStringLiteral("the name %1 would leave the folder %2").arg(path, m_downloadFolder));
        return;
    }
    m_downloading = true;
    if (const auto r = m_resolved.find(format); r != m_resolved.end()) {
        m_resolver.download(m_address, r->second.formatId, path);
        return;
    }
    const QUrl url = streamUrl(format);
    if (!url.isValid() || url.isEmpty()) {
        onDownloadFailed(QStringLiteral("no link for this format"));
        return;
    }
    m_inet1.download(url, path);
}

void VideoDownloader::cancel()
{
    m_downloading = false;
    m_fetching = false;
    m_inet1.abort();
    m_inet2.abort();
    m_resolver.cancel();
}

void VideoDownloader::onDownloadFailed(const QString& description)
{
    m_downloading = false;
    sayDownloadFailed(description);
}

void VideoDownloader::sayDownloadFailed(const QString& description)
{
    emit statusText(QStringLiteral("Failed: ") + description);
    m_messages.error(QStringLiteral("Error-") + description);
    emit downloadFailed(description);
}

} // namespace varnel
