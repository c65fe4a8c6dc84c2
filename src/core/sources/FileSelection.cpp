#include "core/sources/FileSelection.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>

namespace varnel {

const std::vector<FileFilter>& openDialogFilters()
{
    static const QString kAllMedia = [] {
        const QStringList ext = {"avi", "wmv", "wma", "asf", "mov", "mp4", "3gp", "3g2", "rm", "rmvb", "flv", "mkv",
                                 "m2ts", "m1v", "mpe", "mpg", "mpeg", "m2v", "divx", "ogm", "vro", "dr", "amv", "ms-dvr",
                                 "dvr-ms", "m4v", "qt", "3gp2", "3gpp", "mpeg4", "rv", "f4v", "avs", "mts", "tod", "mpv",
                                 "dat", "mpeg1", "vob", "mpeg2", "m2p", "mod", "ts", "tp", "m2t", "ogv", "ogg", "nsv"};
        QStringList patterns;
        for (const QString& e : ext)
            patterns << QStringLiteral("*.") + e;
        return patterns.join(u';');
    }();
    // # | Description | Pattern
    static const std::vector<FileFilter> filters = {
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "All supported media files"), kAllMedia},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Windows Media files (*.avi;*.wmv;*.wma;*.asf;*.ms-dvr;*.dvr-ms)"), "*.avi;*.wmv;*.wma;*.asf;*.ms-dvr;*.dvr-ms"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Mov/MP4 Files (*.mov;*.mp4;*.3gp;*.3g2;*.m4v;*.qt;*.3gp2;*.3gpp;*.mpeg4)"), "*.mov;*.mp4;*.3gp;*.3g2;*.m4v;*.qt;*.3gp2;*.3gpp;*.mpeg4"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Real Media Files (*.rm;*.rmvb;*.rv)"), "*.rm;*.rmvb;*.rv"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Flash Video files (*.flv;*.f4v)"), "*.flv;*.f4v"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Matroska Video files (*.mkv)"), "*.mkv"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "AviSynth Scripts (*.avs)"), "*.avs"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Sony High Definition Video File (*.m2ts;*.mts;*.tod)"), "*.m2ts;*.mts;*.tod"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "MPEG-1 Video File (*.m1v;*.mpe;*.mpg;*.mpeg;*.mpv;*.dat;*.mpeg1)"), "*.m1v;*.mpe;*.mpg;*.mpeg;*.mpv;*.dat;*.mpeg1"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "MPEG-2 Video File (*.m2v;*.mpe;*.mpg;*.mpeg;*.mpv;*.vob;*.mpeg2;*.m2p;*.mod)"), "*.m2v;*.mpe;*.mpg;*.mpeg;*.vob;*.mpeg2;*.m2p;*.mod"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "MPEG Transport Stream Files (*.ts;*.tp;*.m2t)"), "*.ts;*.tp;*.m2t"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Divx Video File (*.divx)"), "*.divx"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Ogg Media File (*.ogm;*.ogv;*.ogg)"), "*.ogm;*.ogv;*.ogg"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "DVD-VR Video File(*.vro)"), "*.vro"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Nullsoft Stream Video Files (*.nsv)"), "*.nsv"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "Other Video File(*.dr;*.amv)"), "*.dr;*.amv"},
        {QT_TRANSLATE_NOOP("varnel::FileSelection", "All files (*.*)"), "*.*"},
    };
    return filters;
}

QString openDialogFilterText()
{
    QString out;
    for (const FileFilter& f : openDialogFilters())
        out += f.description + u'|' + f.pattern + u'|';
    return out;
}

QStringList openDialogNameFilters()
{
    // Qt takes the patterns from the last parentheses, blank-separated; the
    // dialog hides that part, so the user reads each description as it is.
    QStringList out;
    for (const FileFilter& f : openDialogFilters()) {
        QString patterns = f.pattern;
        patterns.replace(u';', u' ');
        out << QStringLiteral("%1 (%2)").arg(QCoreApplication::translate("varnel::FileSelection", f.description.toUtf8().constData()), patterns);
    }
    return out;
}

bool isAcceptedDrop(const QString& path)
{
    const QString upper = path.toUpper();
    static const QStringList three = {"AVI", "MPG", "WMV", "FLV", "ASF", "MOV", "MP4", "3GP", "3G2", "SWF", "MKV"};
    static const QStringList two = {"QT", "RM"};
    static const QStringList four = {"MPEG", "RMVB", "DIVX"};
    return three.contains(upper.right(3)) || two.contains(upper.right(2)) || four.contains(upper.right(4));
}

QStringList withFoldersOpened(const QStringList& paths)
{
    // What the open dialog offers as media, and what browsers save.
    static const QStringList patterns = [] {
        QStringList out = openDialogFilters().front().pattern.split(u';');
        out << QStringLiteral("*.webm") << QStringLiteral("*.mka") << QStringLiteral("*.mp3");
        return out;
    }();
    QStringList out;
    for (const QString& p : paths) {
        if (!QFileInfo(p).isDir()) {
            out << p;
            continue;
        }
        QStringList inside;
        QDirIterator it(p, patterns, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
        while (it.hasNext())
            inside << it.next();
        inside.sort();
        out << inside;
    }
    return out;
}

} // namespace varnel
