#pragma once
// Frmset: output folder, existing-file policy, shutdown and thread count.
#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace varnel {

class Settings;
class UserMessages;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // chooseFolder returns the picked folder or an empty text when cancelled.
    SettingsDialog(const Settings& settings, UserMessages& messages,
                   std::function<QString(QWidget*)> chooseFolder, QWidget* parent);

private:
    void accept() override;
    void browse();

    const Settings& m_settings;
    UserMessages& m_messages;
    std::function<QString(QWidget*)> m_chooseFolder;
    QLineEdit* m_folder;
    QRadioButton* m_addNew;
    QRadioButton* m_overwrite;
    QCheckBox* m_shutdown;
    QLineEdit* m_thread;
};

} // namespace varnel
