#include "routing/FileRouting.h"

#include "support/JsonDecoding.h"
#include "routing/OrvaneError.h"

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

const QString spreadsheetType = QStringLiteral("application/vnd.google-apps.spreadsheet");
const QString documentType = QStringLiteral("application/vnd.google-apps.document");
const QString presentationType = QStringLiteral("application/vnd.google-apps.presentation");

const std::array<FileRoute, 9> routingTable{{
    {u"csv"_s, WorkspaceFileFamily::csvImport, WorkspaceEditor::sheets, u"text/csv"_s, spreadsheetType, false,
     OpenMode::googleFormat},
    {u"tsv"_s, WorkspaceFileFamily::csvImport, WorkspaceEditor::sheets, u"text/tab-separated-values"_s,
     spreadsheetType, false, OpenMode::googleFormat},
    {u"xls"_s, WorkspaceFileFamily::sheet, WorkspaceEditor::sheets, u"application/vnd.ms-excel"_s, spreadsheetType,
     true, std::nullopt},
    {u"xlsx"_s, WorkspaceFileFamily::sheet, WorkspaceEditor::sheets,
     u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s, spreadsheetType, true, std::nullopt},
    {u"xlsm"_s, WorkspaceFileFamily::sheet, WorkspaceEditor::sheets,
     u"application/vnd.ms-excel.sheet.macroEnabled.12"_s, spreadsheetType, true, std::nullopt},
    {u"doc"_s, WorkspaceFileFamily::document, WorkspaceEditor::docs, u"application/msword"_s, documentType, true,
     std::nullopt},
    {u"docx"_s, WorkspaceFileFamily::document, WorkspaceEditor::docs,
     u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s, documentType, true, std::nullopt},
    {u"ppt"_s, WorkspaceFileFamily::presentation, WorkspaceEditor::slides, u"application/vnd.ms-powerpoint"_s,
     presentationType, true, std::nullopt},
    {u"pptx"_s, WorkspaceFileFamily::presentation, WorkspaceEditor::slides,
     u"application/vnd.openxmlformats-officedocument.presentationml.presentation"_s, presentationType, true,
     std::nullopt},
}};

// Looks a raw value up among the cases of an enumeration.
template <typename Enum, std::size_t N>
std::optional<Enum> caseWithRawValue(const std::array<Enum, N>& cases, const QString& text)
{
    for (Enum value : cases) {
        if (rawValue(value) == text)
            return value;
    }
    return std::nullopt;
}

} // namespace

