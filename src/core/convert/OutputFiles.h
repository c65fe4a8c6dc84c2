#pragma once
// Output names and the partial files an encoder writes before its output is
// known to be whole. A partial lies hidden beside its output and carries the
// identity of the run that made it, so that only that run renames or deletes
// it, and a later run removes it only once its maker is certainly gone.
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

// The partial's name for an output, sequence and identity; the middle of the
// output's base is shortened to fit the folder's name limit. Empty when not
// even a shortened name fits.
QString partialPathFor(const QString& outputPath, const RunIdentity& id, int sequence);

// The identity a partial's file name holds, when the name is one of a
// partial (strictly); pid 0 otherwise.
RunIdentity partialOwner(const QString& fileName);

struct PartialFile {
    QString path;  // empty on failure
    QString error;
    quint64 device = 0, inode = 0; // the file made, to know it again
};

// Whether the partial at its name is still the regular file that was made
// (not a link or another file put in its place by whoever can write to the
// folder).
bool isSameFile(const PartialFile& partial);

// Creates a new, empty partial for the output (exclusively: never one that
// exists, the next sequence number instead).
PartialFile createPartial(const QString& outputPath, const RunIdentity& id);

// Removes the folder's partials whose run is gone; returns how many.
int removeStalePartials(const QString& folder, const RunIdentity& self);

struct PlacedOutput {
    QString path;  // where the file ended up; empty on failure
    QString error;
};

// Renames a finished partial to its output. Under addNew an existing file is
// never replaced, not even one that appeared during the encoding: the next
// free "_New" name not in taken (the paths of the run's other rows) is used
// instead. Otherwise the output is replaced. On failure the partial stays
// where it was.
PlacedOutput placeOutput(const QString& partial, const QString& output, bool addNew, const QString& extension,
                         const QSet<QString>& taken = {});

} // namespace varnel::output
