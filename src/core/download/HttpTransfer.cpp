#include "core/download/HttpTransfer.h"

#include "core/common/TextNumbers.h"
#include "core/common/StagedFile.h"
#include "core/convert/OutputFiles.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringDecoder>

#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace varnel {

QString transferStateText(int state)
{
    // State | status line
    static const char* const texts[] = {
        nullptr,
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Looking up IP address"),   // 1
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "IP address found"),        // 2
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Connecting Host"),         // 3
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Connected."),              // 4
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Making Request..."),       // 5
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Request sent."),           // 6
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Receiving Response.."),    // 7
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Response received."),      // 8
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Disconnecting..."),        // 9
        QT_TRANSLATE_NOOP("varnel::HttpTransfer", "Disconnected."),           // 10
    };
    return state >= 1 && state <= 10 ? QCoreApplication::translate("varnel::HttpTransfer", texts[state]) : QString();
}

HttpTransfer::HttpTransfer(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        const int ms = m_job == Job::Page ? m_limits.pageMs : m_limits.fileMs;
        fail(tr("the %1 did not arrive within %2 s")
                 .arg(m_job == Job::Page ? tr("page") : tr("thumbnail"))
                 .arg(ms / 1000.0),
             true);
    });
}

HttpTransfer::~HttpTransfer()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
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
    // A page or a thumbnail that trickles in a byte at a time is never
    // silent for long: it gets a time for all of it.
    if (job != Job::Stream) {
        m_deadline.start(job == Job::Page ? m_limits.pageMs : m_limits.fileMs);
    }
    // Only the web: a page naming file:// or a pipe must not have us read
    // the disk, or wait on a pipe with the window's thread.
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        failLater(tr("not a web address: %1").arg(url.toString()));
        return;
    }
    // Known before a byte is asked for, so the server is not made to send it.
    if (const QString refusal = job == Job::Stream ? StagedFile::nameRefusal(path, output::RunIdentity::current().text()) : QString(); !refusal.isEmpty()) {
        failLater(refusal);
        return;
    }
    // The look-up is made first so that its two states can be shown.
    m_phase = Phase::LookingUp;
    emit stateChanged(1, transferStateText(1));
    m_lookupId = QHostInfo::lookupHost(url.host(), this, [this](const QHostInfo& info) {
        m_lookupId = -1;
        if (m_phase != Phase::LookingUp)
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
    m_phase = Phase::Asking;
    QNetworkRequest request(m_url);
    // A stream may pause longer than a page: a server busy cutting a video.
    request.setTransferTimeout(silenceLimitMs());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    if (m_job == Job::Stream) {
        // Unpacked by nobody: the length the server gives is then the length
        // of the file, and the bytes saved are the bytes sent.
        request.setRawHeader("Accept-Encoding", "identity");
        // HTTP/2 may not honour the read buffer's bound below.
        request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    }
    m_reply = m_network->get(request);
    // Without a bound, the reply keeps whatever the server sends faster than
    // it is written away.
    m_reply->setReadBufferSize(kReadBuffer);
    connect(m_reply, &QNetworkReply::socketStartedConnecting, this, [this] { emit stateChanged(3, transferStateText(3)); });
    connect(m_reply, &QNetworkReply::requestSent, this, [this] {
        emit stateChanged(4, transferStateText(4));
        emit stateChanged(6, transferStateText(6));
    });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpTransfer::onHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpTransfer::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpTransfer::onFinished);
}

qint64 finalContentLength(const QByteArray& header, bool* known)
{
    // After a redirect the headers of the answers on the way may be joined
    // into one ("0, 3000"): the last is the final answer's own.
    const QByteArray last = header.split(',').last().trimmed();
    return last.toLongLong(known);
}

bool lengthsDiffer(const QByteArray& header)
{
    const QList<QByteArray> values = header.split(',');
    for (const QByteArray& v : values)
        if (v.trimmed() != values.first().trimmed())
            return true;
    return false;
}

