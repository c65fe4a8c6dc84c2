#include "HttpServer.h"

#include <QTimer>

#include <QRegularExpression>
#include <QTcpSocket>

namespace varnel::test {

HttpServer::HttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = m_server.nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

QString HttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void HttpServer::serve(QTcpSocket* socket)
{
    // A request may come in pieces: kept on the socket until it is whole.
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("request", QByteArray());
    const QList<QByteArray> lines = request.split('\n');
    const QByteArray path = lines.value(0).split(' ').value(1);
    requests << path;
    QByteArray encoding;
    for (const QByteArray& line : lines)
        if (line.toLower().startsWith("accept-encoding:"))
            encoding = line.mid(16).trimmed();
    acceptEncodings << encoding;
    const QString route = QString::fromLatin1(path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?')));
    const HttpResponse r = m_routes.contains(QString::fromLatin1(path))
                               ? m_routes.value(QString::fromLatin1(path))
                               : m_routes.value(route, HttpResponse{404, "Not Found", "<html>no such page</html>", "text/html"});

    QByteArray body = r.body;
    QByteArray extra;
    int status = r.status;
    QByteArray reason = r.reason;
    static const QRegularExpression range(QStringLiteral("(?i)^range:\\s*bytes=(\\d+)-(\\d*)"));
    for (const QByteArray& line : lines) {
        const auto m = range.match(QString::fromLatin1(line.trimmed()));
        if (m.hasMatch() && status == 200 && !r.stall) {
            const qint64 from = m.captured(1).toLongLong();
            const qint64 to = m.captured(2).isEmpty() ? body.size() - 1 : std::min<qint64>(m.captured(2).toLongLong(), body.size() - 1);
            extra = QStringLiteral("Content-Range: bytes %1-%2/%3\r\n").arg(from).arg(to).arg(body.size()).toLatin1();
            body = body.mid(from, to - from + 1);
            status = 206;
            reason = "Partial Content";
        }
    }
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    out += "Content-Type: " + r.contentType + "\r\nAccept-Ranges: bytes\r\n" + extra + r.headers;
    if (r.sendLength)
        out += "Content-Length: " + QByteArray::number(r.claimedLength >= 0 ? r.claimedLength : body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    socket->write(out);
    if (r.stall)
        return; // the client waits for a body that never comes
    if (r.trickleMs > 0) { // never silent, never done
        auto* drip = new QTimer(socket);
        QObject::connect(drip, &QTimer::timeout, socket, [socket, body, at = qsizetype(0)]() mutable {
            if (at < body.size())
                socket->write(body.mid(at++, 1));
        });
        drip->start(r.trickleMs);
        return;
    }
    socket->write(body);
    socket->disconnectFromHost();
}

} // namespace varnel::test
