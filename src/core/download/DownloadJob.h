#pragma once
// One stream saved into the downloads folder: by our own HTTP transfer, or
// by yt-dlp for a stream only it knows how to fetch. Either way the bytes go
// to a hidden name of ours and are placed under a free name (a file already
// there is the user's and stays) only when the whole has come; a failure or
// a kill leaves nothing behind.
#include "core/download/HttpTransfer.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

namespace varnel {

class Process;
class ToolRegistry;

// Where a format's stream comes from.
struct StreamSource {
    enum class Kind { Http, YtDlp };
    int format = 0;
    Kind kind = Kind::Http;
    QUrl url;         // what the preview plays and HTTP fetches: http or https, else empty
    QString formatId; // yt-dlp's own, for its kind
    QString link;     // as the page or yt-dlp gave it
};

class DownloadJob : public QObject {
    Q_OBJECT
public:
    // pageAddress: the watch page yt-dlp is asked about; path: the name the
    // file should have.
    DownloadJob(StreamSource source, QString pageAddress, QString path, ToolRegistry& tools,
                const TransferLimits& limits, QObject* parent = nullptr);
    ~DownloadJob() override; // a job still going is killed

    // Every result comes later, as one of finished or failed.
    void start();
    // Ends it without a word; nothing it wrote is left.
    void kill();

signals:
    void statusText(const QString& text);
    void percent(int percent);
    void bytesReceived(qint64 bytes); // for a stream of no stated length
    void finished(const QString& path); // where the file went
    void failed(const QString& description);

private:
    void startYtDlp();
    void onYtDlpOutput(const QString& text);
    void onYtDlpEnded();

    StreamSource m_source;
    QString m_address;
    QString m_path;
    ToolRegistry& m_tools;
    HttpTransfer m_transfer;
    QPointer<Process> m_process;
    QString m_staged;   // yt-dlp's hidden file, while it runs
    QString m_lines;    // yt-dlp's output not yet ended by a newline
    QString m_lastLine; // its last word, for a failure
};

// The percentage of a yt-dlp "[download]  42.3% of ..." line, or -1.
int resolverProgress(const QString& line);

} // namespace varnel
