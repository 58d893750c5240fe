#pragma once

#include "DriveStore.h"
#include "http/HttpMessage.h"

namespace orvane::emulator {

// The web pages a browser is sent to: the Docs, Sheets and Slides editors, the
// Drive file view and folder view. Each shows the item's name and folder path; a
// spreadsheet converted from CSV or TSV shows its cells.
class Pages {
public:
    explicit Pages(const DriveStore& store) : m_store(store) {}

    // The page at path, or absent when path is no page path. Unknown IDs are 404.
    std::optional<HttpResponse> serve(const QByteArray& path) const;

private:
    HttpResponse editor(const QString& googleType, const QString& id) const;
    HttpResponse fileView(const QString& id) const;
    HttpResponse folderView(const QString& id) const;
    QString header(const DriveItem& item) const;
    QString cellTable(const DriveItem& item) const;

    const DriveStore& m_store;
};

} // namespace orvane::emulator
