#pragma once
// Where encoders write until their output is known whole: a folder of the
// run's own inside the output folder (so that the final rename stays on one
// file system), mode 0700, so that no other user can put a link or a file of
// theirs where an encoder writes, even in a folder everyone may write to.
// Everything in it is reached through the folder's descriptor, never through
// its name again.
#include "core/convert/OutputFiles.h"

#include <QSet>
#include <QString>
#include <memory>

namespace varnel::output {

struct PartialFile {
    QString path;  // empty on failure
    QString error;
    QString name;  // inside the folder
    quint64 device = 0, inode = 0; // the file made, to know it again
};

struct PlacedOutput {
    QString path;  // where the file ended up; empty on failure
    QString error;
};

class PartialFolder {
public:
    // Makes the folder; null with the reason in *error.
    static std::shared_ptr<PartialFolder> create(const QString& outputFolder, const RunIdentity& id, QString* error);
    // The folder's path as a plan shows it, without making anything.
    static QString plannedPath(const QString& outputFolder, const RunIdentity& id);
    // The environment variables that tell the encoder adapter which folder
    // is private and which inherited descriptor reaches it: the adapter
    // writes through that descriptor, never looking the folder up by name.
    static constexpr const char* kPathVariable = "VARNEL_PARTIAL_FOLDER";
    static constexpr const char* kDescriptorVariable = "VARNEL_PARTIAL_FOLDER_FD";

    PartialFolder(const PartialFolder&) = delete;
    PartialFolder& operator=(const PartialFolder&) = delete;
    // Whatever is still in it goes, and the folder with it.
    ~PartialFolder();

    QString path() const { return m_path; }
    int descriptor() const { return m_fd; }

    // A new, empty partial for the output, made exclusively.
    PartialFile createPartial(const QString& outputPath);
    // A recording's partial: its encoder finishes it even when this run
    // dies, and a later start places it (see removeStalePartials) under
    // the output's whole name, which a note beside it keeps.
    PartialFile createRecording(const QString& outputPath);
    // The partial (and its note) stay when this folder goes: a recording
    // that could not be placed is still the user's.
    void keep(const PartialFile& partial);
    // Whether the partial is still the regular file that was made.
    bool holds(const PartialFile& partial) const;
    // The partial opened for reading, and for writing too under write (the
    // caller closes it), or -1.
    int openPartial(const PartialFile& partial, bool write = false) const;
    void removePartial(const PartialFile& partial);

    // Renames a finished partial to its output. Under addNew an existing
    // file is never replaced, not even one that appeared during the
    // encoding: the next free "_New" name not in taken (the list's files,
    // the run's other outputs) is used instead. Otherwise the output is
    // replaced, unless it is taken by now. On failure the partial stays
    // where it was.
    PlacedOutput place(const PartialFile& partial, const QString& output, bool addNew, const QString& extension,
                       const TakenFiles& taken = {});

private:
    PartialFolder(QString path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    QString m_path;
    int m_fd;
    int m_sequence = 0;
    QSet<QString> m_kept;
};

// A partial's name for an output: a sequence number, then the output's
// file name with the middle of its base shortened to fit limit bytes. Empty
// when not even a shortened name fits.
QString partialNameFor(const QString& outputName, int sequence, int limit);

} // namespace varnel::output
