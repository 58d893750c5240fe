#pragma once

#include "DriveService.h"
#include "MultipartRelatedParser.h"
#include "UploadedMedia.h"

namespace orvane::emulator {

// The body of one multipart upload: a JSON metadata part, then the media part,
// whose bytes are hashed and counted (with the cells of CSV and TSV) as they
// stream past.
class DriveUpload final : public BodySink, private MultipartRelatedParser::Consumer {
public:
    DriveUpload(DriveService& drive, QString clientId, FieldSelection selection, const QByteArray& boundary);

    void append(QByteArrayView piece) override;
    HttpResponse finish() override;

private:
    void beginPart(const HttpHeaders& headers) override;
    void partData(QByteArrayView data) override;
    void endPart() override;

    DriveService& m_drive;
    QString m_clientId;
    FieldSelection m_selection;
    MultipartRelatedParser m_parser;
    int m_partCount = 0;
    QByteArray m_metadata;
    std::optional<MediaAccumulator> m_media;
};

} // namespace orvane::emulator
