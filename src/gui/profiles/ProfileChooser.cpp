#include "gui/profiles/ProfileChooser.h"

#include <QStandardItemModel>

#include "core/profiles/Catalogue.h"

#include <QAbstractItemView>
#include <QStyledItemDelegate>
#include <QSignalBlocker>

namespace varnel {

ProfileChooser::ProfileChooser(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("ImageCombo1"));
    setMaxVisibleItems(24);
    setIconSize(QSize(20, 20));
    // The longest entry would make the toolbar wider than a small window;
    // the list that drops down shows every text whole.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(26);
    // On a small screen it gives way to the window, down to a short name.
    setMinimumWidth(fontMetrics().averageCharWidth() * 12 + iconSize().width() + 40);
    view()->setTextElideMode(Qt::ElideNone);
    // An item view's own delegate, so the skin's highlight marks the entry
    // the keys are on (the menu-like default paints its own).
    setItemDelegate(new QStyledItemDelegate(this));
    setPlaceholderText(tr("Choose a profile"));
    connect(this, &QComboBox::activated, this, [this](int index) { emit entryChosen(index + 1); });
}

void ProfileChooser::fill()
{
    const QSignalBlocker block(this);
    clear();
    for (const CatalogueEntry& e : Catalogue::entries()) {
        if (e.isHeader && e.icon >= 1 && e.icon <= m_images.size())
            addItem(QIcon(m_images.at(e.icon - 1)), e.text);
        else
            addItem(e.text);
    }
    setCurrentIndex(-1);
}

void ProfileChooser::setPresets(const QStringList& names)
{
    const QSignalBlocker block(this);
    const QString chosen = presetAt(entryNumber());
    const int catalogue = static_cast<int>(Catalogue::entries().size());
    while (count() > catalogue)
        removeItem(count() - 1);
    if (names.isEmpty())
        return;
    addItem(tr("My Presets"));
    for (const QString& name : names)
        addItem(name);
    if (!chosen.isEmpty())
        selectPreset(chosen);
}

QString ProfileChooser::presetAt(int number) const
{
    const int catalogue = static_cast<int>(Catalogue::entries().size());
    return number > catalogue + 1 && number <= count() ? itemText(number - 1) : QString();
}

bool ProfileChooser::selectPreset(const QString& name)
{
    const QSignalBlocker block(this);
    const int catalogue = static_cast<int>(Catalogue::entries().size());
    for (int i = catalogue + 1; i < count(); ++i)
        if (itemText(i) == name) {
            setCurrentIndex(i);
            return true;
        }
    return false;
}

void ProfileChooser::markUnavailable(int number, const QString& reason)
{
    auto* items = qobject_cast<QStandardItemModel*>(model());
    QStandardItem* item = items ? items->item(number - 1) : nullptr;
    if (!item || !item->isEnabled())
        return;
    item->setEnabled(false);
    item->setToolTip(reason);
    item->setText(item->text() + tr(" — unavailable"));
}

bool ProfileChooser::selectEntry(int number)
{
    const QSignalBlocker block(this);
    setCurrentIndex(number >= 1 && number <= count() ? number - 1 : -1);
    return currentIndex() >= 0;
}

} // namespace varnel
