#pragma once

#include "routing/GoogleServiceEndpoints.h"

#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <array>
#include <optional>
#include <span>

namespace orvane {

// The Google editor that opens a file.
enum class WorkspaceEditor { sheets, docs, slides };
inline constexpr std::array allWorkspaceEditors{WorkspaceEditor::sheets, WorkspaceEditor::docs, WorkspaceEditor::slides};
QString rawValue(WorkspaceEditor editor);
std::optional<WorkspaceEditor> workspaceEditorFromRawValue(const QString& rawValue);
QString googleMimeType(WorkspaceEditor editor);
QString editorURLPath(WorkspaceEditor editor);

// The kind of a supported file, which decides its folder on Drive.
enum class WorkspaceFileFamily { csvImport, sheet, document, presentation };
inline constexpr std::array allWorkspaceFileFamilies{WorkspaceFileFamily::csvImport, WorkspaceFileFamily::sheet,
                                                     WorkspaceFileFamily::document, WorkspaceFileFamily::presentation};
QString rawValue(WorkspaceFileFamily family);
std::optional<WorkspaceFileFamily> workspaceFileFamilyFromRawValue(const QString& rawValue);
QString destinationFolderName(WorkspaceFileFamily family);

// How an uploaded file is opened: converted to the Google editor's format, or
// kept as the Office file and opened from Drive.
enum class OpenMode { googleFormat, officePreserved };
inline constexpr std::array allOpenModes{OpenMode::googleFormat, OpenMode::officePreserved};
QString rawValue(OpenMode mode);
std::optional<OpenMode> openModeFromRawValue(const QString& rawValue);
QString displayName(OpenMode mode);

// Everything the system knows about one supported extension.
struct FileRoute {
    QString fileExtension;
    WorkspaceFileFamily family;
    WorkspaceEditor editor;
    QString sourceMimeType;
    std::optional<QString> targetGoogleMimeType;
    bool isOfficeFile;
    std::optional<OpenMode> forcedOpenMode;

    QString destinationFolderName() const { return orvane::destinationFolderName(family); }
    OpenMode effectiveOpenMode(OpenMode preferredOfficeMode) const;
    // The MIME type the upload metadata declares: the Google type makes Drive
    // convert the file, the source type keeps it unconverted.
    QString uploadMetadataMimeType(OpenMode mode) const;

    QJsonObject toJson() const;
    static FileRoute fromJson(const QJsonObject& object);

    bool operator==(const FileRoute&) const = default;
};

// The extension of a URL's last path component: the text after its last dot,
// empty when there is none.
QString pathExtension(const QUrl& url);

// Maps file extensions to routes; refuses everything else.
class FileRouter {
public:
    // Every supported extension's route, in a fixed order: csv, tsv, xls,
    // xlsx, xlsm, doc, docx, ppt, pptx.
    static std::span<const FileRoute> supportedRoutes();

    // Throws OrvaneError::unsupportedFileExtension.
    FileRoute route(const QUrl& fileURL) const;
    // Dots at either end are stripped and case ignored: ".CSV", "csv." and "Csv" are all "csv".
    FileRoute route(const QString& fileExtension) const;
};

// Names the folders an upload is filed under.
struct DriveFolderResolver {
    QString rootFolderName;

    QString destinationFolderName(const FileRoute& route) const { return route.destinationFolderName(); }
};

// Builds the browser URL that opens an uploaded file.
class GoogleFileURLResolver {
public:
    GoogleFileURLResolver() : GoogleFileURLResolver(GoogleServiceEndpoints::google()) {}
    explicit GoogleFileURLResolver(const GoogleServiceEndpoints& endpoints)
        : docsWebRoot_(endpoints.docsWebRoot), driveWebRoot_(endpoints.driveWebRoot)
    {
    }

    // googleFormat: the editor page, whatever the web link. officePreserved:
    // the web link as Drive reported it, else the Drive file page.
    QUrl openURL(const QString& fileID, WorkspaceEditor editor, OpenMode mode,
                 const std::optional<QUrl>& webViewLink) const;

private:
    QUrl docsWebRoot_;
    QUrl driveWebRoot_;
};

} // namespace orvane
