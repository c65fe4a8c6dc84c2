#include "core/common/StagedFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

// A hidden file unlocked for this long has no writer: the lock is taken
// right after the file is made.
constexpr time_t kLeftoverSeconds = 10;

bool isStagedName(const char* name)
{
    const size_t length = std::strlen(name);
    return std::strncmp(name, ".varnel-", 8) == 0 && length > 13 && std::strcmp(name + length - 5, ".part") == 0;
}

} // namespace

int StagedFile::removeLeftovers(const QString& folder)
{
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isStagedName(entry->d_name))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat held {}, named {};
        // Only a file of ours that nobody writes any more, and still the
        // one under that name once the lock is ours.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_mtime + kLeftoverSeconds < now &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir); // closes dirFd
    return removed;
}

StagedFile::StagedFile(QString path, QString owner) : m_path(std::move(path)), m_owner(std::move(owner)) {}

StagedFile::~StagedFile()
{
    cancel();
}

QString StagedFile::nameRefusal(const QString& path, const QString& owner)
{
    const QFileInfo info(path);
    // Room for " (999)" too, the most a name that is taken grows by, and for
    // the hidden name it is written under first.
    const qsizetype hidden = QStringLiteral("/.varnel-%1.ffffffffffffffff.download").arg(owner).toUtf8().size();
    const qsizetype folder = QFile::encodeName(info.absolutePath()).size();
    if (const qsizetype whole = std::max(QFile::encodeName(info.absoluteFilePath()).size() + 6, folder + hidden);
        whole >= PATH_MAX)
        return QCoreApplication::translate("varnel::StagedFile", "the path in %1 is longer than this system holds (%2 bytes, fewer than %3)")
            .arg(info.path())
            .arg(whole)
            .arg(PATH_MAX);
    const long limit = ::pathconf(QFile::encodeName(info.path()).constData(), _PC_NAME_MAX);
    const qsizetype bytes = QFile::encodeName(info.fileName()).size();
    if (limit <= 0 || bytes <= limit) // no folder yet: opening it will say why
        return {};
    return QCoreApplication::translate("varnel::StagedFile", "the name %1 is longer than this folder holds (%2 bytes, at most %3)")
        .arg(info.fileName())
        .arg(bytes)
        .arg(limit);
}

bool StagedFile::open()
{
    cancel();
    m_error.clear();
    removeLeftovers(QFileInfo(m_path).path());
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).path());
    // A short fixed-length name: it fits wherever the final name fits.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_staged = folder + "/.varnel-" + (m_owner.isEmpty() ? QByteArray() : m_owner.toLatin1() + '.') +
                   QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".part";
        m_fd = ::open(m_staged.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int error = errno;
        m_staged.clear(); // never ours to remove
        return failWith(error);
    }
    // Held until the file is placed or gone: while it is, no other writer
    // takes it for a leftover.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    return true;
}

bool StagedFile::write(const char* data, qint64 size)
{
    if (m_fd < 0)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failWith(n < 0 ? errno : ENOSPC);
        data += n;
        size -= n;
        m_written += n;
    }
    // Writing back as it comes, so that the flush before the rename finds
    // little left to do; the flush alone reports errors.
    if (m_written - m_writtenBack >= kWriteBackStep) {
        ::sync_file_range(m_fd, m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
        m_writtenBack = m_written;
    }
    return true;
}

bool StagedFile::flush()
{
    if (m_fd < 0)
        return false;
    // A full disk may only show here (delayed allocation, network folders).
    if (::fsync(m_fd) != 0)
        return failWith(errno);
    return true;
}

void StagedFile::closePlaced()
{
    // Closed only once placed: until then the lock says the file is written.
    // Its bytes are on the disk already (flush), whatever close says.
    ::close(std::exchange(m_fd, -1));
    m_written = m_writtenBack = 0;
}

bool StagedFile::commit(Placing placing)
{
    const QByteArray target = QFile::encodeName(m_path);
    // A file replaced keeps its permissions, as an overwrite would; a link
    // is replaced itself, and its target's are none of ours.
    struct stat old {};
    if (placing == Placing::Replace && m_fd >= 0 && ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(m_fd, old.st_mode & 0777);
    if (!flush())
        return false;
    const int moved = placing == Placing::Replace
                          ? ::rename(m_staged.constData(), target.constData())
                          : ::renameat2(AT_FDCWD, m_staged.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (moved != 0)
        return failWith(errno);
    m_staged.clear();
    closePlaced();
    return true;
}

bool StagedFile::commitUnderFreeName(int tries)
{
    if (!flush())
        return false;
    QString placed;
    if (const int error = placeUnderFreeName(m_staged, m_path, tries, &placed); error != 0)
        return failWith(error);
    m_path = placed;
    m_staged.clear();
    closePlaced();
    return true;
}

int StagedFile::placeUnderFreeName(const QByteArray& from, const QString& wanted, int tries, QString* placed)
{
    const QFileInfo info(wanted);
    const QString base = info.path() + u'/' + info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int n = 1; n <= tries; ++n) {
        const QString target = n == 1 ? wanted : QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(target).constData(), RENAME_NOREPLACE) ==
            0) {
            *placed = target;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

void StagedFile::cancel()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_written = m_writtenBack = 0;
    if (!m_staged.isEmpty())
        ::unlink(m_staged.constData());
    m_staged.clear();
}

bool StagedFile::failWith(int error)
{
    cancel();
    m_error = QCoreApplication::translate("varnel::StagedFile", "cannot write %1: %2").arg(m_path, qt_error_string(error));
    return false;
}

} // namespace varnel
