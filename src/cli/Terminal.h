#pragma once
// What the converter's core asks of the desktop, as a terminal answers it,
// and the workspace every subcommand works in.
#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"
#include "core/workspace/Workspace.h"

#include <QPointer>

namespace varnel::cli {

// Messages go to standard error.
class TerminalMessages : public UserMessages {
public:
    void information(const QString& text) override;
    void information(const QString& text, const QString& details) override;
    void error(const QString& text) override;
    void warning(const QString& text, const QString& details) override;
};

// A script gets its results printed; it is not shown a folder or a page. The
// shutdown the settings ask for still happens.
class TerminalShell : public ShellServices {
public:
    bool openLink(const QString&) override { return true; }
    bool openHelp(const QString&) override { return true; }
    bool openFolder(const QString&) override { return true; }
    void shutdown() override;
    // A shutdown asked for is sent before the program ends.
    void waitForShutdownRequest();

private:
    QPointer<QObject> m_shutdown;
};

struct Session {
    TerminalMessages messages;
    TerminalShell shell;
    Workspace workspace;
    Session();
};

// Adds the files to the list exactly as the window does and waits for the probes.
void probeInto(Workspace& workspace, const QStringList& files);

} // namespace varnel::cli
