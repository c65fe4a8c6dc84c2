#pragma once
#include "core/common/ShellServices.h"

#include <memory>

namespace varnel {

// The desktop's own handlers for links, help and folders.
class DesktopShell : public ShellServices {
public:
    DesktopShell();
    ~DesktopShell() override;
    bool openLink(const QString& url) override;
    bool openHelp(const QString& helpFile) override;
    bool openFolder(const QString& folder) override;
    void shutdown() override;

private:
    // The workspace's runner, or one of its own before a workspace exists.
    ToolRegistry& runner();
    std::unique_ptr<ToolRegistry> m_own;
};

} // namespace varnel
