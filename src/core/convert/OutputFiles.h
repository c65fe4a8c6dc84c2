#pragma once
// Output names, and who made the partial files an encoder writes before its
// output is known to be whole: a run's private folder carries its identity,
// so that a later run removes it only once its maker is certainly gone.
#include <QSet>
#include <QString>

namespace varnel::output {

inline const QString kOutputNameTooLong = QStringLiteral("the output name is too long for this file system");

// The file name less its last extension. A name with nothing but dots before
// its last dot (".profile") is its own base, so a base is never empty.
QString baseNameOf(const QString& fileName);

// The next name of the "_New" chain: clip.mp4 -> clip_New.mp4.
QString nextNewName(const QString& path, const QString& extension);

// outputFolder/<base of the source><extension>, moved along the "_New" chain
// while a file exists there (addNew only) or the path is taken: the source
// itself, or an absolute path in taken (also when it is the same file under
// another name).
QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew,
                      const QSet<QString>& taken = {});

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

// The identity an old-style partial's file name holds (a hidden file beside
// its output, as earlier versions wrote them), when the name is one
// strictly; pid 0 otherwise.
RunIdentity partialOwner(const QString& fileName);

// The identity in the name of a run's private folder, when it is one
// strictly; pid 0 otherwise.
RunIdentity partialFolderOwner(const QString& name);

// Removes the folder's partials whose run is gone, the private folders
// (see PartialFolder) and the hidden partial files earlier versions left;
// returns how many.
int removeStalePartials(const QString& folder, const RunIdentity& self);

// The text within budget bytes of UTF-8: whole when it fits, else its head
// and tail around a "~", cut between characters. Null when not even "~" fits.
QString fitMiddle(const QString& text, int budget);

QString errorText(int error);

} // namespace varnel::output
