#pragma once
// The fixed catalogue of output targets: 23 device-family headers, each
// followed by its profiles. An entry is known only by its 1-based number.
#include <QString>
#include <vector>

namespace varnel {

struct CatalogueEntry {
    int number;       // 1..101, headers counted
    bool isHeader;
    QString text;
    int icon;         // image-list position (headers only), 0 for profiles

    // The four characters from the first "." of the text; empty for headers.
    QString extension() const;
};

namespace Catalogue {
constexpr int kEntryCount = 101;
constexpr int kImageCount = 44;

const std::vector<CatalogueEntry>& entries();
// nullptr when the number names no entry.
const CatalogueEntry* entry(int number);
// The text of the nearest header at or above the entry.
QString category(int number);
}

// The extension rule on any chooser text; empty when the text holds no ".".
QString extensionOfText(const QString& text);

} // namespace varnel
