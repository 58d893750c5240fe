#pragma once

#include "DriveItem.h"
#include "FieldSelection.h"

#include <QUrl>

namespace orvane::emulator {

// Drive v3's JSON for files and file lists, with links rooted at the emulator.
class DriveResources {
public:
    explicit DriveResources(QUrl rootUrl) : m_rootUrl(std::move(rootUrl)) {}

    static const ResourceShape& fileShape();
    static const ResourceShape& fileListShape();
    // What Drive answers when a request names no "fields".
    static const FieldSelection& defaultFileFields();
    static const FieldSelection& defaultFileListFields();

    QJsonObject file(const DriveItem& item) const;
    QString webViewLink(const DriveItem& item) const;
    // The emulator's own address, e.g. http://127.0.0.1:43123.
    const QUrl& rootUrl() const { return m_rootUrl; }

private:
    QUrl m_rootUrl;
};

} // namespace orvane::emulator
