#include "core/sources/SourceList.h"

#include <QCoreApplication>

#include <algorithm>

namespace varnel {

SourceList::SourceList(QObject* parent) : QAbstractTableModel(parent) {}

QStringList SourceList::headers()
{
    return {QT_TRANSLATE_NOOP("varnel::SourceList", "File Name"), QT_TRANSLATE_NOOP("varnel::SourceList", "Start"),
            QT_TRANSLATE_NOOP("varnel::SourceList", "End"), QT_TRANSLATE_NOOP("varnel::SourceList", "Size"),
            QT_TRANSLATE_NOOP("varnel::SourceList", "Format"), QT_TRANSLATE_NOOP("varnel::SourceList", "Status"),
            QT_TRANSLATE_NOOP("varnel::SourceList", "Video Time")};
}

int SourceList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int SourceList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : SourceItem::ColumnCount;
}

QVariant SourceList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const SourceItem& it = item(index.row());
    if (role == Qt::ToolTipRole && index.column() == SourceItem::Status && !it.statusReason.isEmpty())
        return it.statusReason;
    // A status is kept in English (scripts and the list file read it) and
    // shown in the user's language.
    if ((role == Qt::DisplayRole || role == Qt::ToolTipRole) && index.column() == SourceItem::Status)
        return QCoreApplication::translate("varnel::RunText", it.cells[SourceItem::Status].toUtf8().constData());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return it.cells[static_cast<size_t>(index.column())];
    if (role == Qt::UserRole)
        return it.tag;
    return {};
}

QVariant SourceList::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < SourceItem::ColumnCount)
        return tr(headers().at(section).toUtf8().constData());
    return QAbstractTableModel::headerData(section, o, role);
}

int SourceList::append(const QString& path)
{
    const int row = count();
    beginInsertRows({}, row, row);
    SourceItem it;
    it.tag = path;
    it.cells[SourceItem::FileName] = path;
    it.id = ++m_lastId;
    m_items.push_back(it);
    endInsertRows();
    return row;
}

int SourceList::append(const SourceItem& item)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_items.push_back(item);
    m_items.back().id = ++m_lastId;
    endInsertRows();
    return row;
}

bool SourceList::putBack(const std::vector<SourceItem>& items)
{
    if (items.empty())
        return true;
    // Ids stay in row order: rows found by halving depend on it.
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i].id <= items[i - 1].id)
            return false;
    if (items.front().id == 0 || (!m_items.empty() && items.back().id >= m_items.front().id))
        return false;
    beginInsertRows({}, 0, static_cast<int>(items.size()) - 1);
    m_items.insert(m_items.begin(), items.begin(), items.end());
    endInsertRows();
    return true;
}

void SourceList::setCell(int row, SourceItem::Column c, const QString& text)
{
    if (row < 0 || row >= count())
        return;
    m_items[static_cast<size_t>(row)].cells[c] = text;
    emit dataChanged(index(row, c), index(row, c));
}

void SourceList::setStatus(int row, const QString& status, const QString& reason)
{
    if (row < 0 || row >= count())
        return;
    m_items[static_cast<size_t>(row)].statusReason = reason;
    m_items[static_cast<size_t>(row)].converted = SourceItem::Converted::No;
    setCell(row, SourceItem::Status, status);
}

void SourceList::markConverted(int row)
{
    if (row >= 0 && row < count())
        m_items[static_cast<size_t>(row)].converted = SourceItem::Converted::ThisSession;
}

void SourceList::setLength(int row, double lengthSeconds)
{
    if (row >= 0 && row < count())
        m_items[static_cast<size_t>(row)].lengthSeconds = lengthSeconds;
}

void SourceList::setMedia(int row, const MediaFacts& media)
{
    if (row < 0 || row >= count())
        return;
    m_items[static_cast<size_t>(row)].media = media;
    m_items[static_cast<size_t>(row)].mediaRead = true;
}

void SourceList::setClip(int row, const QString& start, const QString& end)
{
    if (row < 0 || row >= count())
        return;
    m_items[static_cast<size_t>(row)].clipSet = true;
    m_items[static_cast<size_t>(row)].converted = SourceItem::Converted::No;
    setCell(row, SourceItem::Start, start);
    setCell(row, SourceItem::End, end);
}

int SourceList::rowOf(quint64 id) const
{
    // Rows keep their order: the id's row is found by halving.
    const auto it = std::lower_bound(m_items.begin(), m_items.end(), id,
                                     [](const SourceItem& item, quint64 wanted) { return item.id < wanted; });
    return it != m_items.end() && it->id == id ? static_cast<int>(it - m_items.begin()) : -1;
}

void SourceList::removeItem(int row)
{
    if (row < 0 || row >= count())
        return;
    emit rowRemoved(row);
    beginRemoveRows({}, row, row);
    m_items.erase(m_items.begin() + row);
    endRemoveRows();
}

void SourceList::clearItems()
{
    emit cleared();
    beginResetModel();
    m_items.clear();
    endResetModel();
}

} // namespace varnel
