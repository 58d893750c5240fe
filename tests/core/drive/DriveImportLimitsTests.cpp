#include "drive/DriveImportLimits.h"
#include "support/DecodingError.h"
#include "support/JsonDecoding.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

DriveImportLimits limitsFrom(const QByteArray& about)
{
    return DriveImportLimits::fromJson(json::parse(about));
}

DriveUploadRequest requestFor(const QString& fileName, qint64 size, OpenMode mode)
{
    const QUrl url = QUrl::fromLocalFile(u"/home/aki/"_s + fileName);
    const FileRoute route = FileRouter().route(url);
    return {url, {.path = url.toLocalFile(), .fileExtension = route.fileExtension, .fileSize = size}, route,
            route.effectiveOpenMode(mode), u"Opened from Mac"_s, route.destinationFolderName()};
}

QString refusal(const DriveImportLimits& limits, const DriveUploadRequest& request)
{
    try {
        limits.requireConvertible(request);
    } catch (const ConversionRefusedError& error) {
        return error.localizedDescription();
    }
    return u"(converts)"_s;
}

} // namespace

TEST(DriveImportLimitsTest, WhatTheAccountDoesNotConvertOrIsTooLargeIsRefusedWithMediaTypesComparedWithoutCase)
{
    const DriveImportLimits limits = limitsFrom(
        R"({"importFormats":{"application/vnd.ms-excel.sheet.macroenabled.12":["application/vnd.google-apps.spreadsheet"],)"
        R"("text/csv":["application/vnd.google-apps.document"],)"
        R"("application/msword":["application/vnd.google-apps.document"]},)"
        R"("maxImportSizes":{"application/vnd.google-apps.document":"10485760"}})");

    EXPECT_EQ(refusal(limits, requestFor(u"book.xlsm"_s, 1, OpenMode::googleFormat)), u"(converts)"_s);
    EXPECT_EQ(refusal(limits, requestFor(u"data.csv"_s, 1, OpenMode::googleFormat)),
              u"Google Drive does not convert \u201Cdata.csv\u201D to Google Sheets for this account, so nothing was "
              u"uploaded."_s);
    EXPECT_EQ(refusal(limits, requestFor(u"memo.doc"_s, 10485761, OpenMode::googleFormat)),
              u"\u201Cmemo.doc\u201D is larger than the 10 MB Google Docs accepts for conversion, so nothing was "
              u"uploaded. To put it on Drive as an Office file, choose \u201CKeep Office format on Drive\u201D in "
              u"Preferences."_s);
    EXPECT_EQ(refusal(limits, requestFor(u"deck.pptx"_s, 1, OpenMode::officePreserved)), u"(converts)"_s);
    EXPECT_EQ(refusal(limitsFrom("{}"), requestFor(u"deck.pptx"_s, 1, OpenMode::googleFormat)), u"(converts)"_s)
        << "an answer without formats refuses nothing";

    EXPECT_THROW(limitsFrom(R"({"maxImportSizes":{"application/vnd.google-apps.document":10485760}})"), DecodingError)
        << "Drive writes int64 as strings";
    EXPECT_EQ(dataSizeText(1536), u"1.5 KB"_s);
    EXPECT_EQ(dataSizeText(1048575), u"1 MB"_s);
}
