#pragma once
// Everything one converter session works on: the source list, the option
// sheet, the tools it has started, the probe, the preview record and the
// conversion run, wired once. The window, varnel-convert and the tests each
// create one.
#include "core/convert/ConversionRun.h"
#include "core/convert/EncoderList.h"
#include "core/preview/PreviewPlayer.h"
#include "core/preview/ClipEditing.h"
#include "core/profiles/OptionSheet.h"
#include "core/profiles/Presets.h"
#include "core/sources/ListStore.h"
#include "core/sources/MediaProbe.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace varnel {

class ListRecovery;
class Settings;
class ShellServices;
class WindowLock;

inline QString kPlayerUnavailable()
{
    return QCoreApplication::translate("varnel::Workspace", "The media player could not be started, so the files cannot be probed:\n%1");
}
inline QString kNotReadable()
{
    return QCoreApplication::translate("varnel::Workspace", "These files could not be read as media, and were not added:");
}
class UserMessages;

class Workspace : public QObject {
    Q_OBJECT
public:
    // dataFolder empty: the program folder when writable, else the user's
    // data folder.
    Workspace(QString programFolder, ShellServices& shell, UserMessages& messages, QObject* parent = nullptr,
              QString dataFolder = {});
    ~Workspace() override;

    QString programFolder() const { return m_programFolder; }
    // Where settings.dat, curconvert.log and outputs of "0" go.
    QString dataFolder() const { return m_dataFolder; }
    ShellServices& shell() const { return m_shell; }
    // The settings file in the data folder.
    Settings settings() const;
    UserMessages& messages() const { return m_messages; }

    ToolRegistry& tools() { return m_tools; }
    SourceList& list() { return m_list; }
    OptionSheet& sheet() { return m_sheet; }
    // The row the clip editor works on.
    ClipEditing& clipEditing() { return m_clip; }
    // The main window's embedded player.
    PreviewPlayer& player() { return m_player; }
    MediaProbe& probe() { return m_probe; }
    // The installed encoders, asked once (EncoderList::ask) when first needed.
    EncoderList& encoders() { return m_encoders; }
    // The user's presets, read from the data folder when first asked for; a
    // file that cannot be used is set aside and the messages say so.
    PresetStore& presets();
    // Chooses the preset's entry, then its values; nothing is chosen, and
    // the reason comes back, when it cannot be used.
    std::optional<QString> choosePreset(const QString& name);
    ConversionRun& run() { return m_run; }

    // The chosen catalogue entry (0 for none); choosing applies its option set.
    int entryNumber() const { return m_entry; }
    void chooseEntry(int number);

    // Queues the files for their rows and probes, in order.
    void addSources(const QStringList& paths);
    // As addSources, a folder standing for the media files inside it; a file
    // the probe cannot read, or one that names other files, leaves the list
    // again, and once the last of them is probed, those are named with why
    // in one message. Returns the ids of the rows added, in order.
    QList<quint64> addReadableSources(const QStringList& paths);

    // A click on a row of the list: the row's path becomes the preview file
    // and its name and times are shown in the upper groups of the sheet.
    // Nothing happens when no row is selected (row < 0), nor for a row
    // whose file names other files.
    void showItem(int row);

    // Asks the main window's player to quit and stops its clock: a
    // conversion or the clip editor takes over.
    void quitPlayer();

    // Play Selected File: nothing on an empty list; with no row selected
    // (row < 0) the file played last plays again; a row whose file names
    // other files plays nothing.
    void playRow(int row);

    // Hands a row over to the clip editor: the player quits, the clip file
    // and the row's times go into clipEditing().
    // False when the row does not exist or its file names other files.
    bool beginClipEditing(int row);
    // The clip editor's OK: the row it was opened for gets the times as
    // displayed; false when that row has left the list meanwhile.
    bool endClipEditing(const QString& start, const QString& end);

    // Clear All Files, undoable: the rows are kept until the next clear.
    // Returns how many rows went.
    int clearList();
    // Puts the cleared rows back after those there are now; false when
    // there is nothing to put back.
    bool undoClear();
    int clearedCount() const { return static_cast<int>(m_cleared.size()); }

    // A list kept from last time: its rows after those there are (a row that
    // was being converted has no status), its entry and its option values.
    void restoreList(const SavedList& saved);

    // list.json of the data folder becomes this workspace's to read, offer
    // back, keep and remove: only while the lock of that folder is held by
    // this process (false otherwise). The lock outlives the workspace.
    bool ownListFile(const WindowLock& lock);
    // The owner's list of last time, offered through ask (given its number
    // of rows; true restores them); true when restored. From then on the
    // list is kept on disk as it changes.
    bool offerLastList(const std::function<bool(int rows)>& ask);
    // At once: before a run starts.
    void saveListNow();
    // The clean end: nothing to offer back.
    void forgetList();

signals:
    void entryChosen(int number);
    // Something can be put back (count > 0), or no longer can.
    void undoableClear(int count);

private:
    void sayUnreadable();

    QString m_programFolder;
    QString m_dataFolder;
    ShellServices& m_shell;
    UserMessages& m_messages;
    // Declared before their users, so that users are destroyed first.
    ToolRegistry m_tools;
    SourceList m_list;
    OptionSheet m_sheet;
    ClipEditing m_clip;
    PreviewPlayer m_player;
    MediaProbe m_probe;
    EncoderList m_encoders;
    std::optional<PresetStore> m_presets;
    ConversionRun m_run;
    // What Undo brings back; a row not probed yet is probed again.
    struct ClearedRow {
        SourceItem item;
        bool probed = true;
    };
    std::vector<ClearedRow> m_cleared;
    QSet<quint64> m_mustRead;   // rows that stay only if the probe reads them
    QSet<quint64> m_restored;   // rows of a restored list, read again
    QStringList m_unreadable;   // and those it could not read, with why
    int m_entry = 0;
    bool m_playerWarned = false; // once for each batch of files
    // Last: it keeps the list and the sheet above on disk, so it goes first.
    std::unique_ptr<ListRecovery> m_listFile;
};

} // namespace varnel
