#pragma once
#include "core/common/ShellServices.h"

namespace varnel {

// The desktop's own handlers for links, help and folders.
class DesktopShell : public ShellServices {
public:
    void openLink(const QString& url) override;
    void openHelp(const QString& helpFile) override;
    void openFolder(const QString& folder) override;
    void shutdown() override;
};

} // namespace varnel
