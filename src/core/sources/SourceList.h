#pragma once
// The list of files to convert. Rows keep the order they were added in;
// every cell is text.
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
    // What the probe found beyond the cells: the streams, the exact length
    // (negative: unknown) and, when it could not read the file, why.
    bool hasVideo = false;
    bool hasAudio = false;
    double lengthSeconds = -1;
    QString probeError;

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
    // Appends a row as it was (a list restored); returns its row.
    int append(const SourceItem& item);
    void setCell(int row, SourceItem::Column c, const QString& text);
    // The probe's findings that no cell shows.
    void setMedia(int row, bool hasVideo, bool hasAudio, double lengthSeconds, const QString& probeError);
    // The Status cell with the reason behind it (empty: none).
    void setStatus(int row, const QString& status, const QString& reason);
    void removeItem(int row);
    void clearItems();

signals:
    // A row is about to go: anything that refers to rows by number follows.
    void rowRemoved(int row);
    void cleared();

private:
    std::vector<SourceItem> m_items;
};

} // namespace varnel
