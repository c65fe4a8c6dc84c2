#pragma once
// For pages without a stream table: yt-dlp, when it is installed, tells the
// page's facts and streams (yt-dlp -J URL); a DownloadJob of its kind then
// fetches them. Without yt-dlp, or when it fails, it finds nothing and
// nothing changes.
#include "core/download/PageScrape.h"

#include <QObject>
#include <QPointer>
#include <QUrl>


namespace varnel {

class Process;
class ToolRegistry;

struct ResolvedStream {
    QString formatId; // yt-dlp's format id
    QUrl url;         // direct, for the preview
};

struct Resolution {
    VideoPageInfo info;
    std::map<int, ResolvedStream> streams; // by the window's format numbers
};

// Reads yt-dlp's JSON: formats 5, 34, 35 and 22 where present; otherwise the
// best MP4 with both sound and picture fills 22 ("Get MP4").
Resolution parseResolverJson(const QByteArray& json);

class StreamResolver : public QObject {
    Q_OBJECT
public:
    explicit StreamResolver(ToolRegistry& tools, QObject* parent = nullptr);
    ~StreamResolver() override;

    // VARNEL_YTDLP, else yt-dlp on PATH; empty when there is none.
    static QString program();

    void resolve(const QString& address);
    bool isBusy() const;
    // Ends a look-up without a word.
    void cancel();

    // yt-dlp's answer is read up to this much, and waited for this long.
    static constexpr qint64 kMostAnswerBytes = 4 * 1024 * 1024;
    static constexpr int kAnswerTimeoutMs = 30000;

signals:
    void resolved(const Resolution& result); // empty when nothing was found

private:
    ToolRegistry& m_tools;
    QPointer<Process> m_process;
};

} // namespace varnel
