#pragma once
// The transfer component under the downloader: a page as text, a small file
// (a thumbnail), and a stream to a file with progress. Asynchronous: every
// result comes as a signal, nothing waits. Its state changes drive the
// downloader's status line.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace varnel {

// The final answer's length from a Content-Length header, which may hold the
// lengths of redirects joined before it; *known is false when it holds none.
qint64 finalContentLength(const QByteArray& header, bool* known);
// Whether a Content-Length header holds more than one length ("10, 3000").
bool lengthsDiffer(const QByteArray& header);

// A page's text, by the charset its server declares, else by its byte-order
// mark or meta tag, else as UTF-8.
QString decodePage(const QByteArray& bytes, const QByteArray& contentType);

class StagedFile;

// What a page and a thumbnail may hold, and what a stream keeps in memory.
inline constexpr qint64 kPageLimit = 8 << 20;
inline constexpr qint64 kThumbnailLimit = 2 << 20;
inline constexpr qint64 kReadBuffer = 1 << 20;
inline constexpr int kMaxRedirects = 10;

// How long a transfer may take, in milliseconds.
struct TransferLimits {
    int silenceMs = 30000;     // no byte of a page or a thumbnail for this long ends it
    int streamStallMs = 60000; // no byte of a stream for this long ends it
    int pageMs = 60000;        // the whole of a page arrives within this long
    int fileMs = 20000;        // the whole of a thumbnail arrives within this long
};

// The status line's text for a state of the transfer (1 to 10); empty for
// states that leave the line unchanged.
QString transferStateText(int state);

class HttpTransfer : public QObject {
    Q_OBJECT
public:
    explicit HttpTransfer(QObject* parent = nullptr);
    ~HttpTransfer() override;

    bool isBusy() const { return m_phase != Phase::Idle; }
    void setLimits(const TransferLimits& limits) { m_limits = limits; }

    // Each follows up to kMaxRedirects redirects and judges only the final
    // answer.
    // The page as text, at most kPageLimit bytes: pageLoaded, or failed.
    void loadPage(const QUrl& url);
    // A small resource (at most kThumbnailLimit) written to a file: fileFetched.
    void fetchToFile(const QUrl& url, const QString& path);
    // A stream to a file with progress, streamed to disk through a bounded
    // buffer. A name the folder cannot hold is refused before anything is
    // asked for; the status and the length are checked when the headers
    // arrive, before any file is made; the file appears under its name only
    // when every byte has come, so a failure leaves no partial file and
    // keeps an older one.
    void download(const QUrl& url, const QString& path);
    // Ends the transfer as the user's own choice: cancelled, never failed.
    void abort();

signals:
    // state: 1 to 11 as the status line knows them; text: the line for 11.
    void stateChanged(int state, const QString& text);
    void readingData();
    void pageLoaded(const QString& text);
    void fileFetched(bool ok, const QString& path);
    void downloadProgress(int percent);
    // For a stream of no stated length: how much has come.
    void bytesReceived(qint64 bytes);
    void downloadFinished(const QString& path);
    // description: what went wrong; timedOut: no byte came in time.
    void failed(const QString& description, bool timedOut);
    void cancelled();

private:
    enum class Job { Page, File, Stream };
    enum class Phase {
        Idle,
        LookingUp,  // the host's address
        Asking,     // the request is out; the final answer's headers are awaited
        Receiving,  // the final answer's body
        Refused,    // ending, with m_refusal as its reason
        Cancelling, // ending, as the user chose
    };
    void begin(Job job, const QUrl& url, const QString& path);
    int silenceLimitMs() const { return m_job == Job::Stream ? m_limits.streamStallMs : m_limits.silenceMs; }
    void send();
    void onHeaders();
    void onReadyRead();
    void onFinished();
    qint64 limit() const { return m_job == Job::Page ? kPageLimit : kThumbnailLimit; }
    QString tooLarge() const;
    // Ends the reply from the event loop with this description.
    void refuse(const QString& description);
    void failLater(const QString& description);
    void fail(QString description, bool timedOut = false); // a copy: reset() clears the members
    void reset();

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    Job m_job = Job::Page;
    QUrl m_url;
    QString m_path;
    std::unique_ptr<StagedFile> m_file;
    QByteArray m_page;
    QByteArray m_contentType;
    QByteArray m_buffer; // one read's worth of a stream, reused
    qint64 m_size = -1;
    qint64 m_received = 0;
    int m_percent = -1;
    TransferLimits m_limits;
    QTimer m_deadline;
    int m_lookupId = -1;
    quint64 m_generation = 0; // counts transfers, so that a late report finds its own
    Phase m_phase = Phase::Idle;
    QString m_refusal;
};

} // namespace varnel
