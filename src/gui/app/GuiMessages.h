#pragma once
#include "core/common/UserMessages.h"

#include <QPointer>
#include <QWidget>

namespace varnel {

// Modal message boxes over a window, with the application title as caption.
class GuiMessages : public UserMessages {
public:
    explicit GuiMessages(QWidget* owner = nullptr) : m_owner(owner) {}
    // The window the boxes stand over, once there is one.
    void setOwner(QWidget* owner) { m_owner = owner; }
    void information(const QString& text) override;
    void information(const QString& text, const QString& details) override;
    void error(const QString& text) override;
    void warning(const QString& text, const QString& details) override;

private:
    QPointer<QWidget> m_owner; // gone with its window: then boxes of their own
};

} // namespace varnel
