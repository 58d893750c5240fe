#pragma once

#include "DriveResources.h"
#include "DriveStore.h"
#include "EmulatorSettings.h"
#include "ListPaging.h"
#include "FileMetadata.h"
#include "UploadedMedia.h"
#include "http/BodySink.h"
#include "http/FormFields.h"
#include "oauth/OAuthGrants.h"

#include <memory>

namespace orvane::emulator {

// Drive v3's files.list and files.create (metadata only, and multipart upload),
// with drive.file visibility: a client sees only what it created. Conversions
// to Google types are held to Google's size limits.
class DriveService {
public:
    DriveService(DriveStore& store, const OAuthGrants& grants, const DriveResources& resources, ListPaging& paging,
                 const ConversionLimits& conversionLimits);

    // GET /drive/v3/files
    HttpResponse listFiles(const HttpRequestHead& head);
    // POST /drive/v3/files
    HttpResponse createFile(const HttpRequestHead& head, const QByteArray& body);
    // POST /upload/drive/v3/files: checks the request at once and streams the body.
    std::unique_ptr<BodySink> upload(const HttpRequestHead& head);

    // Creates an item for clientId from metadata and uploaded content (absent for a
    // metadata-only creation) and answers with the selected fields.
    HttpResponse create(const QString& clientId, const FileMetadata& metadata, const std::optional<UploadedContent>& content,
                        const FieldSelection& selection);

    // The folder a new item of clientId goes into: My Drive without parents,
    // else the one parent, which must be the client's own folder.
    QString checkedParent(const QString& clientId, const QStringList& parents) const;

private:
    void checkConversion(const UploadedContent& content, const QString& googleType) const;

    DriveStore& m_store;
    const OAuthGrants& m_grants;
    const DriveResources& m_resources;
    ListPaging& m_paging;
    const ConversionLimits& m_conversionLimits;
};

} // namespace orvane::emulator