QString rawValue(WorkspaceEditor editor)
{
    switch (editor) {
    case WorkspaceEditor::sheets:
        return QStringLiteral("sheets");
    case WorkspaceEditor::docs:
        return QStringLiteral("docs");
    case WorkspaceEditor::slides:
        return QStringLiteral("slides");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<WorkspaceEditor> workspaceEditorFromRawValue(const QString& text)
{
    return caseWithRawValue(allWorkspaceEditors, text);
}

QString googleMimeType(WorkspaceEditor editor)
{
    switch (editor) {
    case WorkspaceEditor::sheets:
        return spreadsheetType;
    case WorkspaceEditor::docs:
        return documentType;
    case WorkspaceEditor::slides:
        return presentationType;
    }
    Q_UNREACHABLE();
    return {};
}

QString editorURLPath(WorkspaceEditor editor)
{
    switch (editor) {
    case WorkspaceEditor::sheets:
        return QStringLiteral("spreadsheets");
    case WorkspaceEditor::docs:
        return QStringLiteral("document");
    case WorkspaceEditor::slides:
        return QStringLiteral("presentation");
    }
    Q_UNREACHABLE();
    return {};
}

QString rawValue(WorkspaceFileFamily family)
{
    switch (family) {
    case WorkspaceFileFamily::csvImport:
        return QStringLiteral("csvImport");
    case WorkspaceFileFamily::sheet:
        return QStringLiteral("sheet");
    case WorkspaceFileFamily::document:
        return QStringLiteral("document");
    case WorkspaceFileFamily::presentation:
        return QStringLiteral("presentation");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<WorkspaceFileFamily> workspaceFileFamilyFromRawValue(const QString& text)
{
    return caseWithRawValue(allWorkspaceFileFamilies, text);
}

QString destinationFolderName(WorkspaceFileFamily family)
{
    switch (family) {
    case WorkspaceFileFamily::csvImport:
        return QStringLiteral("CSV Imports");
    case WorkspaceFileFamily::sheet:
        return QStringLiteral("Sheets");
    case WorkspaceFileFamily::document:
        return QStringLiteral("Docs");
    case WorkspaceFileFamily::presentation:
        return QStringLiteral("Slides");
    }
    Q_UNREACHABLE();
    return {};
}

QString rawValue(OpenMode mode)
{
    switch (mode) {
    case OpenMode::googleFormat:
        return QStringLiteral("googleFormat");
    case OpenMode::officePreserved:
        return QStringLiteral("officePreserved");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<OpenMode> openModeFromRawValue(const QString& text)
{
    return caseWithRawValue(allOpenModes, text);
}

QString displayName(OpenMode mode)
{
    switch (mode) {
    case OpenMode::googleFormat:
        return QStringLiteral("Google format");
    case OpenMode::officePreserved:
        return QStringLiteral("Keep Office format");
    }
    Q_UNREACHABLE();
    return {};
}

OpenMode FileRoute::effectiveOpenMode(OpenMode preferredOfficeMode) const
{
    return forcedOpenMode.value_or(preferredOfficeMode);
}

QString FileRoute::uploadMetadataMimeType(OpenMode mode) const
{
    if (effectiveOpenMode(mode) == OpenMode::googleFormat && targetGoogleMimeType)
        return *targetGoogleMimeType;
    return sourceMimeType;
}

QJsonObject FileRoute::toJson() const
{
    QJsonObject object{
        {u"fileExtension"_s, fileExtension},
        {u"family"_s, rawValue(family)},
        {u"editor"_s, rawValue(editor)},
        {u"sourceMimeType"_s, sourceMimeType},
        {u"isOfficeFile"_s, isOfficeFile},
    };
    if (targetGoogleMimeType)
        object.insert(u"targetGoogleMimeType"_s, *targetGoogleMimeType);
    if (forcedOpenMode)
        object.insert(u"forcedOpenMode"_s, rawValue(*forcedOpenMode));
    return object;
}

FileRoute FileRoute::fromJson(const QJsonObject& object)
{
    std::optional<OpenMode> forced;
    if (json::optionalString(object, "forcedOpenMode"_L1))
        forced = json::requireEnum<OpenMode>(object, "forcedOpenMode"_L1, openModeFromRawValue);
    return {
        .fileExtension = json::requireString(object, "fileExtension"_L1),
        .family = json::requireEnum<WorkspaceFileFamily>(object, "family"_L1, workspaceFileFamilyFromRawValue),
        .editor = json::requireEnum<WorkspaceEditor>(object, "editor"_L1, workspaceEditorFromRawValue),
        .sourceMimeType = json::requireString(object, "sourceMimeType"_L1),
        .targetGoogleMimeType = json::optionalString(object, "targetGoogleMimeType"_L1),
        .isOfficeFile = json::requireBool(object, "isOfficeFile"_L1),
        .forcedOpenMode = forced,
    };
}

QString pathExtension(const QUrl& url)
{
    const QString name = url.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

std::span<const FileRoute> FileRouter::supportedRoutes()
{
    return routingTable;
}

FileRoute FileRouter::route(const QUrl& fileURL) const
{
    return route(pathExtension(fileURL));
}

FileRoute FileRouter::route(const QString& fileExtension) const
{
    qsizetype first = 0;
    qsizetype last = fileExtension.size();
    while (first < last && fileExtension.at(first) == QLatin1Char('.'))
        ++first;
    while (last > first && fileExtension.at(last - 1) == QLatin1Char('.'))
        --last;
    const QString normalized = fileExtension.mid(first, last - first).toLower();
    for (const FileRoute& route : routingTable) {
        if (route.fileExtension == normalized)
            return route;
    }
    throw OrvaneError::unsupportedFileExtension(normalized);
}

QUrl GoogleFileURLResolver::openURL(const QString& fileID, WorkspaceEditor editor, OpenMode mode,
                                    const std::optional<QUrl>& webViewLink) const
{
    if (mode == OpenMode::officePreserved) {
        if (webViewLink)
            return *webViewLink;
        return QUrl(driveWebRoot_.toString() + QStringLiteral("/file/d/") + fileID + QStringLiteral("/view"));
    }
    return QUrl(docsWebRoot_.toString() + QLatin1Char('/') + editorURLPath(editor) + QStringLiteral("/d/") + fileID
                + QStringLiteral("/edit"));
}

} // namespace orvane
