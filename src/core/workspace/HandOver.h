#pragma once
// A second start of the program hands its files to the live window of the
// same user, display and data folder, and ends. The message carries each
// path as the system's bytes (a name in no encoding arrives as it was), each
// made absolute by the sender; whatever arrives is checked, never trusted.
#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>

namespace varnel {

class WindowLock;

namespace handover {
constexpr qsizetype kMostBytes = 32 << 20;
constexpr int kMostFiles = 100000;
} // namespace handover

// Empty when the files are more than one message may carry.
QByteArray handOverMessage(const QList<QByteArray>& absolutePaths);
// A message is whole once it ends so.
bool isWholeHandOver(const QByteArray& received);
// nullopt for anything that is not such a message: damaged, cut short, too
// big, or with a path that is not absolute or holds a zero byte.
std::optional<QList<QByteArray>> filesFromHandOver(const QByteArray& message);

// The live window's end: answers at the lock's socket. Each valid hand-over
// is answered and its connection closed first; the receiver gets its files
// afterwards, from the event loop and never inside the socket's handler, so
// that it may show a box for as long as the user takes. A message sent again
// by a start that gave up waiting reaches the receiver once.
class HandOverServer : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const QStringList& paths)>;
    // Whether the window takes files now (not while it is closing: the next
    // start then waits for the lock instead). Files are taken when left out.
    using Accepting = std::function<bool()>;
    explicit HandOverServer(QObject* parent = nullptr);

    // Only the holder of the lock listens; a socket file left by a window
    // that died is removed first. False, with errorString(), when it cannot.
    bool listen(const WindowLock& lock);
    QString errorString() const { return m_server.errorString(); }
    // Files handed over before there is a receiver wait for it.
    void setReceiver(Receiver receiver, Accepting accepting = {});

private:
    void acceptAll();
    void take(class QLocalSocket* socket, const QByteArray& message);
    void deliver(const QStringList& paths);

    QLocalServer m_server;
    Receiver m_receiver;
    Accepting m_accepting;
    QList<QStringList> m_waiting;
    QSet<QByteArray> m_taken; // the messages taken, by their hashes
    int m_open = 0;
};

// How a start ends up.
enum class Start {
    Window,     // it holds the lock: it is the window
    HandedOver, // the window took its files
    NoAnswer,   // a window holds the lock but did not take them in time
    Unguarded,  // no private folder: a window without the lock
};
// Takes the lock, or hands the files to the window that holds it; tried
// again for patienceMs while that window is still starting or ending.
Start startOrHandOver(WindowLock& lock, const QList<QByteArray>& absolutePaths, int patienceMs);

// The program's arguments as the system's bytes, each relative one joined to
// the current folder.
QList<QByteArray> absoluteArguments(int argc, char** argv);

} // namespace varnel
