#pragma once
#include "core/common/UserMessages.h"

class QWidget;

namespace varnel {

// Modal message boxes over a window, with the application title as caption.
class GuiMessages : public UserMessages {
public:
    explicit GuiMessages(QWidget* owner) : m_owner(owner) {}
    void information(const QString& text) override;
    void information(const QString& text, const QString& details) override;
    void error(const QString& text) override;
    void warning(const QString& text, const QString& details) override;

private:
    QWidget* m_owner;
};

} // namespace varnel
