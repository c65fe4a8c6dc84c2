#include "core/workspace/WindowLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace varnel {

namespace {

// A folder only this user can enter: a real folder (no link), owned by us,
// closed to group and others.
bool isPrivateFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

// Ours inside base (made when missing); empty, with the reason, when it is
// not private.
QString ownFolderIn(const QString& base, const QString& name, QString* why)
{
    const QString folder = base + u'/' + name;
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("cannot make %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    if (!isPrivateFolder(folder)) {
        *why = QStringLiteral("%1 is not a private folder of this user").arg(folder);
        return {};
    }
    return folder;
}

// The user's cache folder ($XDG_CACHE_HOME, else ~/.cache), made private
// when missing. Only the user can make folders in it, so nobody can make
// ours first, as anyone can in the shared temporary folder.
QString cacheHome(QString* why)
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home)) {
            *why = QStringLiteral("there is neither XDG_RUNTIME_DIR nor a home folder");
            return {};
        }
        cache = home + QStringLiteral("/.cache");
    }
    cache = QDir::cleanPath(cache);
    ::mkdir(QFile::encodeName(cache).constData(), 0700);
    struct stat st {};
    if (::stat(QFile::encodeName(cache).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 022) != 0) {
        *why = QStringLiteral("%1 is not a folder of this user that only this user can change").arg(cache);
        return {};
    }
    return cache;
}

// The same folder, however it is reached: its device and inode.
QByteArray folderIdentity(const QString& folder)
{
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) == 0)
        return QByteArray::number(quint64(st.st_dev), 16) + ':' + QByteArray::number(quint64(st.st_ino), 16);
    return QFile::encodeName(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

// Letters, digits, '.', '-' and '_' only: the display as part of a file name.
QString safeForName(const QString& text)
{
    QString safe;
    for (const QChar c : text.left(24))
        safe += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'-' ? c : QChar(u'_');
    return safe;
}

} // namespace

WindowLock::WindowLock(const QString& dataFolder, const QString& display) : m_dataFolder(dataFolder)
{
    // The display is spelled out for whoever looks; the hash tells displays
    // and data folders apart exactly.
    const QByteArray who = display.toUtf8() + '\n' + folderIdentity(dataFolder);
    const QString name = QStringLiteral("window-%1-%2").arg(
        safeForName(display),
        QString::fromLatin1(QCryptographicHash::hash(who, QCryptographicHash::Sha256).toHex().left(16)));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString why;
    QString folder;
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        folder = ownFolderIn(runtime, QStringLiteral("varnel-video-converter"), &why);
    // A socket's path has room for sizeof(sun_path) - 1 bytes only, and a
    // private socket is first bound under a somewhat longer temporary name.
    const auto fits = [&](const QString& f) {
        return QFile::encodeName(f + u'/' + name + QStringLiteral(".socket")).size() + 16 <
               qsizetype(sizeof(sockaddr_un::sun_path));
    };
    if (folder.isEmpty() || !fits(folder)) {
        const QString cache = cacheHome(&why);
        folder = cache.isEmpty() ? QString() : ownFolderIn(cache, QStringLiteral("varnel-video-converter"), &why);
    }
    if (!folder.isEmpty() && !fits(folder)) {
        why = QStringLiteral("the path of %1 is too long for a socket").arg(folder);
        folder.clear();
    }
    if (folder.isEmpty())
        m_problem = why;
    else
        m_base = folder + u'/' + name;
}

WindowLock::~WindowLock()
{
    if (m_fd < 0)
        return;
    // Held, nobody else answers at the socket: what is there is ours, or
    // was left by a window that died.
    ::unlink(QFile::encodeName(socketPath()).constData());
    // Removed while still held: whoever opened it meanwhile sees, after
    // locking, that it is no longer the file under the name.
    ::unlink(QFile::encodeName(lockPath()).constData());
    ::close(m_fd);
}

bool WindowLock::tryTake()
{
    if (m_fd >= 0)
        return true;
    if (m_base.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(lockPath());
    // Close-on-exec: a tool the window starts must not keep the lock after it.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat held {}, named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 || ::lstat(path.constData(), &named) != 0 ||
        held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

QString WindowLock::sessionDisplay()
{
    return qEnvironmentVariable("DISPLAY") + u'+' + qEnvironmentVariable("WAYLAND_DISPLAY");
}

} // namespace varnel
