#include "gui/app/GuiMessages.h"

#include <QMessageBox>

namespace varnel {

void GuiMessages::information(const QString& text)
{
    QMessageBox::information(m_owner, kAppTitle, text);
}

void GuiMessages::information(const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::Information, kAppTitle, text, QMessageBox::Ok, m_owner);
    box.setInformativeText(details);
    box.exec();
}

void GuiMessages::warning(const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::Warning, kAppTitle, text, QMessageBox::Ok, m_owner);
    box.setInformativeText(details);
    box.exec();
}

void GuiMessages::error(const QString& text)
{
    QMessageBox::critical(m_owner, kAppTitle, text);
}

} // namespace varnel
