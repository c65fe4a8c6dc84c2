#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the downloader's tests: routes by
// path, byte ranges (MPlayer asks for them), and the ways a server can fail.
#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QTcpServer>

namespace varnel::test {

struct HttpResponse {
    int status = 200;
    QByteArray reason = "OK";
    QByteArray body;
    QByteArray contentType = "application/octet-stream";
    bool sendLength = true;   // a Content-Length header
    qint64 claimedLength = -1; // when set, the length sent in place of the body's own
    bool stall = false;        // headers, then silence with the connection open
    QByteArray headers = {};   // more header lines, each ending in CRLF ("Location: /b\r\n")
    int trickleMs = 0;         // when set, the body a byte at a time, one each this many ms
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    HttpServer();
    QString url(const QString& path) const;
    void route(const QString& path, const HttpResponse& response) { m_routes[path] = response; }
    // Request targets as they arrived, byte for byte.
    QList<QByteArray> requests;
    // Each request's Accept-Encoding, in the same order; empty when it sent none.
    QList<QByteArray> acceptEncodings;

private:
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    QMap<QString, HttpResponse> m_routes;
};

} // namespace varnel::test
