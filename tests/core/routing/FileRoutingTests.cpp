#include "support/DecodingError.h"
#include "routing/FileRouting.h"
#include "routing/GoogleServiceEndpoints.h"
#include "routing/OrvaneError.h"
#include "support/ConfigurationError.h"

#include <QCryptographicHash>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

OrvaneError routingFailure(const auto& input)
{
    try {
        FileRouter().route(input);
    } catch (const OrvaneError& error) {
        return error;
    }
    ADD_FAILURE() << "routing did not fail";
    return OrvaneError::missingOAuthClientID();
}

} // namespace

TEST(FileRouter, NormalisesDotsAndCaseBeforeLookingUp)
{
    for (const QString& input : {u"csv"_s, u".CSV"_s, u"csv."_s, u"..csv.."_s, u"Csv"_s}) {
        const FileRoute route = FileRouter().route(input);
        EXPECT_EQ(route.fileExtension, u"csv"_s) << input.toStdString();
        EXPECT_EQ(route.family, WorkspaceFileFamily::csvImport);
    }
    EXPECT_EQ(FileRouter().route(QUrl(u"file:///tmp/Report.Final.XLSX"_s)).fileExtension, u"xlsx"_s);
}

TEST(FileRouter, HasExactlyTheNineSupportedRows)
{
    struct Row {
        QString extension;
        WorkspaceFileFamily family;
        WorkspaceEditor editor;
        QString sourceMimeType;
        bool isOffice;
    };
    const Row rows[] = {
        {u"csv"_s, WorkspaceFileFamily::csvImport, WorkspaceEditor::sheets, u"text/csv"_s, false},
        {u"tsv"_s, WorkspaceFileFamily::csvImport, WorkspaceEditor::sheets, u"text/tab-separated-values"_s, false},
        {u"xls"_s, WorkspaceFileFamily::sheet, WorkspaceEditor::sheets, u"application/vnd.ms-excel"_s, true},
        {u"xlsx"_s, WorkspaceFileFamily::sheet, WorkspaceEditor::sheets,
         u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s, true},
        {u"xlsm"_s, WorkspaceFileFamily::sheet, WorkspaceEditor::sheets,
         u"application/vnd.ms-excel.sheet.macroEnabled.12"_s, true},
        {u"doc"_s, WorkspaceFileFamily::document, WorkspaceEditor::docs, u"application/msword"_s, true},
        {u"docx"_s, WorkspaceFileFamily::document, WorkspaceEditor::docs,
         u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s, true},
        {u"ppt"_s, WorkspaceFileFamily::presentation, WorkspaceEditor::slides, u"application/vnd.ms-powerpoint"_s,
         true},
        {u"pptx"_s, WorkspaceFileFamily::presentation, WorkspaceEditor::slides,
         u"application/vnd.openxmlformats-officedocument.presentationml.presentation"_s, true},
    };
    for (const Row& row : rows) {
        const FileRoute route = FileRouter().route(row.extension);
        EXPECT_EQ(route.family, row.family) << row.extension.toStdString();
        EXPECT_EQ(route.editor, row.editor) << row.extension.toStdString();
        EXPECT_EQ(route.sourceMimeType, row.sourceMimeType);
        EXPECT_EQ(route.targetGoogleMimeType, googleMimeType(row.editor));
        EXPECT_EQ(route.isOfficeFile, row.isOffice);
        EXPECT_EQ(route.forcedOpenMode.has_value(), !row.isOffice);
    }
    const std::span<const FileRoute> supported = FileRouter::supportedRoutes();
    ASSERT_EQ(supported.size(), std::size(rows));
    for (std::size_t index = 0; index < supported.size(); ++index)
        EXPECT_EQ(supported[index], FileRouter().route(rows[index].extension)) << index;
}

