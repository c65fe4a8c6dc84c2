#pragma once
// Modal messages to the user with the application title as caption; the
// window shows message boxes, the command-line tool prints them.
#include <QString>

namespace varnel {

inline const QString kAppTitle = QStringLiteral("Varnel Video Converter 3.70");

class UserMessages {
public:
    virtual ~UserMessages() = default;
    virtual void information(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
};

} // namespace varnel
