#include "core/workspace/HandOver.h"

#include "core/workspace/WindowLock.h"

#include <QDeadlineTimer>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <climits>
#include <utility>
#include <unistd.h>

namespace varnel {

namespace {

// "varnel-hand-over 1", a line of base64 for each path, "end".
const QByteArray kHeader = QByteArrayLiteral("varnel-hand-over 1\n");
const QByteArray kEnd = QByteArrayLiteral("end\n");
const QByteArray kTaken = QByteArrayLiteral("taken\n");
const QByteArray kBusy = QByteArrayLiteral("busy\n");
constexpr int kMostAtOnce = 8;         // connections one window serves together
constexpr int kConnectionMs = 10000;   // a sender that says nothing more is dropped
constexpr int kAnswerMs = 10000;       // a window that is busy this long is asked again
constexpr int kRetryMs = 100;

void drop(QLocalSocket* socket)
{
    QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
    socket->abort();
    socket->deleteLater();
}

enum class Answer { Taken, Busy, None };

Answer handOver(const QString& socketPath, const QByteArray& message)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(1000))
        return Answer::None;
    socket.write(message);
    QByteArray answer;
    const QDeadlineTimer deadline(kAnswerMs);
    while (!deadline.hasExpired()) {
        const int ms = int(deadline.remainingTime());
        const bool progressed = socket.bytesToWrite() > 0 ? socket.waitForBytesWritten(ms) : socket.waitForReadyRead(ms);
        answer += socket.read(16 - answer.size());
        if (!progressed || answer.endsWith('\n') || answer.size() >= 16)
            break;
    }
    return answer == kTaken ? Answer::Taken : answer == kBusy ? Answer::Busy : Answer::None;
}

} // namespace

QByteArray handOverMessage(const QList<QByteArray>& absolutePaths)
{
    if (absolutePaths.size() > handover::kMostFiles)
        return {};
    // Each start's own mark: a message sent again after a window was slow to
    // answer is known as the same one, and taken once.
    QByteArray message = kHeader + '#' + QByteArray::number(QRandomGenerator::system()->generate64(), 16) + '\n';
    for (const QByteArray& path : absolutePaths)
        message += path.toBase64() + '\n';
    message += kEnd;
    return message.size() <= handover::kMostBytes ? message : QByteArray();
}

bool isWholeHandOver(const QByteArray& received)
{
    return received.endsWith(kEnd);
}

std::optional<QList<QByteArray>> filesFromHandOver(const QByteArray& message)
{
    if (message.size() > handover::kMostBytes || !message.startsWith(kHeader) || !isWholeHandOver(message))
        return std::nullopt;
    const QByteArray body = message.sliced(kHeader.size(), message.size() - kHeader.size() - kEnd.size());
    QList<QByteArray> lines = body.isEmpty() ? QList<QByteArray>() : body.chopped(1).split('\n');
    if (!lines.isEmpty() && lines.front().startsWith('#') && lines.front().size() <= 64)
        lines.removeFirst(); // the start's mark
    if (lines.size() > handover::kMostFiles || (!body.isEmpty() && !body.endsWith('\n')))
        return std::nullopt;
    QList<QByteArray> paths;
    for (const QByteArray& line : lines) {
        const auto decoded = QByteArray::fromBase64Encoding(line, QByteArray::AbortOnBase64DecodingErrors);
        const QByteArray& path = decoded.decoded;
        if (!decoded || !path.startsWith('/') || path.contains('\0'))
            return std::nullopt;
        paths << path;
    }
    return paths;
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &HandOverServer::acceptAll);
}

bool HandOverServer::listen(const WindowLock& lock)
{
    if (!lock.isHeld())
        return false;
    // Holding the lock, nobody else can be answering there: what is there
    // was left by a window that died.
    QLocalServer::removeServer(lock.socketPath());
    return m_server.listen(lock.socketPath());
}

void HandOverServer::setReceiver(Receiver receiver, Accepting accepting)
{
    m_receiver = std::move(receiver);
    m_accepting = std::move(accepting);
    if (m_receiver)
        for (const QStringList& paths : std::exchange(m_waiting, {}))
            m_receiver(paths);
}

void HandOverServer::acceptAll()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (m_open >= kMostAtOnce) {
            drop(socket);
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kConnectionMs, socket, [socket] { drop(socket); });
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket, received = QByteArray()]() mutable {
            received += socket->read(handover::kMostBytes + 1 - received.size());
            if (received.size() > handover::kMostBytes)
                drop(socket);
            else if (isWholeHandOver(received))
                take(socket, received);
        });
    }
}

void HandOverServer::take(QLocalSocket* socket, const QByteArray& message)
{
    const auto files = filesFromHandOver(message);
    if (!files) {
        drop(socket);
        return;
    }
    QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
    const QByteArray mark = QCryptographicHash::hash(message, QCryptographicHash::Sha256);
    const bool again = m_taken.contains(mark); // sent again by a start that gave up waiting
    const bool taken = again || !m_accepting || m_accepting();
    // The sender hears at once: whatever the window does with the files
    // (a question, a message) may wait for the user as long as it likes.
    socket->write(taken ? kTaken : kBusy);
    socket->disconnectFromServer();
    if (!taken || again)
        return;
    if (m_taken.size() >= 1024)
        m_taken.clear();
    m_taken.insert(mark);
    QStringList paths;
    for (const QByteArray& path : *files)
        paths << QFile::decodeName(path);
    // Outside this handler: the socket may be gone by the time a box the
    // receiver shows is answered.
    QMetaObject::invokeMethod(this, [this, paths] { deliver(paths); }, Qt::QueuedConnection);
}

void HandOverServer::deliver(const QStringList& paths)
{
    if (m_receiver)
        m_receiver(paths);
    else
        m_waiting << paths;
}

Start startOrHandOver(WindowLock& lock, const QList<QByteArray>& absolutePaths, int patienceMs)
{
    if (!lock.problem().isEmpty())
        return Start::Unguarded;
    const QByteArray message = handOverMessage(absolutePaths);
    if (message.isEmpty()) // more than any window takes at once
        return lock.tryTake() ? Start::Window : Start::NoAnswer;
    const QDeadlineTimer deadline(patienceMs);
    for (;;) {
        if (lock.tryTake())
            return Start::Window;
        // The holder may not listen yet, or be closing: then the lock is
        // asked for again.
        if (handOver(lock.socketPath(), message) == Answer::Taken)
            return Start::HandedOver;
        if (deadline.hasExpired())
            return Start::NoAnswer;
        QThread::msleep(kRetryMs);
    }
}

QList<QByteArray> absoluteArguments(int argc, char** argv)
{
    char here[PATH_MAX];
    const QByteArray folder = ::getcwd(here, sizeof here) ? QByteArray(here) : QByteArray();
    QList<QByteArray> paths;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        // Relative to a folder that is gone, it names nothing.
        if (arg.isEmpty() || (!arg.startsWith('/') && folder.isEmpty()))
            continue;
        paths << (arg.startsWith('/') ? arg : folder + (folder.endsWith('/') ? "" : "/") + arg);
    }
    return paths;
}

} // namespace varnel
