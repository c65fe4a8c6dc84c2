#pragma once
// What the program asks of the desktop: links, help, folders, shutdown.
// Windows and the run talk to this interface; tests hand in a fake, so that
// no test opens a browser or shuts a machine down.
#include <QString>

namespace varnel {

class ShellServices {
public:
    virtual ~ShellServices() = default;
    virtual void openLink(const QString& url) = 0;
    virtual void openHelp(const QString& helpFile) = 0;
    virtual void openFolder(const QString& folder) = 0;
    virtual void shutdown() = 0;
};

inline const QString kHomePage = QStringLiteral("https://varnel-video.example.org");
inline const QString kSupportPage = kHomePage + QStringLiteral("/faq.htm");

} // namespace varnel
