#pragma once
// What the program asks of the desktop: links, help, folders, shutdown.
// Windows and the run talk to this interface; tests hand in a fake, so that
// no test opens a browser or shuts a machine down.
#include <QCoreApplication>
#include <QString>
#include <functional>

namespace varnel {

class ToolRegistry;

class ShellServices {
public:
    virtual ~ShellServices() = default;
    // Each open says whether it could be handed to the desktop; a desktop
    // that answers later that nothing took it calls notOpened.
    virtual bool openLink(const QString& url) = 0;
    virtual bool openHelp(const QString& helpFile) = 0;
    virtual bool openFolder(const QString& folder) = 0;
    virtual void shutdown() = 0;

    std::function<void(const QString& what)> notOpened;
    // Instead of notOpened for a folder when the desktop has no program
    // that opens folders at all (when set).
    std::function<void(const QString& folder)> noFolderOpener;
    // The runner the desktop's programs are started through (the
    // workspace's): Exit waits for what is ours among them.
    ToolRegistry* tools = nullptr;
};

// Shown when nothing on the desktop could open a page, file or folder.
inline QString kCannotOpen()
{
    return QCoreApplication::translate("varnel::ShellServices", "Could not open %1: no program on this desktop opened it.");
}

} // namespace varnel