TEST(FileRouter, RefusesUnsupportedExtensionsWithTheNormalisedText)
{
    const OrvaneError noExtension = routingFailure(QUrl(u"file:///tmp/README"_s));
    EXPECT_EQ(noExtension, OrvaneError::unsupportedFileExtension(u"unknown"_s));
    EXPECT_EQ(noExtension.localizedDescription(),
              u"Orvane does not support .unknown. Supported files are CSV, TSV, Excel, Word, and PowerPoint."_s);
    EXPECT_EQ(routingFailure(u"..."_s).associatedText(), u"unknown"_s);
    EXPECT_EQ(routingFailure(QUrl(u"file:///tmp/Book.XLSB"_s)).localizedDescription(),
              u"Orvane does not support .xlsb. Supported files are CSV, TSV, Excel, Word, and PowerPoint."_s);
    EXPECT_EQ(routingFailure(u"pdf"_s).associatedText(), u"pdf"_s);
    // A dot inside the extension is kept, so the text is not supported.
    EXPECT_EQ(routingFailure(u"c.sv"_s).associatedText(), u"c.sv"_s);
}

TEST(FileRoute, CsvAndTsvAreAlwaysConverted)
{
    for (const QString& extension : {u"csv"_s, u"tsv"_s}) {
        const FileRoute route = FileRouter().route(extension);
        EXPECT_EQ(route.effectiveOpenMode(OpenMode::officePreserved), OpenMode::googleFormat);
        EXPECT_EQ(route.uploadMetadataMimeType(OpenMode::officePreserved),
                  u"application/vnd.google-apps.spreadsheet"_s);
    }
}

TEST(FileRoute, OfficeFilesFollowTheRequestedMode)
{
    const FileRoute docx = FileRouter().route(u"docx"_s);
    EXPECT_EQ(docx.effectiveOpenMode(OpenMode::officePreserved), OpenMode::officePreserved);
    EXPECT_EQ(docx.uploadMetadataMimeType(OpenMode::officePreserved), docx.sourceMimeType);
    EXPECT_EQ(docx.uploadMetadataMimeType(OpenMode::googleFormat), u"application/vnd.google-apps.document"_s);

    FileRoute withoutTarget = docx;
    withoutTarget.targetGoogleMimeType.reset();
    EXPECT_EQ(withoutTarget.uploadMetadataMimeType(OpenMode::googleFormat), docx.sourceMimeType);
}

TEST(FileRoute, JsonLeavesAbsentOptionalsOutAndRoundTrips)
{
    const FileRoute csv = FileRouter().route(u"csv"_s);
    EXPECT_EQ(QJsonDocument(csv.toJson()).toJson(QJsonDocument::Compact),
              R"({"editor":"sheets","family":"csvImport","fileExtension":"csv","forcedOpenMode":"googleFormat",)"
              R"("isOfficeFile":false,"sourceMimeType":"text/csv",)"
              R"("targetGoogleMimeType":"application/vnd.google-apps.spreadsheet"})");
    EXPECT_EQ(FileRoute::fromJson(csv.toJson()), csv);

    const FileRoute xlsx = FileRouter().route(u"xlsx"_s);
    EXPECT_FALSE(xlsx.toJson().contains(u"forcedOpenMode"_s));
    EXPECT_EQ(FileRoute::fromJson(xlsx.toJson()), xlsx);

    QJsonObject unknownMode = csv.toJson();
    unknownMode.insert(u"forcedOpenMode"_s, u"pdf"_s);
    EXPECT_THROW(FileRoute::fromJson(unknownMode), DecodingError);
}

TEST(Enumerations, RawValuesRoundTripAndRejectOtherText)
{
    for (OpenMode mode : allOpenModes)
        EXPECT_EQ(openModeFromRawValue(rawValue(mode)), mode);
    for (WorkspaceEditor editor : allWorkspaceEditors)
        EXPECT_EQ(workspaceEditorFromRawValue(rawValue(editor)), editor);
    for (WorkspaceFileFamily family : allWorkspaceFileFamilies)
        EXPECT_EQ(workspaceFileFamilyFromRawValue(rawValue(family)), family);
    EXPECT_EQ(openModeFromRawValue(u"OfficePreserved"_s), std::nullopt);
    EXPECT_EQ(displayName(OpenMode::officePreserved), u"Keep Office format"_s);
    EXPECT_EQ(destinationFolderName(WorkspaceFileFamily::csvImport), u"CSV Imports"_s);
}

