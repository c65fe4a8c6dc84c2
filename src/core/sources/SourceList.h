#pragma once
// The list of files to convert. Rows keep the order they were added in;
// every cell is text.
#include "core/media/MediaFacts.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

namespace varnel {

struct SourceItem {
    enum Column { FileName, Start, End, Size, Format, Status, VideoTime, ColumnCount };
    QString tag;                             // the source path, hidden
    std::array<QString, ColumnCount> cells;  // "File Name" holds the path too
    QString statusReason;                    // why the row failed; its Status cell's tool tip
    // The row's own, for as long as it is in the list, whatever rows come and
    // go before it.
    quint64 id = 0;
    // The player's exact length behind the cells (negative: none), and what
    // reading the file itself found: its streams.
    double lengthSeconds = -1;
    MediaFacts media;
    bool mediaRead = false;
    bool clipSet = false; // the user chose the clip (the clip editor's OK, a command's times)
    // Converted already ("OK"), by a run of this session or restored so from
    // an earlier one: a run leaves it alone unless the user asks. Any new
    // status or clip ends it.
    enum class Converted { No, LastSession, ThisSession };
    Converted converted = Converted::No;

    const QString& path() const { return cells[FileName]; }
};

class SourceList : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SourceList(QObject* parent = nullptr);

    static QStringList headers();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    int count() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // Rows are 0-based here.
    const SourceItem& item(int row) const { return m_items.at(static_cast<size_t>(row)); }
    QString cell(int row, SourceItem::Column c) const { return item(row).cells[c]; }

    // Appends a row for the path with empty cells; returns its row.
    int append(const QString& path);
    // Appends a row as it was (a list restored), under an id of its own;
    // returns its row.
    int append(const SourceItem& item);
    // Rows taken out earlier, back at the top under their own ids (so a run
    // that holds them knows them again); false, and nothing changes, when a
    // row there now is older than one of them.
    bool putBack(const std::vector<SourceItem>& items);
    // The row that holds the item, or -1 once it has been removed.
    int rowOf(quint64 id) const;
    void setCell(int row, SourceItem::Column c, const QString& text);
    // The probe's findings that no cell shows.
    void setLength(int row, double lengthSeconds);
    void setMedia(int row, const MediaFacts& media);
    // The clip the user chose, in the Start and End cells.
    void setClip(int row, const QString& start, const QString& end);
    // The Status cell with the reason behind it (empty: none).
    void setStatus(int row, const QString& status, const QString& reason);
    // The row's file was converted, its status says so: not again unless asked.
    void markConverted(int row);
    void removeItem(int row);
    void clearItems();

signals:
    // A row is about to go: anything that refers to rows by number follows.
    void rowRemoved(int row);
    void cleared();

private:
    std::vector<SourceItem> m_items;
    quint64 m_lastId = 0;
};

} // namespace varnel
