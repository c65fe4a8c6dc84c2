#include "gui/profiles/OptionSheetView.h"

#include "core/profiles/OptionSheet.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QSignalBlocker>

namespace varnel {

namespace {

// A value's drop-down, to a screen reader: named with its row, as in
// "Video Size: 640x480", where a plain drop-down would say only the value.
class AccessibleSheetValue : public QAccessibleWidget {
public:
    explicit AccessibleSheetValue(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return combo()->accessibleName();
        if (t == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction())
            combo()->showPopup();
    }
};

QAccessibleInterface* accessibleSheetValue(const QString& className, QObject* object)
{
    auto* combo = qobject_cast<QComboBox*>(object);
    if (className != QLatin1String("QComboBox") || !combo)
        return nullptr;
    for (QWidget* w = combo->parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<OptionSheetView*>(w))
            return new AccessibleSheetValue(combo);
    return nullptr;
}

// Group and row names are keys (settings, presets, --set): the sheet shows
// them in the user's language and finds them by the key it keeps.
QString shownName(const QString& name)
{
    return QCoreApplication::translate("varnel::OptionSheet", name.toUtf8().constData());
}

} // namespace

OptionSheetView::OptionSheetView(OptionSheet& sheet, QWidget* parent) : QTreeWidget(parent), m_sheet(sheet)
{
    setObjectName(QStringLiteral("PS1"));
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleSheetValue), true);
    Q_UNUSED(factoryInstalled);
    setColumnCount(2);
    setHeaderLabels({tr("Option"), tr("Value")});
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(true);
    connect(&m_sheet, &OptionSheet::rebuilt, this, &OptionSheetView::rebuild);
    connect(&m_sheet, &OptionSheet::rowChanged, this, &OptionSheetView::refreshRow);
    rebuild();
}

void OptionSheetView::setDisplaySwitches(bool groupsExpanded, bool alternatingRows, bool headerVisible)
{
    if (groupsExpanded)
        expandAll();
    setAlternatingRowColors(alternatingRows);
    setHeaderHidden(!headerVisible);
}

QTreeWidgetItem* OptionSheetView::itemOf(const QString& group, const QString& row) const
{
    for (int g = 0; g < topLevelItemCount(); ++g) {
        QTreeWidgetItem* gi = topLevelItem(g);
        if (gi->data(0, Qt::UserRole).toString() != group)
            continue;
        for (int r = 0; r < gi->childCount(); ++r)
            if (gi->child(r)->data(0, Qt::UserRole).toString() == row)
                return gi->child(r);
    }
    return nullptr;
}

QComboBox* OptionSheetView::editorOf(const QString& group, const QString& row) const
{
    QTreeWidgetItem* item = itemOf(group, row);
    return item ? qobject_cast<QComboBox*>(itemWidget(item, 1)) : nullptr;
}

void OptionSheetView::rebuild()
{
    const bool expanded = topLevelItemCount() == 0 || topLevelItem(0)->isExpanded();
    clear();
    for (const OptionGroup& g : m_sheet.groups()) {
        auto* gi = new QTreeWidgetItem(this, {shownName(g.name)});
        gi->setData(0, Qt::UserRole, g.name);
        QFont bold = gi->font(0);
        bold.setBold(true);
        gi->setFont(0, bold);
        gi->setFirstColumnSpanned(true);
        gi->setFlags(Qt::ItemIsEnabled);
        for (const OptionRow& r : g.rows) {
            auto* ri = new QTreeWidgetItem(gi, {shownName(r.name), r.value});
            ri->setData(0, Qt::UserRole, r.name);
            if (r.kind != OptionRow::Kind::Choice)
                continue;
            auto* combo = new QComboBox;
            combo->setObjectName(r.name);
            combo->setFocusPolicy(Qt::StrongFocus);
            combo->installEventFilter(this);
            setItemWidget(ri, 1, combo);
            const QString group = g.name, name = r.name;
            connect(combo, &QComboBox::activated, this, [this, combo, group, name](int) {
                m_sheet.setValue(group, name, combo->currentText());
            });
            refreshRow(g.name, r.name);
        }
        gi->setExpanded(expanded);
    }
}

bool OptionSheetView::eventFilter(QObject* watched, QEvent* e)
{
    // The wheel over a drop-down scrolls the sheet; a value changes only by
    // a deliberate choice.
    if (e->type() == QEvent::Wheel && qobject_cast<QComboBox*>(watched)) {
        QCoreApplication::sendEvent(viewport(), e);
        return true;
    }
    return QTreeWidget::eventFilter(watched, e);
}

void OptionSheetView::refreshRow(const QString& group, const QString& row)
{
    const OptionRow* r = m_sheet.findRow(group, row);
    QTreeWidgetItem* item = itemOf(group, row);
    if (!r || !item)
        return;
    item->setText(1, r->value);
    // Read out with its row, not as a bare value.
    const QString spoken = tr("%1: %2").arg(shownName(r->name), r->value);
    item->setData(1, Qt::AccessibleTextRole, spoken);
    if (QComboBox* combo = editorOf(group, row)) {
        combo->setAccessibleName(spoken);
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(r->choices);
        const int at = r->choices.indexOf(r->value);
        if (at >= 0) {
            combo->setCurrentIndex(at);
        } else {
            // A value outside the list (an emptied list keeps its value) is
            // still what the sheet holds, so the editor shows it.
            combo->setCurrentIndex(-1);
            combo->setPlaceholderText(r->value);
        }
    }
}

} // namespace varnel
