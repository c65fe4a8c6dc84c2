#pragma once
// The catalogue of output targets: 23 device-family headers, each followed
// by its profiles (entries 1 to 101, fixed), then our own families. An entry
// is known only by its 1-based number, which never changes meaning.
#include <QString>
#include <vector>

namespace varnel {

struct CatalogueEntry {
    int number;       // from 1, headers counted
    bool isHeader;
    QString text;
    int icon;         // image-list position (headers only), 0 for profiles
    QString ownExtension; // where the text's first "." does not start it

    // The four characters from the first "." of the text, unless the entry
    // has its own; empty for headers.
    QString extension() const;
};

namespace Catalogue {
constexpr int kEntryCount = 101; // the fixed entries; ours follow
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