TEST(GoogleFileURLResolver, GoogleFormatAlwaysOpensTheEditor)
{
    const GoogleFileURLResolver resolver;
    const QUrl link(u"https://drive.google.com/file/d/abc/view?usp=drivesdk"_s);
    EXPECT_EQ(resolver.openURL(u"abc"_s, WorkspaceEditor::docs, OpenMode::googleFormat, link),
              QUrl(u"https://docs.google.com/document/d/abc/edit"_s));
    EXPECT_EQ(resolver.openURL(u"id1"_s, WorkspaceEditor::sheets, OpenMode::googleFormat, std::nullopt),
              QUrl(u"https://docs.google.com/spreadsheets/d/id1/edit"_s));
    EXPECT_EQ(resolver.openURL(u"id2"_s, WorkspaceEditor::slides, OpenMode::googleFormat, std::nullopt),
              QUrl(u"https://docs.google.com/presentation/d/id2/edit"_s));
}

TEST(GoogleFileURLResolver, OfficeModePrefersTheWebLink)
{
    const GoogleFileURLResolver resolver;
    const QUrl link(u"https://drive.google.com/file/d/abc/view?usp=drivesdk"_s);
    EXPECT_EQ(resolver.openURL(u"abc"_s, WorkspaceEditor::docs, OpenMode::officePreserved, link), link);
    EXPECT_EQ(resolver.openURL(u"abc"_s, WorkspaceEditor::docs, OpenMode::officePreserved, std::nullopt),
              QUrl(u"https://drive.google.com/file/d/abc/view"_s));
}

TEST(GoogleServiceEndpoints, ServiceRootMovesEveryEndpointButNotTheScope)
{
    const Environment environment{{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, u"http://127.0.0.1:8765"_s}};
    const GoogleServiceEndpoints local = GoogleServiceEndpoints::fromEnvironment(environment);
    EXPECT_EQ(local.authorizationEndpoint, QUrl(u"http://127.0.0.1:8765/o/oauth2/v2/auth"_s));
    EXPECT_EQ(local.tokenEndpoint, QUrl(u"http://127.0.0.1:8765/token"_s));
    EXPECT_EQ(local.driveFilesEndpoint, QUrl(u"http://127.0.0.1:8765/drive/v3/files"_s));
    EXPECT_EQ(local.driveAboutEndpoint, QUrl(u"http://127.0.0.1:8765/drive/v3/about"_s));
    EXPECT_EQ(local.driveUploadEndpoint, QUrl(u"http://127.0.0.1:8765/upload/drive/v3/files"_s));
    EXPECT_EQ(GoogleFileURLResolver(local).openURL(u"x"_s, WorkspaceEditor::sheets, OpenMode::googleFormat, {}),
              QUrl(u"http://127.0.0.1:8765/spreadsheets/d/x/edit"_s));
    EXPECT_EQ(GoogleFileURLResolver(local).openURL(u"x"_s, WorkspaceEditor::sheets, OpenMode::officePreserved, {}),
              QUrl(u"http://127.0.0.1:8765/file/d/x/view"_s));
    EXPECT_EQ(GoogleServiceEndpoints::driveFileScope(), u"https://www.googleapis.com/auth/drive.file"_s);

    EXPECT_EQ(GoogleServiceEndpoints::fromEnvironment({}), GoogleServiceEndpoints::google());
    EXPECT_EQ(GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, QString()}}),
              GoogleServiceEndpoints::google());
    EXPECT_EQ(GoogleServiceEndpoints::google().driveUploadEndpoint,
              QUrl(u"https://www.googleapis.com/upload/drive/v3/files"_s));
}

