#pragma once
#include <QDialog>

namespace varnel {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const QString& programFolder, QWidget* parent);
};

} // namespace varnel
