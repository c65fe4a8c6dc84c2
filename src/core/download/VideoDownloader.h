#pragma once
// What the downloader window works on: fetching and scraping a watch page,
// the links and buttons it has found, the thumbnail, and the downloads into
// the data folder. The window is a view on it; varnel-convert's fetch and
// download verbs drive the same object.
#include "core/download/DownloadJob.h"
#include "core/download/HttpTransfer.h"
#include "core/download/PageScrape.h"
#include "core/download/StreamResolver.h"

#include <QCoreApplication>
#include <QObject>
#include <memory>
#include <optional>
#include <set>

namespace varnel {

// Removes the hidden files that downloads of runs now dead left in folder;
// returns how many.
int removeDeadDownloads(const QString& folder);

class UserMessages;

inline QString kSomethingWentWrong()
{
    return QCoreApplication::translate("varnel::VideoDownloader", "Something Went Wrong");
}
inline QString kDownloadOrPlayCaption()
{
    return QCoreApplication::translate("varnel::VideoDownloader", "Download/Play");
}
inline QString kDownloadOrPlay()
{
    return QCoreApplication::translate("varnel::VideoDownloader", "Do you want Download or Play this video?\nClick yes to Download, No to Play");
}

class VideoDownloader : public QObject {
    Q_OBJECT
public:
    VideoDownloader(QString dataFolder, UserMessages& messages, ToolRegistry& tools, QObject* parent = nullptr);

    // For every transfer from now on.
    void setLimits(const TransferLimits& limits);
    const VideoPageInfo& info() const { return m_info; }
    // Every format whose button a fetch has enabled; a later fetch adds,
    // never takes away.
    const std::set<int>& enabledFormats() const { return m_enabled; }
    bool isFetching() const { return m_fetching; }
    bool isDownloading() const { return m_download != nullptr; }

    // The streams the page and yt-dlp have given, in the window's order of
    // formats: what fetch lists, what download and the preview take.
    std::vector<StreamSource> streams() const;
    std::optional<StreamSource> stream(int format) const;

    // Load the page, read its streams and facts, fetch its thumbnail; each
    // step is attempted even when one before it failed.
    void fetch(const QString& address);
    // Downloads the format's stream to its file name in the data folder.
    void download(int format);
    // Ends whatever is going on, as the user's own choice: nothing is said,
    // nothing partial is left, an older file is kept.
    void cancel();
    // The address a format's stream plays from, decoded; empty when unknown
    // or not a web link.
    QUrl streamUrl(int format) const;

    QString thumbnailPath() const;
    QString downloadPath(int format) const;

signals:
    void statusText(const QString& text);
    void formatsFound(const std::vector<int>& formats);
    void pageShown();
    void thumbnailShown(const QString& path);
    void fetchFinished();
    void pageFailed(const QString& description);
    void progress(int percent, const QString& label);
    void downloaded(const QString& path);
    void downloadFailed(const QString& description);

private:
    void onPage(const QString& page);
    void onResolved(const Resolution& r);
    void showPage();
    void endDownload();
    void sayDownloadFailed(const QString& description);

    QString m_dataFolder;     // Cache/ lives here
    QString m_downloadFolder; // where the user finds the downloads
    UserMessages& m_messages;
    ToolRegistry& m_tools;
    TransferLimits m_limits;
    HttpTransfer m_inet1; // the page
    HttpTransfer m_inet2; // its thumbnail
    StreamResolver m_resolver;
    std::unique_ptr<DownloadJob> m_download;
    QString m_address;
    QString m_lookedUp; // the address yt-dlp is asked about, while it is
    VideoPageInfo m_info;
    FormatLinks m_links;
    std::map<int, ResolvedStream> m_resolved; // streams only yt-dlp knows how to fetch
    std::set<int> m_enabled;
    bool m_fetching = false;
};

} // namespace varnel
