#pragma once
// PS1: shows the option sheet as groups of name/value rows; a choice row is
// edited with a drop-down of its choices.
#include <QTreeWidget>

class QComboBox;

namespace varnel {

class OptionSheet;

class OptionSheetView : public QTreeWidget {
    Q_OBJECT
public:
    OptionSheetView(OptionSheet& sheet, QWidget* parent);

    // The three display switches the main window turns on when it has loaded.
    void setDisplaySwitches(bool groupsExpanded, bool alternatingRows, bool headerVisible);

    // The editor of a choice row, or nullptr for text rows.
    QComboBox* editorOf(const QString& group, const QString& row) const;
    QTreeWidgetItem* itemOf(const QString& group, const QString& row) const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void rebuild();
    void refreshRow(const QString& group, const QString& row);

    OptionSheet& m_sheet;
};

} // namespace varnel
