#include "gui/app/GuiMessages.h"

#include <QMessageBox>

namespace varnel {

void GuiMessages::information(const QString& text)
{
    QMessageBox::information(m_owner, kAppTitle, text);
}

void GuiMessages::error(const QString& text)
{
    QMessageBox::critical(m_owner, kAppTitle, text);
}

} // namespace varnel
