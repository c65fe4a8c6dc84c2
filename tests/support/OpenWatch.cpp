#include "OpenWatch.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace varnel::test {

QStringList OpenWatch::command(const QString& program, const QStringList& args) const
{
    // -y: descriptors with their paths, so that a name opened below a
    // folder's descriptor is known by its whole path.
    return QStringList{"-f", "-qq", "-y", "-s", "4096", "-e", "trace=open,openat,openat2,creat,connect,execve",
                       "-o", m_dir.filePath("trace.log"), "--", program} +
           args;
}

QStringList OpenWatch::lines(const char* call) const
{
    QFile log(m_dir.filePath("trace.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression pattern(QStringLiteral("^\\d+\\s+%1\\(").arg(QLatin1String(call)));
    QStringList found;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (pattern.match(QString::fromUtf8(line)).hasMatch())
            found << QString::fromUtf8(line);
    return found;
}

QStringList OpenWatch::opened() const
{
    // openat(AT_FDCWD</cwd>, "name", ... or openat(7</folder>, "name", ...; open("name", ...
    static const QRegularExpression at(QStringLiteral("\\((?:AT_FDCWD|\\d+)(?:<([^>]*)>)?, \"((?:[^\"\\\\]|\\\\.)*)\""));
    static const QRegularExpression plain(QStringLiteral("\\(\"((?:[^\"\\\\]|\\\\.)*)\""));
    QStringList names;
    for (const char* call : {"openat", "openat2"})
        for (const QString& line : lines(call))
            if (const auto m = at.match(line); m.hasMatch())
                names << (QDir::isAbsolutePath(m.captured(2)) || m.captured(1).isEmpty()
                              ? m.captured(2)
                              : m.captured(1) + u'/' + m.captured(2));
    for (const char* call : {"open", "creat"})
        for (const QString& line : lines(call))
            if (const auto m = plain.match(line); m.hasMatch())
                names << m.captured(1);
    return names;
}

QStringList OpenWatch::connected() const
{
    QStringList addresses;
    for (const QString& line : lines("connect"))
        if (line.contains(QLatin1String("AF_INET")))
            addresses << line;
    return addresses;
}

QStringList OpenWatch::openedInside(const QString& folder, const QStringList& allowed) const
{
    const QString root = QDir::cleanPath(folder) + u'/';
    QStringList inside;
    for (const QString& name : opened()) {
        const QString path = QDir::cleanPath(QDir::isAbsolutePath(name) ? name : root + name);
        if ((path + u'/').startsWith(root) && !allowed.contains(path))
            inside << path;
    }
    return inside;
}

bool OpenWatch::traced() const
{
    return !lines("execve").isEmpty();
}

} // namespace varnel::test
