#include "gui/sources/SourceListView.h"

#include "core/sources/SourceList.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace varnel {

SourceListView::SourceListView(SourceList& list, QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("lvwAudioTracks"));
    setModel(&list);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    // A long path keeps its file name in sight (its start goes); the tool
    // tip has it whole.
    setTextElideMode(Qt::ElideLeft);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // Widths fixed from the header texts, never measured from the rows: a
    // row added to a long list costs the same as the first.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    QFont bold = header()->font(); // the skin draws headers bold
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // Column | a typical widest cell
    const std::pair<int, const char*> samples[] = {
        {SourceItem::Start, "0:00:00"}, {SourceItem::End, "0:00:00"}, {SourceItem::Size, "1280x720"},
        {SourceItem::Format, "MPEG4"},  {SourceItem::Status, "Processing"}, {SourceItem::VideoTime, "0:00:00"},
    };
    for (const auto& [column, sample] : samples) {
        header()->setSectionResizeMode(column, QHeaderView::Interactive);
        header()->resizeSection(column, std::max(metrics.horizontalAdvance(list.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()),
                                                 metrics.horizontalAdvance(QCoreApplication::translate("varnel::RunText", sample))) + 22);
    }
    connect(this, &QTreeView::clicked, this, [this] { emit rowClicked(selectedRow()); });
    connect(this, &QTreeView::doubleClicked, this, [this] { emit rowDoubleClicked(selectedRow()); });
}

int SourceListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

namespace {
// A copy where the source offers one, else a link; never a move.
bool offerCopy(QDropEvent* e)
{
    const Qt::DropActions offered = e->possibleActions();
    if (!e->mimeData()->hasUrls() || !(offered & (Qt::CopyAction | Qt::LinkAction)))
        return false;
    e->setDropAction(offered & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
    e->accept();
    return true;
}
} // namespace

void SourceListView::dragEnterEvent(QDragEnterEvent* e)
{
    offerCopy(e);
}

void SourceListView::dragMoveEvent(QDragMoveEvent* e)
{
    offerCopy(e);
}

void SourceListView::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    // The list only refers to the files: the source is never told they were
    // moved (it would delete them), nor told of a drop that took nothing.
    if (paths.isEmpty() || !offerCopy(e)) {
        e->ignore();
        return;
    }
    emit filesDropped(paths);
}

void SourceListView::mousePressEvent(QMouseEvent* e)
{
    QTreeView::mousePressEvent(e);
    if (e->button() == Qt::RightButton)
        emit popupRequested(e->globalPosition().toPoint());
}

void SourceListView::paintEvent(QPaintEvent* e)
{
    QTreeView::paintEvent(e);
    if (model() && model()->rowCount() > 0)
        return;
    // An empty list says how to fill it.
    QPainter p(viewport());
    p.setPen(palette().color(QPalette::PlaceholderText));
    p.drawText(viewport()->rect(), Qt::AlignCenter,
               tr("Drop video files here, or click Add Files"));
}

} // namespace varnel
