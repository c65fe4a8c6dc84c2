#pragma once
// Output names, and who made the partial files an encoder writes before its
// output is known to be whole: a run's private folder carries its identity,
// so that a later run removes it only once its maker is certainly gone.
#include <QCoreApplication>
#include <QPair>
#include <fcntl.h>
#include <QSet>
#include <initializer_list>
#include <QString>

namespace varnel::output {

inline QString kOutputNameTooLong()
{
    return QCoreApplication::translate("varnel::OutputFiles", "the output name is too long for this file system");
}

// The file name less its last extension. A name with nothing but dots before
// its last dot (".profile") is its own base, so a base is never empty.
QString baseNameOf(const QString& fileName);

// The next name of the "_New" chain: clip.mp4 -> clip_New.mp4.
QString nextNewName(const QString& path, const QString& extension);

// Paths an output may never take, such as the list's files and the run's
// outputs: known by name and, where they exist, as files, so that the same
// file reached by another name (a linked folder, a link) is taken too.
class TakenFiles {
public:
    TakenFiles() = default;
    TakenFiles(std::initializer_list<QString> paths);
    void add(const QString& path);
    bool contains(const QString& path) const;

private:
    QSet<QString> m_paths;
    QSet<QPair<quint64, quint64>> m_files; // device and inode
};

// outputFolder/<base of the source><extension>, moved along the "_New" chain
// while a file exists there (addNew only) or the path is taken: the source
// itself, or a path in taken, by whatever name.
QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew,
                      const TakenFiles& taken = {});

// The longest file name, in bytes, that the folder's file system accepts.
int nameLimit(const QString& folder);

// Whether the path's file name fits its folder's file system.
bool nameFits(const QString& path);

// Who made a partial: enough for another process, here or on another
// machine sharing the folder, to tell whether that run still lives.
struct RunIdentity {
    QString machine;       // 16 hex digits: this machine, and this process's pid namespace on it
    QString boot;          // 12 hex digits: this boot of that machine
    qint64 pid = 0;
    quint64 startTicks = 0; // the process's start, in clock ticks since boot: tells a reused pid apart

    // This process.
    static RunIdentity current();
    // Another process of this machine; startTicks 0 when it cannot be read.
    static RunIdentity ofProcess(qint64 pid);

    QString text() const;
    // The identity a text() gave; pid 0 when the text is not one.
    static RunIdentity fromText(const QString& text);

    bool operator==(const RunIdentity&) const = default;
};

// Whether the run that made a partial is certainly gone, as seen by self:
// same machine, and another boot or no such process any more. A run of
// another machine is never stale.
bool isStale(const RunIdentity& owner, const RunIdentity& self);

// The identity in the name of a run's private folder, when it is one
// strictly; pid 0 otherwise.
RunIdentity partialFolderOwner(const QString& name);

// The file in a run's private folder that marks it as the run's own: it
// holds the folder's name.
inline constexpr const char* kPartialFolderMark = ".made-by-varnel";

// Removes the private folders (see PartialFolder) of this folder whose run
// is gone and which that run marked as its own; returns how many.
// A recording's partial (kRecordingSuffix) that holds a picture is placed
// beside the folder first, never removed.
int removeStalePartials(const QString& folder, const RunIdentity& self);

// What a recording's partial name ends in.
inline const QString kRecordingSuffix = QStringLiteral(".recording");
// The note beside a recording's partial that holds the output's name: the
// partial's sequence number and ".name".
QString recordingNoteFor(const QString& partialName);
// The output's name as a recording's partial name holds it (shortened, when
// it had to be), as an AVI's; empty when the name is not a recording's.
QString recordingNameIn(const QString& partialName);

// Moves a file to "to" (in toDir, when relative) without ever replacing a
// file there; 0 or the errno.
int renameNoReplace(int fromDir, const QByteArray& from, const QByteArray& to, int toDir = AT_FDCWD);

// The text within budget bytes of UTF-8: whole when it fits, else its head
// and tail around a "~", cut between characters. Null when not even "~" fits.
QString fitMiddle(const QString& text, int budget);

QString errorText(int error);

} // namespace varnel::output