TEST(OrvaneError, EqualityComparesCaseAndText)
{
    EXPECT_EQ(OrvaneError::localFileUnavailable(u"x"_s), OrvaneError::localFileUnavailable(u"x"_s));
    EXPECT_NE(OrvaneError::localFileUnavailable(u"x"_s), OrvaneError::localFileUnavailable(u"y"_s));
    EXPECT_NE(OrvaneError::localFileUnavailable(u"x"_s), OrvaneError::unsupportedFileExtension(u"x"_s));
    EXPECT_EQ(OrvaneError::localFileUnavailable(u"/a b"_s).localizedDescription(),
              u"The local file could not be read: /a b"_s);
    EXPECT_EQ(OrvaneError::driveResponseMissingFileID().errorDescription(),
              u"Google Drive did not return a file ID."_s);
    EXPECT_STREQ(OrvaneError::oauthStateMismatch().what(),
                 "The Google OAuth callback did not match this sign-in attempt.");
}

TEST(GoogleServiceEndpoints, AServiceRootThatIsNotAnAddressOfAHostIsRefusedNeverGoogle)
{
    const QString requirement = u"it must be an http or https address of a host, with an optional port and no path, "
                                u"such as http://127.0.0.1:8765"_s;
    for (const QString& root : {u"127.0.0.1:8765"_s, u"localhost"_s, u"ftp://127.0.0.1:8765"_s, u"http://"_s,
                                u"http://127.0.0.1:8765/drive"_s, u"http://127.0.0.1:8765?x=1"_s,
                                u"http://aki@127.0.0.1:8765"_s, u"http://127.0.0.1:99999"_s, u"not a url"_s}) {
        try {
            GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, root}});
            ADD_FAILURE() << "accepted " << root.toStdString();
        } catch (const ConfigurationError& error) {
            EXPECT_EQ(error.localizedDescription(),
                      u"ORVANE_GOOGLE_SERVICE_ROOT is \u201C%1\u201D, which Orvane cannot use: %2."_s.arg(root,
                                                                                                      requirement));
        }
    }
    // The root path is no path.
    EXPECT_EQ(GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, u"http://127.0.0.1:8765/"_s}}),
              GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, u"http://127.0.0.1:8765"_s}}));
}

TEST(GoogleServiceEndpoints, TokensTravelOnlyOverHttpsOrToThisComputer)
{
    for (const QString& root : {u"https://google.stand-in.example"_s, u"http://127.0.0.1:8765"_s, u"http://127.8.9.10"_s,
                                u"http://[::1]:8765"_s, u"http://localhost:8765"_s, u"http://LocalHost"_s})
        EXPECT_NO_THROW(GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, root}}))
            << root.toStdString();
    for (const QString& root : {u"http://google.stand-in.example"_s, u"http://192.168.1.2:8765"_s,
                                u"http://128.0.0.1"_s, u"http://[::2]"_s, u"http://localhost.example"_s}) {
        try {
            GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, root}});
            ADD_FAILURE() << "accepted " << root.toStdString();
        } catch (const ConfigurationError& error) {
            EXPECT_EQ(error.localizedDescription(),
                      u"ORVANE_GOOGLE_SERVICE_ROOT is \u201C%1\u201D, which Orvane cannot use: tokens travel only "
                      u"over https, or over http to this computer (localhost, 127.0.0.0/8 or ::1)."_s.arg(root));
        }
    }
}

TEST(GoogleServiceEndpoints, AStandInIsNamedByADigestOfItsRoot)
{
    const auto nameFor = [](const QString& root) {
        return GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, root}}).standInName();
    };
    EXPECT_EQ(GoogleServiceEndpoints::google().standInName(), std::nullopt);
    // The first 16 hexadecimal digits of the SHA-256 of "http://127.0.0.1:8765".
    const QByteArray digest = QCryptographicHash::hash("http://127.0.0.1:8765", QCryptographicHash::Sha256);
    EXPECT_EQ(nameFor(u"http://127.0.0.1:8765"_s), QString::fromLatin1(digest.toHex().left(16)));
    EXPECT_EQ(nameFor(u"http://127.0.0.1:8765/"_s), nameFor(u"http://127.0.0.1:8765"_s));
    EXPECT_NE(nameFor(u"http://127.0.0.1:8766"_s), nameFor(u"http://127.0.0.1:8765"_s));
}
