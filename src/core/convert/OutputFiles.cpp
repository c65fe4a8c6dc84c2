#include "core/convert/OutputFiles.h"
#include "core/media/AviIndex.h"
#include "core/media/MediaFacts.h"

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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::output {

namespace {

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
// A process's start time in clock ticks (0 when unknown); *dead is set for a
// process that has ended and only waits to be reaped.
quint64 startTicksOf(qint64 pid, bool* dead = nullptr)
{
    const QByteArray stat = readSmallFile(QByteArray("/proc/" + QByteArray::number(pid) + "/stat").constData());
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    if (dead)
        *dead = !fields.isEmpty() && (fields[0] == "Z" || fields[0] == "X");
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
    bool dead = false;
    const quint64 now = startTicksOf(pid, &dead);
    return !dead && (startTicks == 0 || now == 0 || now == startTicks);
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

int utf8Bytes(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

} // namespace

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

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

TakenFiles::TakenFiles(std::initializer_list<QString> paths)
{
    for (const QString& path : paths)
        add(path);
}

void TakenFiles::add(const QString& path)
{
    m_paths.insert(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        m_files.insert({static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)});
}

bool TakenFiles::contains(const QString& path) const
{
    if (m_paths.contains(QDir::cleanPath(QFileInfo(path).absoluteFilePath())))
        return true;
    struct stat st {};
    return !m_files.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           m_files.contains({static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)});
}

QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew,
                      const TakenFiles& taken)
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
           taken.contains(out)) {
        movedAside = movedAside || !pathExists(QFile::encodeName(out)) || isSource(absolute(out)) || taken.contains(out);
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

int renameNoReplace(int fromDir, const QByteArray& from, const QByteArray& to, int toDir)
{
    if (::renameat2(fromDir, from.constData(), toDir, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    // NFS and some other file systems refuse the flag; a hard link never
    // replaces either.
    if (::linkat(fromDir, from.constData(), toDir, to.constData(), 0) == 0) {
        ::unlinkat(fromDir, from.constData(), 0);
        return 0;
    }
    error = errno;
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS)
        return error;
    // No hard links here either (FAT, some FUSE): claim the name
    // exclusively, then replace only that claim.
    const int fd = ::openat(toDir, to.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (::renameat(fromDir, from.constData(), toDir, to.constData()) == 0)
        return 0;
    error = errno;
    ::unlinkat(toDir, to.constData(), 0);
    return error;
}

namespace {

// Whether the folder is one a run of ours made: this user's alone, and
// holding the mark that names it. Whoever may rename things in the output
// folder can give any folder the name of one; nobody but its maker can put
// the mark in it.
bool madeByARun(int fd, const QByteArray& name)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700)
        return false;
    const int mark = ::openat(fd, kPartialFolderMark, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (mark < 0)
        return false;
    char text[256] = {};
    const ssize_t n = ::read(mark, text, sizeof text - 1);
    ::close(mark);
    return n > 0 && QByteArray(text, static_cast<int>(n)) == name;
}

// The name a dead run's recording is placed under: the one its note keeps,
// when that is a plain name, else the partial's own (shortened) one; always
// an AVI's, as it is written.
QString recordedName(int fd, const QString& partial)
{
    QString name = recordingNameIn(partial);
    const int note = ::openat(fd, QFile::encodeName(recordingNoteFor(partial)).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (note >= 0) {
        char text[NAME_MAX + 2] = {};
        const ssize_t n = ::read(note, text, NAME_MAX + 1);
        ::close(note);
        const QByteArray raw(text, n > 0 ? static_cast<int>(n) : 0);
        const QString noted = QFile::decodeName(raw);
        if (n > 0 && n <= NAME_MAX && !raw.contains('/') && !raw.contains('\0') && raw != "." && raw != ".." &&
            QFile::encodeName(noted) == raw)
            name = noted;
    }
    if (!name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive))
        name += QLatin1String(".avi");
    return name;
}

QRegularExpressionMatch matchRecording(const QString& partialName)
{
    // Any name the user gave: hidden ones and ones with line breaks too.
    static const QRegularExpression recording(QStringLiteral("^[0-9]+\\.(.+)\\.recording$"),
                                              QRegularExpression::DotMatchesEverythingOption);
    return recording.match(partialName);
}

// A recording whose run died is the user's: its encoder finished the file
// as the run went (or wrote what it could). When it holds a picture it is
// placed beside the folder under its own name, or the next free one.
// False when it holds a picture that could not be placed: it must stay.
bool recoverRecording(int fd, const QByteArray& file, const QString& folder)
{
    const QString partial = QFile::decodeName(file);
    const auto m = matchRecording(partial);
    if (!m.hasMatch())
        return true;
    // Its encoder may have been killed before it wrote the index; one that
    // cannot be written to is placed as it is.
    int in = ::openat(fd, file.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (in >= 0 && completeAviIndex(in) == AviCompletion::NoFrame) {
        ::close(in);
        return true; // not one whole frame: nothing to keep
    }
    if (in < 0)
        in = ::openat(fd, file.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return true;
    const MediaFacts facts = readMedia(in, m.captured(1), MediaDepth::Streams);
    ::close(in);
    const StreamFacts* video = facts.chosenVideo();
    if (!facts.hasVideo() || !video || !video->hadPackets)
        return true;
    QString target = folder + u'/' + recordedName(fd, partial);
    bool shortened = false;
    for (int tries = 0; tries < 1000; ++tries) {
        // Beside its private folder, wherever that is now.
        const int error = renameNoReplace(fd, file, QFile::encodeName("../" + QFileInfo(target).fileName()), fd);
        if (error == ENAMETOOLONG && !shortened) {
            // Its whole name taken, and no room for a "_New": the partial's shorter one.
            shortened = true;
            target = folder + u'/' + recordingNameIn(partial);
            continue;
        }
        if (error != EEXIST)
            return error == 0;
        target = nextNewName(target, u'.' + QFileInfo(target).suffix());
    }
    return false;
}

// Empties a private folder of a dead run of ours and removes it. Only
// regular files are taken; a folder it did not make is left alone.
bool removePrivateFolder(int parent, const QByteArray& name, const QString& folder)
{
    const int fd = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A run whose encoder still holds the folder is not over, whatever
    // became of its program.
    const bool inUse = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    DIR* inside = !inUse && madeByARun(fd, name) ? ::fdopendir(fd) : nullptr;
    if (!inside) {
        ::close(fd);
        return false;
    }
    // A run of ours leaves regular files only: anything else and the folder
    // is not taken apart.
    QList<QByteArray> files;
    bool onlyFiles = true;
    while (const dirent* entry = ::readdir(inside)) {
        const QByteArray name(entry->d_name);
        struct stat file {};
        if (name == "." || name == "..")
            continue;
        if (::fstatat(fd, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(file.st_mode))
            files << name;
        else
            onlyFiles = false;
    }
    // A recording not placed stays for a later start, with its note and
    // the folder's mark.
    if (onlyFiles) {
        QSet<QByteArray> kept;
        for (const QByteArray& name : files)
            if (!recoverRecording(fd, name, folder))
                kept << name << QFile::encodeName(recordingNoteFor(QFile::decodeName(name))) << kPartialFolderMark;
        for (const QByteArray& name : files)
            if (!kept.contains(name))
                ::unlinkat(fd, name.constData(), 0);
    }
    ::closedir(inside);
    if (!onlyFiles)
        return false;
    return ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
}

} // namespace

int removeStalePartials(const QString& folder, const RunIdentity& self)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    QList<QByteArray> staleFolders;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        const QString name = QFile::decodeName(raw);
        // A name that does not survive decoding is none of ours.
        if (QFile::encodeName(name) == raw && isStale(partialFolderOwner(name), self))
            staleFolders << raw;
    }
    int removed = 0;
    for (const QByteArray& raw : staleFolders)
        removed += removePrivateFolder(::dirfd(dir), raw, folder) ? 1 : 0;
    ::closedir(dir);
    return removed;
}

QString recordingNameIn(const QString& partialName)
{
    const auto m = matchRecording(partialName);
    if (!m.hasMatch())
        return {};
    QString name = m.captured(1);
    if (!name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive))
        name += QLatin1String(".avi");
    return name;
}

QString recordingNoteFor(const QString& partialName)
{
    return partialName.left(partialName.indexOf(u'.')) + QStringLiteral(".name");
}

RunIdentity partialFolderOwner(const QString& name)
{
    static const QRegularExpression re(
        QStringLiteral("^\\.varnel-([0-9a-f]{16}-[0-9a-f]{12}-[1-9][0-9]{0,9}-[0-9]{1,20})\\.[A-Za-z0-9]{6}$"));
    const QRegularExpressionMatch m = re.match(name);
    return m.hasMatch() ? RunIdentity::fromText(m.captured(1)) : RunIdentity();
}

} // namespace varnel::output
