#pragma once
// The list kept on disk while the program runs, so that a crash or a power
// cut loses no work: list.json in the data folder holds each row, the chosen
// entry and the option sheet's values. A clean exit removes it.
#include <QCoreApplication>
#include <QByteArray>
#include <QObject>
#include <QString>
#include "core/sources/SourceList.h"
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QTimer;

namespace varnel {

class OptionSheet;

struct SavedList {
    std::vector<SourceItem> rows;
    int entry = 0;
    std::vector<std::pair<QString, QString>> sheet; // "Group/Row" and its value
};

QByteArray listToJson(const SourceList& list, int entry, const OptionSheet& sheet);
// nullopt, with the reason, for anything that is not a list this program
// wrote: damaged, foreign, or out of its ranges.
std::optional<SavedList> listFromJson(const QByteArray& json, QString* reason = nullptr);

inline QString kRestoreQuestion()
{
    return QCoreApplication::translate("varnel::ListStore", "Restore the %1 files of the list from last time?");
}
inline QString kListSetAside()
{
    return QCoreApplication::translate("varnel::ListStore", "The list from last time could not be read (%1); it was set aside as %2.");
}

// Saves the list whenever it changes, at most once a second; at once when
// asked (before a run starts).
class ListKeeper : public QObject {
    Q_OBJECT
public:
    ListKeeper(QString dataFolder, const SourceList& list, const OptionSheet& sheet, std::function<int()> entry,
               QObject* parent = nullptr);

    QString filePath() const;
    // Something changed: a save within the second.
    void changed();
    void saveNow();
    // The clean exit: nothing to restore next time. Further changes are not kept.
    void discard();
    // Sets the file aside as list.json.bad; returns that path.
    QString setAside();

private:
    QString m_dataFolder;
    const SourceList& m_list;
    const OptionSheet& m_sheet;
    std::function<int()> m_entry;
    QTimer* m_timer;
    bool m_discarded = false;
};

} // namespace varnel
