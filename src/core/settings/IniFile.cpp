#include "core/settings/IniFile.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

QStringList readLines(const QString& filePath)
{
    QFile f(filePath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    QStringList lines = text.split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// "[name]" lines; returns the trimmed name or a null string.
QString sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(u'[')) {
        const int close = t.indexOf(u']');
        if (close > 0)
            return t.mid(1, close - 1).trimmed();
    }
    return {};
}

bool isComment(const QString& line)
{
    const QString t = line.trimmed();
    return t.startsWith(u';');
}

// Index range [begin, end) of the body of the first section with that name.
bool findSection(const QStringList& lines, const QString& section, int& header, int& end)
{
    header = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (name.isNull())
            continue;
        if (header >= 0) {
            end = i;
            return true;
        }
        if (name.compare(section.trimmed(), Qt::CaseInsensitive) == 0)
            header = i;
    }
    end = lines.size();
    return header >= 0;
}

int findKey(const QStringList& lines, int begin, int end, const QString& key)
{
    for (int i = begin; i < end; ++i) {
        if (isComment(lines[i]))
            continue;
        const int eq = lines[i].indexOf(u'=');
        if (eq < 0)
            continue;
        if (lines[i].left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Writes the bytes to a temporary file beside the target, makes sure every
// byte reached the disk, and only then renames it over the target. Any
// failure (a full disk, a size limit, a kill) leaves the old file as it was.
bool replaceFile(const QString& filePath, const QByteArray& bytes)
{
    QByteArray temp = QFile::encodeName(filePath) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    struct stat old{};
    const mode_t mode = ::stat(QFile::encodeName(filePath).constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? n : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), QFile::encodeName(filePath).constData()) == 0;
    if (!ok)
        ::unlink(temp.constData());
    return ok;
}

} // namespace

QString readSetting(const QString& filePath, const QString& section, const QString& key)
{
    const QStringList lines = readLines(filePath);
    int header = 0, end = 0;
    if (!findSection(lines, section, header, end))
        return {};
    const int at = findKey(lines, header + 1, end, key);
    if (at < 0)
        return {};
    const QString& line = lines[at];
    return line.mid(line.indexOf(u'=') + 1).trimmed().left(kSettingReadLimit).trimmed();
}

bool writeSetting(const QString& filePath, const QString& section, const QString& key,
                  const QString& value)
{
    return writeSettings(filePath, section, {{key, value}});
}

bool writeSettings(const QString& filePath, const QString& section,
                   const std::vector<std::pair<QString, QString>>& entries)
{
    QStringList lines = readLines(filePath);
    for (const auto& [key, value] : entries) {
        // A value cannot carry a line break into the file.
        QString stored = value.left(kSettingWriteLimit);
        stored.replace(u'\r', u' ').replace(u'\n', u' ');
        const QString entry = key.trimmed() + u'=' + stored;

        int header = 0, end = 0;
        if (!findSection(lines, section, header, end)) {
            lines << QStringLiteral("[%1]").arg(section.trimmed()) << entry;
            continue;
        }
        const int at = findKey(lines, header + 1, end, key);
        if (at >= 0) {
            lines[at] = lines[at].left(lines[at].indexOf(u'=')) + u'=' + stored;
        } else {
            int insertAt = end;
            while (insertAt > header + 1 && lines[insertAt - 1].trimmed().isEmpty())
                --insertAt;
            lines.insert(insertAt, entry);
        }
    }

    return replaceFile(filePath, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

} // namespace varnel
