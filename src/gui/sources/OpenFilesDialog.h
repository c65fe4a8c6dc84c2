#pragma once
#include <QStringList>

class QFileDialog;
class QWidget;

namespace varnel {

// The "Open Video File" dialog: many files, the 17 filters with their
// descriptions shown exactly as written.
QFileDialog* createOpenFilesDialog(QWidget* owner);

// Shows the dialog and returns the chosen paths, none when cancelled.
QStringList chooseVideoFiles(QWidget* owner);

} // namespace varnel
