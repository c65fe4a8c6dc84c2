#pragma once
// ImageCombo1: the catalogue in chooser order, headers with their pictures.
#include <QComboBox>

namespace varnel {

class ProfileChooser : public QComboBox {
    Q_OBJECT
public:
    explicit ProfileChooser(QWidget* parent);

    void setImageList(const QList<QPixmap>& images) { m_images = images; }
    const QList<QPixmap>& imageList() const { return m_images; }

    // Fills the chooser from the catalogue, with nothing selected.
    void fill();

    // 1-based entry number of the selection, 0 for none; past the
    // catalogue's entries, "My Presets" and the presets follow.
    int entryNumber() const { return currentIndex() + 1; }

    // The presets under their header after the catalogue (none: no header).
    void setPresets(const QStringList& names);
    // The preset an entry number stands for; empty for a catalogue entry.
    QString presetAt(int number) const;
    // Selects a preset by name without running the handlers.
    bool selectPreset(const QString& name);
    // Selects an entry (nothing when the number names none) without running
    // the handlers; returns whether an entry is now selected.
    bool selectEntry(int number);

    // An entry that cannot be made here is shown greyed, its reason as its tip.
    void markUnavailable(int number, const QString& reason);

signals:
    // A choice by the user.
    void entryChosen(int number);

private:
    QList<QPixmap> m_images;
};

} // namespace varnel
