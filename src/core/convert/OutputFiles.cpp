#include "core/convert/OutputFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::output {

namespace {

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray readSmallFile(const char* path)
{
    QFile f(QString::fromLatin1(path));
    return f.open(QIODevice::ReadOnly) ? f.read(4096).trimmed() : QByteArray();
}

QString shortHash(const QByteArray& data, int digits)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().left(digits));
}

// Field 22 of /proc/<pid>/stat; 0 when it cannot be read. The fields are
// counted after the last ')', since the command name may hold spaces and
// parentheses.
quint64 startTicksOf(qint64 pid)
{
    const QByteArray stat = readSmallFile(QByteArray("/proc/" + QByteArray::number(pid) + "/stat").constData());
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    constexpr int kStartTime = 22 - 3; // the first field after ')' is field 3
    return fields.size() > kStartTime ? fields[kStartTime].toULongLong() : 0;
}

// Whether that process may still run. Any doubt (a process we may not look
// at, a start time nobody could read) counts as alive: a partial kept too
// long costs space, one deleted under a live encoder costs its output.
bool processLives(qint64 pid, quint64 startTicks)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return false;
    const quint64 now = startTicksOf(pid);
    return startTicks == 0 || now == 0 || now == startTicks;
}

bool pathExists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

const QRegularExpression& identityPattern()
{
    static const QRegularExpression re(
        QStringLiteral("^([0-9a-f]{16})-([0-9a-f]{12})-([1-9][0-9]{0,9})-([0-9]{1,20})$"));
    return re;
}

// "." stem "." identity "." sequence ".partial" extension, nothing looser:
// a user's file that merely looks similar is never taken for a partial.
const QRegularExpression& partialPattern()
{
    static const QRegularExpression re(
        QStringLiteral("^\\.(.+)\\.([0-9a-f]{16}-[0-9a-f]{12}-[1-9][0-9]{0,9}-[0-9]{1,20})\\.(0|[1-9][0-9]{0,8})"
                       "\\.partial(\\.[^.]*)?$"),
        QRegularExpression::DotMatchesEverythingOption);
    return re;
}

int utf8Bytes(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// The text within budget bytes of UTF-8: whole when it fits, else its head
// and tail around a "~", cut between characters. Null when not even "~" fits.
QString fitMiddle(const QString& text, int budget)
{
    if (text.toUtf8().size() <= budget)
        return text;
    if (budget < 1)
        return {};
    const QList<uint> chars = text.toUcs4();
    const int room = budget - 1;
    int used = 0;
    qsizetype head = 0;
    while (head < chars.size() && used + utf8Bytes(chars[head]) <= (room + 1) / 2)
        used += utf8Bytes(chars[head++]);
    qsizetype tail = chars.size();
    while (tail > head && used + utf8Bytes(chars[tail - 1]) <= room)
        used += utf8Bytes(chars[--tail]);
    const auto* data = reinterpret_cast<const char32_t*>(chars.constData());
    return QString::fromUcs4(data, head) + u'~' + QString::fromUcs4(data + tail, chars.size() - tail);
}

// Moves from to to without ever replacing a file at to; 0 or the errno.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    // NFS and some other file systems refuse the flag; a hard link never
    // replaces either.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    error = errno;
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS)
        return error;
    // No hard links here either (FAT, some FUSE): claim the name
    // exclusively, then replace only that claim.
    const int fd = ::open(to.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (::rename(from.constData(), to.constData()) == 0)
        return 0;
    error = errno;
    ::unlink(to.constData());
    return error;
}

} // namespace

QString baseNameOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    for (qsizetype i = 0; i < dot; ++i)
        if (fileName[i] != u'.')
            return fileName.left(dot);
    return fileName;
}

QString nextNewName(const QString& path, const QString& extension)
{
    const QFileInfo info(path);
    return info.path() + u'/' + baseNameOf(info.fileName()) + QStringLiteral("_New") + extension;
}

QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew,
                      const QSet<QString>& taken)
{
    auto absolute = [](const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); };
    const QString source = absolute(sourcePath);
    // The source itself is never written over, whatever the policy and
    // whatever name (a linked folder) it is reached by: an encoder cannot
    // read and replace the same file.
    struct stat sourceStat;
    const bool sourceKnown = ::stat(QFile::encodeName(source).constData(), &sourceStat) == 0;
    auto isSource = [&](const QString& path) {
        struct stat st;
        return path == source
               || (sourceKnown && ::stat(QFile::encodeName(path).constData(), &st) == 0
                   && st.st_dev == sourceStat.st_dev && st.st_ino == sourceStat.st_ino);
    };
    QString out = outputFolder + u'/' + baseNameOf(QFileInfo(sourcePath).fileName()) + extension;
    // A name moved aside is a new name under either policy: it never takes
    // the place of a file that is there (say, the user's own clip_New.mp4).
    bool movedAside = false;
    while (((addNew || movedAside) && pathExists(QFile::encodeName(out))) || isSource(absolute(out)) ||
           taken.contains(absolute(out))) {
        movedAside = movedAside || !pathExists(QFile::encodeName(out)) || isSource(absolute(out)) ||
                     taken.contains(absolute(out));
        out = nextNewName(out, extension);
    }
    return out;
}

int nameLimit(const QString& folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 && limit < INT_MAX ? static_cast<int>(limit) : 255;
}

bool nameFits(const QString& path)
{
    const QFileInfo info(path);
    return QFile::encodeName(info.fileName()).size() <= nameLimit(info.path());
}

