#include "core/convert/PartialFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::output {

namespace {

QString prefixFor(const QString& outputFolder, const RunIdentity& id)
{
    return outputFolder + QStringLiteral("/.varnel-") + id.text() + u'.';
}


} // namespace

QString partialNameFor(const QString& outputName, int sequence, int limit)
{
    const QString stem = baseNameOf(outputName);
    const QString head = QString::number(sequence) + u'.';
    const QString tail = outputName.mid(stem.size());
    const QString fitted = fitMiddle(stem, limit - static_cast<int>((head + tail).toUtf8().size()));
    return fitted.isNull() ? QString() : head + fitted + tail;
}

QString PartialFolder::plannedPath(const QString& outputFolder, const RunIdentity& id)
{
    return prefixFor(outputFolder, id) + QStringLiteral("000000");
}

namespace {

// A folder just made: this user's, private, and empty.
bool freshlyMade(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700 || st.st_nlink != 2)
        return false;
    DIR* inside = ::fdopendir(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!inside)
        return false;
    ::rewinddir(inside); // a duplicate shares the reading position
    bool empty = true;
    while (const dirent* entry = ::readdir(inside))
        empty = empty && (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0);
    ::closedir(inside);
    return empty;
}

} // namespace

std::shared_ptr<PartialFolder> PartialFolder::create(const QString& outputFolder, const RunIdentity& id, QString* error)
{
    QByteArray name;
    int fd = -1;
    // Whoever may rename things in the output folder can swap the folder
    // just made for another between its making and its opening: a few
    // more tries, each under a new name.
    for (int attempt = 0; attempt < 5 && fd < 0; ++attempt) {
        name = QFile::encodeName(prefixFor(outputFolder, id)) + "XXXXXX";
        if (!::mkdtemp(name.data())) { // mode 0700, a name nobody can guess or hold beforehand
            *error = errno == ENAMETOOLONG ? kOutputNameTooLong() : errorText(errno);
            return nullptr;
        }
        // Private whatever the umask took away; a link put in its place is
        // not followed.
        ::fchmodat(AT_FDCWD, name.constData(), 0700, AT_SYMLINK_NOFOLLOW);
        // Known from now on by its descriptor alone.
        fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 && !freshlyMade(fd)) {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0)
            ::rmdir(name.constData()); // only an empty one goes: ours, or nobody's loss
    }
    if (fd < 0) {
        *error = QCoreApplication::translate("varnel::PartialFolder", "the folder %1 was replaced while it was made").arg(QFile::decodeName(name));
        return nullptr;
    }
    // Held as long as this run, or an encoder it handed the folder to, has
    // it open: a run whose program died but whose encoder still writes is
    // not over. Best effort: a file system without locks has no such test.
    ::flock(fd, LOCK_EX | LOCK_NB);
    // The mark that lets a later run tell it from a folder renamed to look
    // like one.
    const QByteArray leaf = name.mid(name.lastIndexOf('/') + 1);
    const int mark = ::openat(fd, kPartialFolderMark, O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool marked = mark >= 0 && ::write(mark, leaf.constData(), static_cast<size_t>(leaf.size())) == leaf.size();
    if (mark >= 0)
        ::close(mark);
    if (!marked) {
        *error = errorText(errno);
        ::unlinkat(fd, kPartialFolderMark, 0);
        ::rmdir(name.constData());
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<PartialFolder>(new PartialFolder(QFile::decodeName(name), fd));
}

PartialFolder::~PartialFolder()
{
    if (DIR* inside = ::fdopendir(::fcntl(m_fd, F_DUPFD_CLOEXEC, 0))) {
        ::rewinddir(inside); // a duplicate shares the reading position
        while (const dirent* entry = ::readdir(inside)) {
            struct stat st {};
            if (::fstatat(m_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
                !m_kept.contains(QFile::decodeName(entry->d_name)))
                ::unlinkat(m_fd, entry->d_name, 0);
        }
        ::closedir(inside);
    }
    // By name, under whatever name it has now, and only the folder this run
    // made: another is not ours to remove.
    char current[PATH_MAX + 1] = {};
    const QByteArray fdPath = "/proc/self/fd/" + QByteArray::number(m_fd);
    const ssize_t length = ::readlink(fdPath.constData(), current, PATH_MAX);
    const QByteArray name = length > 0 ? QByteArray(current, static_cast<int>(length)) : QFile::encodeName(m_path);
    struct stat here {}, made {};
    if (::fstat(m_fd, &made) == 0 && ::lstat(name.constData(), &here) == 0 && here.st_dev == made.st_dev &&
        here.st_ino == made.st_ino)
        ::rmdir(name.constData());
    ::close(m_fd);
}

PartialFile PartialFolder::createPartial(const QString& outputPath)
{
    const long limit = ::fpathconf(m_fd, _PC_NAME_MAX);
    for (int attempts = 0; attempts < 1000; ++attempts) {
        const QString name = partialNameFor(QFileInfo(outputPath).fileName(), m_sequence++, limit > 0 ? static_cast<int>(limit) : 255);
        if (name.isEmpty())
            return {{}, kOutputNameTooLong(), {}};
        const int fd = ::openat(m_fd, QFile::encodeName(name).constData(),
                                O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            ::fstat(fd, &st);
            ::close(fd);
            return {m_path + u'/' + name, {}, name, static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
        }
        if (errno == ENAMETOOLONG)
            return {{}, kOutputNameTooLong(), {}};
        if (errno != EEXIST)
            return {{}, errorText(errno), {}};
    }
    return {{}, errorText(EEXIST), {}};
}

PartialFile PartialFolder::createRecording(const QString& outputPath)
{
    PartialFile partial = createPartial(outputPath + kRecordingSuffix);
    if (partial.path.isEmpty())
        return partial;
    // The partial's name may be shortened to fit: a later start takes the
    // whole name from here.
    const QByteArray note = QFile::encodeName(recordingNoteFor(partial.name));
    const QByteArray name = QFile::encodeName(QFileInfo(outputPath).fileName());
    const int fd = ::openat(m_fd, note.constData(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool written = fd >= 0 && ::write(fd, name.constData(), static_cast<size_t>(name.size())) == name.size();
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!written) {
        removePartial(partial);
        ::unlinkat(m_fd, note.constData(), 0);
        return {{}, errorText(error), {}};
    }
    return partial;
}

void PartialFolder::keep(const PartialFile& partial)
{
    // The mark too: without it no later start would take the folder apart.
    m_kept << partial.name << recordingNoteFor(partial.name) << QString::fromLatin1(kPartialFolderMark);
}

bool PartialFolder::holds(const PartialFile& partial) const
{
    struct stat st {};
    return !partial.name.isEmpty() &&
           ::fstatat(m_fd, QFile::encodeName(partial.name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(st.st_mode) && static_cast<quint64>(st.st_dev) == partial.device &&
           static_cast<quint64>(st.st_ino) == partial.inode;
}

int PartialFolder::openPartial(const PartialFile& partial, bool write) const
{
    if (partial.name.isEmpty())
        return -1;
    const int fd = ::openat(m_fd, QFile::encodeName(partial.name).constData(),
                            (write ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || static_cast<quint64>(st.st_ino) != partial.inode ||
                    static_cast<quint64>(st.st_dev) != partial.device)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void PartialFolder::removePartial(const PartialFile& partial)
{
    if (!partial.name.isEmpty())
        ::unlinkat(m_fd, QFile::encodeName(partial.name).constData(), 0);
}

PlacedOutput PartialFolder::place(const PartialFile& partial, const QString& output, bool addNew,
                                  const QString& extension, const TakenFiles& taken)
{
    const QByteArray from = QFile::encodeName(partial.name);
    auto failure = [&](int error, const QString& to) -> PlacedOutput {
        if (error == ENAMETOOLONG)
            return {{}, kOutputNameTooLong()};
        return {{}, QCoreApplication::translate("varnel::PartialFolder", "cannot rename %1 to %2: %3").arg(partial.path, to, errorText(error))};
    };
    // Beside this folder, wherever it is now: an output folder renamed, or
    // replaced by a link, meanwhile does not send the file elsewhere.
    const QString folder = QFileInfo(output).path();
    const int parent = folder == QFileInfo(m_path).path() ? ::openat(m_fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    const std::unique_ptr<const int, void (*)(const int*)> closing(&parent, [](const int* fd) {
        if (*fd >= 0)
            ::close(*fd);
    });
    const int toDir = parent >= 0 ? parent : AT_FDCWD;
    const auto at = [&](const QString& target) {
        return QFile::encodeName(parent >= 0 ? QFileInfo(target).fileName() : target);
    };
    // Where it went: by the name given, unless that names another folder by now.
    const auto placed = [&](const QString& target) -> PlacedOutput {
        struct stat named {}, real {};
        if (parent < 0 || (::stat(QFile::encodeName(folder).constData(), &named) == 0 && ::fstat(parent, &real) == 0 &&
                           named.st_dev == real.st_dev && named.st_ino == real.st_ino))
            return {target, {}};
        char now[PATH_MAX + 1] = {};
        const QByteArray fdPath = "/proc/self/fd/" + QByteArray::number(parent);
        const ssize_t n = ::readlink(fdPath.constData(), now, PATH_MAX);
        const QString here = n > 0 ? QFile::decodeName(QByteArray(now, static_cast<int>(n))) : folder;
        return {here + u'/' + QFileInfo(target).fileName(), {}};
    };
    if (!addNew && !taken.contains(output)) {
        if (::renameat(m_fd, from.constData(), toDir, at(output).constData()) == 0)
            return placed(output);
        return failure(errno, output);
    }
    QString target = output;
    for (;;) {
        while (taken.contains(target))
            target = nextNewName(target, extension);
        const int error = renameNoReplace(m_fd, from, at(target), toDir);
        if (error == 0)
            return placed(target);
        if (error != EEXIST)
            return failure(error, target);
        target = nextNewName(target, extension);
    }
}

} // namespace varnel::output