QString decodePage(const QByteArray& bytes, const QByteArray& contentType)
{
    // The charset the server declares, else a byte-order mark or a meta tag,
    // else UTF-8.
    static const QRegularExpression declared(QStringLiteral("charset\\s*=\\s*\"?([A-Za-z0-9._:-]{1,40})"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto m = declared.match(QString::fromLatin1(contentType));
    if (m.hasMatch()) {
        QStringDecoder decoder(m.captured(1).toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    QStringDecoder html = QStringDecoder::decoderForHtml(bytes);
    return html.isValid() ? QString(html.decode(bytes)) : QString::fromUtf8(bytes);
}

void HttpTransfer::onHeaders()
{
    if (m_phase != Phase::Asking || !m_reply)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A redirect that is followed is not the answer: its target's headers come next.
    if ((status == 301 || status == 302 || status == 303 || status == 307 || status == 308) &&
        m_reply->hasRawHeader("Location"))
        return;
    m_phase = Phase::Receiving;
    m_contentType = m_reply->rawHeader("Content-Type");
    emit stateChanged(7, transferStateText(7));
    bool hasLength = false;
    const QByteArray lengthHeader = m_reply->rawHeader("Content-Length");
    const qint64 size = finalContentLength(lengthHeader, &hasLength);
    if (m_job != Job::Stream) {
        if (hasLength && size > limit())
            refuse(tooLarge());
        return;
    }
    const QString reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    // Nothing but the whole file: a 206 holds a part of it, and none was asked for.
    if (status != 200)
        refuse(tr("the server answered %1 %2").arg(status).arg(reason));
    else if (m_reply->hasRawHeader("Content-Length") && !hasLength)
        refuse(tr("the server gave a length that is no number"));
    else if (m_reply->url() == m_url && lengthsDiffer(lengthHeader))
        // Joined lengths are the redirects' when there were any; without
        // one, two lengths are a server that cannot say which is true.
        refuse(tr("the server gave two lengths"));
    else if (hasLength && size < 0)
        refuse(tr("the server gave a length below nothing"));
    else if (!encoding.isEmpty() && encoding != "identity")
        refuse(tr("the server sent the file packed (%1), not as it is").arg(QString::fromLatin1(encoding)));
    if (m_phase == Phase::Refused)
        return;
    // Without a length (chunked, or closed at its end) the file is what
    // comes until the answer ends well; progress is then told in bytes.
    m_size = hasLength ? size : -1;
    m_file = std::make_unique<StagedFile>(m_path, output::RunIdentity::current().text());
    if (!m_file->open())
        refuse(m_file->errorString());
}

void HttpTransfer::onReadyRead()
{
    if (!m_reply || m_phase != Phase::Receiving)
        return;
    if (m_job != Job::Stream) {
        if (m_page.size() + m_reply->bytesAvailable() > limit()) {
            m_page.clear(); // nothing of it is kept
            refuse(tooLarge());
            return;
        }
        m_page += m_reply->readAll();
        if (m_job == Job::Page)
            emit readingData();
        return;
    }
    if (!m_file)
        return;
    // All that has come, in reads of up to the buffer's bound: memory stays
    // flat however long the stream.
    m_buffer.resize(kReadBuffer);
    const bool sized = m_size >= 0;
    while ((!sized || m_received < m_size) && m_reply->bytesAvailable() > 0) {
        const qint64 n = m_reply->read(m_buffer.data(), sized ? std::min(kReadBuffer, m_size - m_received) : kReadBuffer);
        if (n <= 0)
            break;
        if (!m_file->write(m_buffer.constData(), n)) {
            refuse(m_file->errorString());
            return;
        }
        m_received += n;
    }
    if (!sized) {
        emit bytesReceived(m_received);
        return;
    }
    const auto percent = toInt32(100.0 / static_cast<double>(m_size) * static_cast<double>(m_received));
    if (percent && *percent != m_percent) {
        m_percent = *percent;
        emit downloadProgress(m_percent);
    }
    // More than the length said: the length was not the file's, so neither
    // is what was saved.
    if (m_reply->bytesAvailable() > 0)
        refuse(tr("the server sent more than the %1 bytes it said").arg(m_size));
}

void HttpTransfer::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    if (reply->bytesAvailable() > 0)
        onReadyRead();
    reply->deleteLater();
    m_reply = nullptr;
    if (m_phase == Phase::Cancelling) {
        reset();
        emit cancelled();
        return;
    }
    if (m_phase == Phase::Refused) {
        fail(m_refusal);
        return;
    }
    const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError;
    // A stream that stopped short says so in its own numbers.
    if (m_job == Job::Stream && m_file && m_received < m_size && !timedOut) {
        fail(tr("the transfer ended after %1 of %2 bytes").arg(m_received).arg(m_size));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        emit stateChanged(11, tr("Error %1 %2").arg(status ? status : int(reply->error())).arg(reply->errorString()));
        fail(timedOut ? tr("no answer within %1 s: %2").arg(silenceLimitMs() / 1000.0).arg(reply->errorString())
                      : reply->errorString(),
             timedOut);
        return;
    }
    emit stateChanged(8, transferStateText(8));
    switch (m_job) {
    case Job::Page: {
        const QString text = decodePage(m_page, m_contentType);
        reset();
        emit pageLoaded(text);
        break;
    }
    case Job::File: {
        StagedFile out(m_path);
        const bool ok = out.open() && out.write(m_page.constData(), m_page.size()) && out.commit();
        const QString path = m_path;
        reset();
        emit fileFetched(ok, path);
        break;
    }
    case Job::Stream:
        if (!m_file) { // a redirect that was not followed: its headers were never judged
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            fail(tr("the server answered %1 %2")
                     .arg(status)
                     .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
            return;
        }
        if (m_size >= 0 && m_received != m_size) {
            fail(tr("the transfer ended after %1 of %2 bytes").arg(m_received).arg(m_size));
            return;
        }
        if (m_received == 0) { // nothing is no video
            fail(tr("the server sent an empty file"));
            return;
        }
        // A file already under the name is the user's: it stays, and the
        // download takes the next free name.
        if (!m_file->commitUnderFreeName()) {
            fail(m_file->errorString());
            return;
        }
        const QString path = m_file->path();
        reset();
        emit downloadFinished(path);
        break;
    }
}

QString HttpTransfer::tooLarge() const
{
    return tr("the %1 is larger than %2 MiB")
        .arg(m_job == Job::Page ? tr("page") : tr("thumbnail"))
        .arg(limit() >> 20);
}

void HttpTransfer::refuse(const QString& description)
{
    m_phase = Phase::Refused;
    m_refusal = description;
    // Ended from the event loop: a reply must not end inside its own signal.
    QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
}

void HttpTransfer::failLater(const QString& description)
{
    // Reported from the event loop, like every other end; busy until then.
    m_phase = Phase::Refused;
    m_refusal = description;
    QMetaObject::invokeMethod(this, [this, description, generation = m_generation] {
        if (generation == m_generation) // not a later transfer's
            fail(description);
    }, Qt::QueuedConnection);
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
    if (m_phase == Phase::Idle)
        return;
    if (!m_reply) { // a look-up, or a refusal not yet told
        reset();
        emit cancelled();
        return;
    }
    m_phase = Phase::Cancelling;
    m_reply->abort();
}

void HttpTransfer::reset()
{
    ++m_generation;
    m_deadline.stop();
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
    m_phase = Phase::Idle;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_file.reset(); // removes what it had written
    m_page.clear();
    m_contentType.clear();
    m_buffer = QByteArray();
    m_size = -1;
    m_received = 0;
    m_percent = -1;
    m_refusal.clear();
}

} // namespace varnel