RunIdentity RunIdentity::ofProcess(qint64 pid)
{
    // The machine-id alone does not tell apart clones of one image, nor
    // pid namespaces of one host, whose pids mean different processes: the
    // host name and the pid namespace are part of "this machine".
    QByteArray machineId = readSmallFile("/etc/machine-id");
    if (machineId.isEmpty())
        machineId = readSmallFile("/var/lib/dbus/machine-id");
    char host[HOST_NAME_MAX + 1] = {};
    ::gethostname(host, sizeof host - 1);
    char pidNamespace[64] = {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", pidNamespace, sizeof pidNamespace - 1);
    if (n < 0)
        pidNamespace[0] = 0;

    RunIdentity id;
    id.machine = shortHash("varnel machine\n" + machineId + '\n' + host + '\n' + pidNamespace, 16);
    id.boot = shortHash("varnel boot\n" + readSmallFile("/proc/sys/kernel/random/boot_id"), 12);
    id.pid = pid;
    id.startTicks = startTicksOf(pid);
    return id;
}

RunIdentity RunIdentity::current() { return ofProcess(::getpid()); }

QString RunIdentity::text() const
{
    return QStringLiteral("%1-%2-%3-%4").arg(machine, boot).arg(pid).arg(startTicks);
}

RunIdentity RunIdentity::fromText(const QString& text)
{
    const QRegularExpressionMatch m = identityPattern().match(text);
    RunIdentity id;
    bool pidOk = false, ticksOk = false;
    const qint64 pid = m.hasMatch() ? m.captured(3).toLongLong(&pidOk) : 0;
    const quint64 ticks = m.hasMatch() ? m.captured(4).toULongLong(&ticksOk) : 0;
    if (!pidOk || !ticksOk || pid <= 0 || pid > INT_MAX)
        return id;
    id.machine = m.captured(1);
    id.boot = m.captured(2);
    id.pid = pid;
    id.startTicks = ticks;
    return id;
}

bool isStale(const RunIdentity& owner, const RunIdentity& self)
{
    if (owner.pid <= 0 || owner.machine.isEmpty() || owner.machine != self.machine)
        return false;
    return owner.boot != self.boot || !processLives(owner.pid, owner.startTicks);
}

QString partialPathFor(const QString& outputPath, const RunIdentity& id, int sequence)
{
    const QFileInfo info(outputPath);
    const QString name = info.fileName();
    const QString stem = baseNameOf(name);
    const QString tail =
        u'.' + id.text() + u'.' + QString::number(sequence) + QStringLiteral(".partial") + name.mid(stem.size());
    const QString fitted = fitMiddle(stem, nameLimit(info.path()) - 1 - static_cast<int>(tail.toUtf8().size()));
    return fitted.isNull() ? QString() : info.path() + QStringLiteral("/.") + fitted + tail;
}

RunIdentity partialOwner(const QString& fileName)
{
    const QRegularExpressionMatch m = partialPattern().match(fileName);
    return m.hasMatch() ? RunIdentity::fromText(m.captured(2)) : RunIdentity();
}

PartialFile createPartial(const QString& outputPath, const RunIdentity& id)
{
    // Runs of one process share an identity; the sequence keeps their
    // partials apart.
    for (int sequence = 0; sequence < 100000; ++sequence) {
        const QString path = partialPathFor(outputPath, id, sequence);
        if (path.isEmpty())
            return {{}, kOutputNameTooLong};
        const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            struct stat st {};
            ::fstat(fd, &st);
            ::close(fd);
            return {path, {}, static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
        }
        if (errno == ENAMETOOLONG)
            return {{}, kOutputNameTooLong};
        if (errno != EEXIST)
            return {{}, errorText(errno)};
    }
    return {{}, errorText(EEXIST)};
}

bool isSameFile(const PartialFile& partial)
{
    struct stat st {};
    return !partial.path.isEmpty() && ::lstat(QFile::encodeName(partial.path).constData(), &st) == 0 &&
           S_ISREG(st.st_mode) && static_cast<quint64>(st.st_dev) == partial.device &&
           static_cast<quint64>(st.st_ino) == partial.inode;
}

int removeStalePartials(const QString& folder, const RunIdentity& self)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    QList<QByteArray> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        const QString name = QFile::decodeName(raw);
        // A name that does not survive decoding is none of ours.
        if (QFile::encodeName(name) == raw && isStale(partialOwner(name), self))
            stale << raw;
    }
    int removed = 0;
    for (const QByteArray& raw : stale) {
        struct stat st;
        if (::fstatat(::dirfd(dir), raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
            && ::unlinkat(::dirfd(dir), raw.constData(), 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

PlacedOutput placeOutput(const QString& partial, const QString& output, bool addNew, const QString& extension,
                         const QSet<QString>& taken)
{
    const QByteArray from = QFile::encodeName(partial);
    auto failure = [&](int error, const QString& to) -> PlacedOutput {
        if (error == ENAMETOOLONG)
            return {{}, kOutputNameTooLong};
        return {{}, QStringLiteral("cannot rename %1 to %2: %3").arg(partial, to, errorText(error))};
    };
    if (!addNew) {
        if (::rename(from.constData(), QFile::encodeName(output).constData()) == 0)
            return {output, {}};
        return failure(errno, output);
    }
    auto isTaken = [&](const QString& path) {
        return taken.contains(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    };
    QString target = output;
    for (;;) {
        while (isTaken(target))
            target = nextNewName(target, extension);
        const int error = renameNoReplace(from, QFile::encodeName(target));
        if (error == 0)
            return {target, {}};
        if (error != EEXIST)
            return failure(error, target);
        target = nextNewName(target, extension);
    }
}

} // namespace varnel::output
