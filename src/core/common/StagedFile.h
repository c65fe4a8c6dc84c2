#pragma once
// A file that appears under its name only when it is whole: written to a
// hidden file beside it, flushed to disk, then renamed over the name. Any
// failure removes the hidden file and keeps an older file of that name.
// The writer holds a lock on its hidden file until it is placed or gone, so
// the hidden files a killed writer left are told apart, and the next writer
// into the folder removes them.
// Unlike QSaveFile, a failed write says the system's reason ("No space left
// on device"), not "Unknown error".
#include <QString>

namespace varnel {

class StagedFile {
public:
    // owner, when given, goes into the hidden file's name, so that a later
    // run can tell the leftover of a run that died from one still writing.
    explicit StagedFile(QString path, QString owner = {});
    ~StagedFile(); // removes the hidden file unless committed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    enum class Placing { Replace, BesideOnly };
    // BesideOnly: a file already under the name stays, and the commit fails
    // (EEXIST) instead of taking its place.
    bool commit(Placing placing = Placing::Replace);
    // Placed under the name, or, where a file is there already, under
    // "name (2).ext", "name (3).ext"...: nothing is ever replaced. path()
    // is then the name taken.
    bool commitUnderFreeName(int tries = 1000);
    QString path() const { return m_path; }
    // The same for a whole file another program wrote: moved from its name to
    // the first free one; 0, or the system's error.
    static int placeUnderFreeName(const QByteArray& from, const QString& wanted, int tries, QString* placed);
    void cancel();
    // "cannot write <path>: <reason>" after a failure.
    QString errorString() const { return m_error; }

    // Removes the hidden files in the folder whose writers are gone: no lock
    // held on them, and unchanged for a while (a writer locks its file just
    // after making it). Returns how many went.
    static int removeLeftovers(const QString& folder);

    // Why the folder cannot hold a file of this name (its UTF-8 bytes against
    // the folder's name limit), or the hidden file of this owner it is
    // written to first; empty when it can.
    static QString nameRefusal(const QString& path, const QString& owner = {});

private:
    bool flush();
    void closePlaced();
    bool failWith(int error);

    QString m_path;
    QString m_owner;
    QByteArray m_staged; // the hidden file's path, as the system takes it
    static constexpr qint64 kWriteBackStep = 8 << 20;
    int m_fd = -1;
    qint64 m_written = 0;
    qint64 m_writtenBack = 0; // handed to the disk so far
    QString m_error;
};

} // namespace varnel
