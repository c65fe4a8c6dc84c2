#include "core/download/HttpTransfer.h"

#include "core/common/TextNumbers.h"

#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

namespace varnel {

QString transferStateText(int state)
{
    // State | status line
    static const char* const texts[] = {
        nullptr,
        "Looking up IP address",   // 1
        "IP address found",        // 2
        "Connecting Host",         // 3
        "Connected.",              // 4
        "Making Request...",       // 5
        "Request sent.",           // 6
        "Receiving Response..",    // 7
        "Response received.",      // 8
        "Disconnecting...",        // 9
        "Disconnected.",           // 10
    };
    return state >= 1 && state <= 10 ? QString::fromLatin1(texts[state]) : QString();
}

HttpTransfer::HttpTransfer(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this)) {}

HttpTransfer::~HttpTransfer()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    if (m_file)
        m_file->cancelWriting();
    delete m_file;
}

bool HttpTransfer::isBusy() const
{
    return m_reply || m_lookingUp;
}

void HttpTransfer::loadPage(const QUrl& url)
{
    begin(Job::Page, url, QString());
}

void HttpTransfer::fetchToFile(const QUrl& url, const QString& path)
{
    begin(Job::File, url, path);
}

void HttpTransfer::download(const QUrl& url, const QString& path)
{
    begin(Job::Stream, url, path);
}

void HttpTransfer::begin(Job job, const QUrl& url, const QString& path)
{
    reset();
    m_job = job;
    m_url = url;
    m_path = path;
    if (!url.isValid() || url.host().isEmpty()) {
        // Reported from the event loop, like every other end.
        QMetaObject::invokeMethod(this, [this, url, generation = m_generation] {
            if (generation == m_generation) // not a later transfer's
                fail(QStringLiteral("not a web address: %1").arg(url.toString()));
        }, Qt::QueuedConnection);
        m_lookingUp = true;
        return;
    }
    // The look-up is made first so that its two states can be shown.
    m_lookingUp = true;
    emit stateChanged(1, transferStateText(1));
    m_lookupId = QHostInfo::lookupHost(url.host(), this, [this](const QHostInfo& info) {
        m_lookupId = -1;
        if (!m_lookingUp)
            return;
        if (info.error() != QHostInfo::NoError) {
            fail(info.errorString());
            return;
        }
        emit stateChanged(2, transferStateText(2));
        send();
    });
}

void HttpTransfer::send()
{
    m_lookingUp = false;
    QNetworkRequest request(m_url);
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::socketStartedConnecting, this, [this] { emit stateChanged(3, transferStateText(3)); });
    connect(m_reply, &QNetworkReply::requestSent, this, [this] {
        emit stateChanged(4, transferStateText(4));
        emit stateChanged(6, transferStateText(6));
    });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpTransfer::onHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpTransfer::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpTransfer::onFinished);
}

void HttpTransfer::onHeaders()
{
    if (m_headersSeen || !m_reply)
        return;
    m_headersSeen = true;
    emit stateChanged(7, transferStateText(7));
    if (m_job != Job::Stream)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    bool hasLength = false;
    const qint64 size = m_reply->rawHeader("Content-Length").trimmed().toLongLong(&hasLength);
    if (status < 200 || status > 299)
        m_refusal = QStringLiteral("the server answered %1 %2").arg(status).arg(reason);
    else if (!hasLength || size <= 0)
        m_refusal = QStringLiteral("the server did not say how long the file is");
    if (!m_refusal.isEmpty()) {
        // Ended from the event loop: a reply must not end inside its own signal.
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
        return;
    }
    m_size = size;
    m_file = new QSaveFile(m_path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        m_refusal = QStringLiteral("cannot write %1: %2").arg(m_path, m_file->errorString());
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }
}

void HttpTransfer::onReadyRead()
{
    if (!m_reply || !m_refusal.isEmpty())
        return;
    if (m_job != Job::Stream) {
        m_page += m_reply->readAll();
        if (m_job == Job::Page)
            emit readingData();
        return;
    }
    if (!m_file)
        return;
    // Pieces of 1024 bytes, or the remainder when 1024 or fewer remain.
    while (m_reply->bytesAvailable() > 0 && m_received < m_size) {
        const qint64 remaining = m_size - m_received;
        const QByteArray piece = m_reply->read(std::min<qint64>(1024, remaining));
        if (piece.isEmpty())
            break;
        if (m_file->write(piece) != piece.size()) {
            m_refusal = QStringLiteral("cannot write %1: %2").arg(m_path, m_file->errorString());
            m_reply->abort();
            return;
        }
        m_received += piece.size();
        const auto percent = toInt32(100.0 / static_cast<double>(m_size) * static_cast<double>(m_received));
        if (percent && *percent != m_percent) {
            m_percent = *percent;
            emit downloadProgress(m_percent);
        }
    }
    m_reply->readAll(); // anything past the length is not the file's
}

void HttpTransfer::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    reply->deleteLater();
    m_reply = nullptr;
    const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError && !m_aborted && m_refusal.isEmpty();
    if (!m_refusal.isEmpty()) {
        fail(m_refusal);
        return;
    }
    // A stream that stopped short says so in its own numbers.
    if (m_job == Job::Stream && m_file && m_received < m_size && !m_aborted && !timedOut) {
        fail(QStringLiteral("the transfer ended after %1 of %2 bytes").arg(m_received).arg(m_size));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        emit stateChanged(11, QStringLiteral("Error %1 %2").arg(status ? status : int(reply->error())).arg(reply->errorString()));
        fail(timedOut ? QStringLiteral("no answer within %1 s: %2").arg(m_timeoutMs / 1000).arg(reply->errorString())
                      : reply->errorString(),
             timedOut);
        return;
    }
    emit stateChanged(8, transferStateText(8));
    switch (m_job) {
    case Job::Page: {
        const QString text = QString::fromUtf8(m_page);
        reset();
        emit pageLoaded(text);
        break;
    }
    case Job::File: {
        QSaveFile out(m_path);
        const bool ok = out.open(QIODevice::WriteOnly) && out.write(m_page) == m_page.size() && out.commit();
        const QString path = m_path;
        reset();
        emit fileFetched(ok, path);
        break;
    }
    case Job::Stream:
        if (!m_file || m_received != m_size) {
            fail(QStringLiteral("the transfer ended after %1 of %2 bytes").arg(m_received).arg(m_size));
            return;
        }
        if (!m_file->commit()) {
            fail(QStringLiteral("cannot write %1: %2").arg(m_path, m_file->errorString()));
            return;
        }
        const QString path = m_path;
        reset();
        emit downloadFinished(path);
        break;
    }
}

void HttpTransfer::fail(QString description, bool timedOut)
{
    const Job job = m_job;
    const QString path = m_path;
    reset();
    if (job == Job::File)
        emit fileFetched(false, path);
    else
        emit failed(description, timedOut);
}

void HttpTransfer::abort()
{
    m_aborted = true;
    if (m_lookingUp) {
        fail(QStringLiteral("cancelled"));
        return;
    }
    if (m_reply)
        m_reply->abort();
}

void HttpTransfer::reset()
{
    ++m_generation;
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
    m_lookingUp = false;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    if (m_file)
        m_file->cancelWriting();
    delete m_file;
    m_file = nullptr;
    m_page.clear();
    m_size = -1;
    m_received = 0;
    m_percent = -1;
    m_headersSeen = false;
    m_aborted = false;
    m_refusal.clear();
}

} // namespace varnel
