#include "gui/sources/OpenFilesDialog.h"

#include "core/sources/FileSelection.h"

#include <QFileDialog>
#include <memory>

namespace varnel {

QFileDialog* createOpenFilesDialog(QWidget* owner)
{
    auto* dialog = new QFileDialog(owner, kOpenDialogTitle());
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog, so that the patterns it needs stay out of sight.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(openDialogNameFilters());
    return dialog;
}

QStringList chooseVideoFiles(QWidget* owner)
{
    const std::unique_ptr<QFileDialog> dialog(createOpenFilesDialog(owner));
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
}

} // namespace varnel
