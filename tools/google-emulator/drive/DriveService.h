#pragma once

#include "DriveResources.h"
#include "DriveStore.h"
#include "EmulatorSettings.h"
#include "ListPaging.h"
#include "SearchLag.h"
#include "FileMetadata.h"
#include "UploadedMedia.h"
#include "http/BodySink.h"
#include "http/FormFields.h"
#include "oauth/OAuthGrants.h"

#include <memory>

namespace orvane::emulator {

// Drive v3's files.list, files.get, files.generateIds, files.create (metadata
// only, and multipart upload) and about, with drive.file visibility: a client
// sees only what it created. Conversions to Google types are held to Google's
// size limits, and search lags behind creation when a test asks it to.
class DriveService {
public:
    DriveService(DriveStore& store, const OAuthGrants& grants, const DriveResources& resources, ListPaging& paging,
                 const SearchLag& searchLag, const ConversionLimits& conversionLimits);

    // GET /drive/v3/files
    HttpResponse listFiles(const HttpRequestHead& head);
    // GET /drive/v3/files/<fileId>
    HttpResponse getFile(const HttpRequestHead& head, const QString& fileId);
    // GET /drive/v3/files/generateIds
    HttpResponse generateIds(const HttpRequestHead& head);
    // GET /drive/v3/about
    HttpResponse about(const HttpRequestHead& head);
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
    // The ID a new item takes from its metadata, when the client chose one.
    QString checkedChosenId(const FileMetadata& metadata, bool converts) const;

    DriveStore& m_store;
    const OAuthGrants& m_grants;
    const DriveResources& m_resources;
    ListPaging& m_paging;
    const SearchLag& m_searchLag;
    const ConversionLimits& m_conversionLimits;
};

} // namespace orvane::emulator
