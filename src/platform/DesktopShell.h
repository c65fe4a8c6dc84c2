#pragma once
#include "core/common/ShellServices.h"

namespace varnel {

// The desktop's own handlers for links, help and folders.
class DesktopShell : public ShellServices {
public:
    bool openLink(const QString& url) override;
    bool openHelp(const QString& helpFile) override;
    bool openFolder(const QString& folder) override;
    void shutdown() override;
};

} // namespace varnel
