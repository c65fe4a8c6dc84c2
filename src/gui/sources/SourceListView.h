#pragma once
// lvwAudioTracks: the source list in report form. Files dropped from the
// desktop are offered to the window; the right button opens the pop-up.
#include <QTreeView>

namespace varnel {

class SourceList;

class SourceListView : public QTreeView {
    Q_OBJECT
public:
    SourceListView(SourceList& list, QWidget* parent);

    // 0-based selected row, or -1.
    int selectedRow() const;

signals:
    void filesDropped(const QStringList& paths);
    void popupRequested(const QPoint& globalPos);
    void rowClicked(int row);
    void rowDoubleClicked(int row);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

} // namespace varnel
