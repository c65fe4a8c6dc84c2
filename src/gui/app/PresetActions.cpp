// The main window's presets: saved from the sheet, chosen in the chooser
// under "My Presets", renamed, deleted, exported and imported. The store in
// the workspace does the work; this only asks and tells.
#include "gui/app/MainWindow.h"

#include "core/common/PrintableText.h"
#include "core/common/UserMessages.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/Presets.h"
#include "gui/profiles/ProfileChooser.h"

#include <QFileDialog>
#include <QInputDialog>

namespace varnel {

namespace {

const QString kPresetTitle = QStringLiteral("Presets");
// A file may hold a thousand presets: a box naming them all would be taller
// than the screen, its buttons out of reach.
constexpr qsizetype kMostNamed = 10;

QStringList namesOf(const PresetStore& store)
{
    QStringList names;
    for (const Preset& p : store.all())
        names << p.name;
    return names;
}

} // namespace

void MainWindow::showPresets()
{
    m_chooser->setPresets(namesOf(m_workspace->presets()));
}

QString MainWindow::presetToActOn(const QString& question)
{
    const QStringList names = namesOf(m_workspace->presets());
    if (names.isEmpty()) {
        m_services.messages->error(tr("There are no presets yet: choose a profile, set its options, then "
                                                  "Save as Preset."));
        return {};
    }
    const QString chosen = m_chooser->presetAt(m_chooser->entryNumber());
    if (!chosen.isEmpty())
        return chosen;
    return m_services.askItem(this, question, names);
}

void MainWindow::savePreset()
{
    const int entry = m_workspace->entryNumber();
    const CatalogueEntry* e = Catalogue::entry(entry);
    if (!e || e->isHeader) {
        m_services.messages->error(tr("Choose a profile first: a preset keeps a profile and its options."));
        return;
    }
    const QString suggested = m_chooser->presetAt(m_chooser->entryNumber());
    const QString name = m_services.askText(this, tr("Save the options of %1 as the preset:").arg(e->text),
                                            suggested);
    if (name.isEmpty())
        return;
    const QString why = m_workspace->presets().save(presets::fromSheet(name, entry, m_workspace->sheet()));
    if (!why.isEmpty()) {
        m_services.messages->error(tr("The preset was not saved: %1.").arg(why));
        return;
    }
    showPresets();
    m_chooser->selectPreset(name);
}

void MainWindow::renamePreset()
{
    const QString from = presetToActOn(tr("Rename the preset:"));
    if (from.isEmpty())
        return;
    const QString to = m_services.askText(this, tr("New name of the preset %1:").arg(from), from);
    if (to.isEmpty() || to == from)
        return;
    const bool chosen = m_chooser->presetAt(m_chooser->entryNumber()) == from;
    if (const QString why = m_workspace->presets().rename(from, to); !why.isEmpty()) {
        m_services.messages->error(tr("The preset was not renamed: %1.").arg(why));
        return;
    }
    showPresets();
    if (chosen)
        m_chooser->selectPreset(to);
}

void MainWindow::deletePreset()
{
    const QString name = presetToActOn(tr("Delete the preset:"));
    if (name.isEmpty() || !m_services.askYesNo(this, tr("Delete the preset %1?").arg(name)))
        return;
    const bool chosen = m_chooser->presetAt(m_chooser->entryNumber()) == name;
    if (const QString why = m_workspace->presets().remove(name); !why.isEmpty()) {
        m_services.messages->error(tr("The preset was not deleted: %1.").arg(why));
        return;
    }
    showPresets();
    // Its profile stays chosen, with the options it set.
    if (chosen)
        m_chooser->selectEntry(m_workspace->entryNumber());
}

void MainWindow::exportPreset()
{
    const QString name = presetToActOn(tr("Export the preset:"));
    if (name.isEmpty())
        return;
    const QString file = m_services.choosePresetFile(this, true);
    if (file.isEmpty())
        return;
    if (const QString why = m_workspace->presets().exportTo(name, file); !why.isEmpty())
        m_services.messages->error(tr("The preset was not exported: %1.").arg(why));
}

void MainWindow::importPresets()
{
    const QString file = m_services.choosePresetFile(this, false);
    if (file.isEmpty())
        return;
    PresetStore& store = m_workspace->presets();
    PresetStore::Imported report;
    QString why = store.importFrom(file, false, &report);
    // The user's own presets are replaced only when the user says so.
    if (!why.isEmpty() && !report.replaced.isEmpty()) {
        const QString question = tr("You have presets of the names the file has: %1. Replace yours with those of the "
                                    "file?")
                                     .arg(atMostListed(report.replaced, kMostNamed).join(", "));
        if (!m_services.askDefaultNo(this, question))
            return;
        report = {};
        why = store.importFrom(file, true, &report);
    }
    showPresets();
    if (!why.isEmpty())
        m_services.messages->error(tr("No preset was imported: %1.").arg(why));
    else if (!report.leftOut.isEmpty())
        m_services.messages->error(tr("Imported %1; left out: %2.")
                                       .arg(report.names.isEmpty() ? tr("nothing") : atMostListed(report.names, kMostNamed).join(", "),
                                            atMostListed(report.leftOut, kMostNamed).join("; ")));
}

} // namespace varnel
