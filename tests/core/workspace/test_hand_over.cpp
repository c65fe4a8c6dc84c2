// A second start's message to the live window, and the lock that says which
// process is that window.
#include "core/workspace/HandOver.h"
#include "core/workspace/WindowLock.h"
#include "core/workspace/Workspace.h"
#include "TestSupport.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace varnel;

TEST(HandOver, EveryNameArrivesAsItsBytes)
{
    const QList<QByteArray> paths = {"/v/plain.mp4", "/v/with blank\nand newline.mkv", "/v/\xff\xfe latin1 \xe9.avi",
                                     "/v/caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.mp4", "/v/-dash 'quote' $x `y`.ts"};
    EXPECT_EQ(filesFromHandOver(handOverMessage(paths)), paths);
    EXPECT_EQ(filesFromHandOver(handOverMessage({})), QList<QByteArray>()) << "a start without files raises the window";
}

TEST(HandOver, AnythingElseIsRefusedWhole)
{
    const QByteArray good = handOverMessage({"/v/a.mp4"});
    const QByteArray many = handOverMessage(QList<QByteArray>(handover::kMostFiles, "/v/a.mp4"));
    ASSERT_FALSE(many.isEmpty());
    const struct {
        const char* what;
        QByteArray message;
    } refused[] = {
        {"garbage", QByteArrayLiteral("\x00\xff\x13garbage\nend\n")},
        {"another header", "varnel-hand-over 2\n" + QByteArray("/v/a.mp4").toBase64() + "\nend\n"},
        {"cut short", good.chopped(1)},
        {"a relative path", handOverMessage({"v/a.mp4"})},
        {"an empty path", "varnel-hand-over 1\n\nend\n"},
        {"a zero byte", handOverMessage({QByteArray("/v/a\0b", 6)})},
        {"not base64", "varnel-hand-over 1\n/v/a.mp4\nend\n"},
        {"one file too many", many.chopped(4) + QByteArray("/v/a.mp4").toBase64() + "\nend\n"},
        {"too big", "varnel-hand-over 1\n" + QByteArray(handover::kMostBytes, 'A') + "\nend\n"},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(filesFromHandOver(r.message)) << r.what;
    EXPECT_EQ(filesFromHandOver(many)->size(), handover::kMostFiles);
    EXPECT_TRUE(handOverMessage(QList<QByteArray>(handover::kMostFiles + 1, "/v/a.mp4")).isEmpty());
}

TEST(WindowLock, OneHolderForEachDisplayAndDataFolder)
{
    QTemporaryDir data, other;
    auto first = std::make_unique<WindowLock>(data.path(), ":7+");
    WindowLock second(data.path(), ":7+");
    WindowLock otherFolder(other.path(), ":7+");
    WindowLock otherDisplay(data.path(), ":8+");
    ASSERT_TRUE(first->tryTake()) << first->problem().toStdString();
    EXPECT_FALSE(second.tryTake());
    EXPECT_EQ(second.socketPath(), first->socketPath());
    EXPECT_TRUE(otherFolder.tryTake());
    EXPECT_TRUE(otherDisplay.tryTake());
    EXPECT_NE(otherFolder.socketPath(), first->socketPath());
    EXPECT_NE(otherDisplay.socketPath(), first->socketPath());
    first.reset();
    EXPECT_TRUE(second.tryTake()) << "the lock is free once its holder has ended";
}

TEST(WindowLock, WithoutARuntimeFolderAStrangerCannotTakeTheLocksFolderFirst)
{
    // No XDG_RUNTIME_DIR: a folder another user made first in the shared
    // temporary folder (here one of ours that is open to others, as theirs
    // would be foreign) used to leave no lock and no list.
    QTemporaryDir data, temp, home;
    const QByteArray saved[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("TMPDIR"), qgetenv("HOME"), qgetenv("XDG_CACHE_HOME")};
    const auto restore = qScopeGuard([&] {
        const char* names[] = {"XDG_RUNTIME_DIR", "TMPDIR", "HOME", "XDG_CACHE_HOME"};
        for (int i = 0; i < 4; ++i)
            saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
    });
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CACHE_HOME");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    qputenv("HOME", QFile::encodeName(home.path()));
    for (const QString& taken : {QString("varnel-video-converter-%1").arg(::geteuid()), QString("varnel-video-converter")}) {
        ASSERT_TRUE(QDir(temp.path()).mkdir(taken));
        QFile::setPermissions(temp.filePath(taken), QFileDevice::Permissions(0x7777));
    }
    WindowLock lock(data.path(), ":7+");
    EXPECT_TRUE(lock.tryTake()) << lock.problem().toStdString();
    EXPECT_TRUE(lock.socketPath().startsWith(home.path() + "/.cache/varnel-video-converter/")) << lock.socketPath().toStdString();
    EXPECT_EQ(QFileInfo(home.path() + "/.cache/varnel-video-converter").permissions() & 0x0077, 0) << "private to the user";
}

TEST(WindowLock, OnlyOneWindowOfADataFolderKeepsItsListWhateverItsDisplay)
{
    // Two windows on two displays (or two runtime folders) share a data
    // folder: only the first reads and keeps list.json.
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    WindowLock here(folder.path(), ":7+"), there(folder.path(), ":8+");
    ASSERT_TRUE(here.tryTake() && there.tryTake());
    auto first = std::make_unique<Workspace>(folder.path(), shell, messages, nullptr, folder.path());
    Workspace second(folder.path(), shell, messages, nullptr, folder.path());
    EXPECT_TRUE(first->ownListFile(here));
    EXPECT_FALSE(second.ownListFile(there));
    first.reset();
    EXPECT_TRUE(second.ownListFile(there)) << "free once its keeper has ended";
}

TEST(HandOver, AMessageSentAgainAfterASlowAnswerIsTakenOnce)
{
    QTemporaryDir data;
    WindowLock lock(data.path(), ":9+");
    ASSERT_TRUE(lock.tryTake());
    HandOverServer server;
    ASSERT_TRUE(server.listen(lock));
    int taken = 0;
    server.setReceiver([&](const QStringList&) { ++taken; });
    auto send = [&](const QByteArray& message) {
        QLocalSocket socket;
        socket.connectToServer(lock.socketPath());
        socket.write(message);
        EXPECT_TRUE(test::waitFor([&] { return socket.bytesAvailable() > 0; }, 30000));
        return socket.readAll();
    };
    const QByteArray message = handOverMessage({"/v/a.mp4"});
    const QByteArray answer = send(message);
    EXPECT_FALSE(answer.isEmpty());
    EXPECT_EQ(send(message), answer) << "the same start's message, again";
    EXPECT_FALSE(test::waitFor([&] { return taken > 1; }, 2000));
    EXPECT_EQ(taken, 1);
    send(handOverMessage({"/v/a.mp4"}));
    EXPECT_TRUE(test::waitFor([&] { return taken == 2; }, 30000)) << "another start with the same file is its own";
}

TEST(HandOver, TheSenderIsAnsweredAndLetGoBeforeTheWindowActsOnTheFiles)
{
    QTemporaryDir data;
    WindowLock lock(data.path(), ":9+");
    ASSERT_TRUE(lock.tryTake());
    HandOverServer server;
    ASSERT_TRUE(server.listen(lock));
    QLocalSocket sender;
    QByteArray heard;
    bool letGo = false;
    QObject::connect(&sender, &QLocalSocket::readyRead, [&] { heard += sender.readAll(); });
    QObject::connect(&sender, &QLocalSocket::disconnected, [&] { letGo = true; });
    QList<QStringList> received;
    QByteArray heardFirst;
    server.setReceiver([&](const QStringList& paths) {
        // A box the user answers late: the event loop runs meanwhile, and the
        // sender has had its answer and been let go by then.
        test::waitFor([&] { return letGo; }, 30000);
        heardFirst = heard;
        received << paths;
    });
    sender.connectToServer(lock.socketPath());
    sender.write(handOverMessage({"/v/a.mp4"}));
    ASSERT_TRUE(test::waitFor([&] { return !received.isEmpty(); }, 60000));
    EXPECT_EQ(heardFirst, "taken\n");
    EXPECT_EQ(received, QList<QStringList>{{"/v/a.mp4"}});

    // While the window is closing it takes nothing, and its receiver hears nothing.
    server.setReceiver([&](const QStringList& paths) { received << paths; }, [] { return false; });
    QLocalSocket late;
    late.connectToServer(lock.socketPath());
    late.write(handOverMessage({"/v/b.mp4"}));
    ASSERT_TRUE(test::waitFor([&] { return late.state() == QLocalSocket::UnconnectedState; }, 30000));
    EXPECT_EQ(late.readAll(), "busy\n");
    EXPECT_EQ(received.size(), 1);
}
