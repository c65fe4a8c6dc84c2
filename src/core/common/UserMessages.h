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
    // An information box whose text stays as it is, with more below it
    // (details empty: the plain box).
    virtual void information(const QString& text, const QString& details)
    {
        information(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
    }
    // Something went partly wrong: a warning box, text and details as above.
    virtual void warning(const QString& text, const QString& details)
    {
        error(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
    }
};

} // namespace varnel
