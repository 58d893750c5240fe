#pragma once

#include "GoogleEmulatorProcess.h"

#include <QCryptographicHash>
#include <QUrlQuery>

#include <gtest/gtest.h>

// Shared by the emulator's endpoint tests: requests shaped as Orvane sends them.
namespace orvane::testsupport::emulator_tests {

using namespace Qt::Literals::StringLiterals;

inline const QString driveFileScope = u"https://www.googleapis.com/auth/drive.file"_s;
inline const QString folderType = u"application/vnd.google-apps.folder"_s;
inline const QString spreadsheetType = u"application/vnd.google-apps.spreadsheet"_s;
inline const QString xlsxType = u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s;
inline const QString verifier = u"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"_s;
inline const QString redirectUri = u"http://127.0.0.1:5678/oauth2redirect"_s;

inline QString challengeOf(const QString& codeVerifier)
{
    return QString::fromLatin1(QCryptographicHash::hash(codeVerifier.toLatin1(), QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

using Parameters = QList<std::pair<QString, QString>>;

// Orvane's nine authorisation parameters, in its order.
inline Parameters authorizationParameters(const QString& clientId)
{
    return {{u"client_id"_s, clientId},           {u"redirect_uri"_s, redirectUri},
            {u"response_type"_s, u"code"_s},       {u"scope"_s, driveFileScope},
            {u"access_type"_s, u"offline"_s},      {u"prompt"_s, u"consent"_s},
            {u"code_challenge"_s, challengeOf(verifier)}, {u"code_challenge_method"_s, u"S256"_s},
            {u"state"_s, u"state-1234"_s}};
}

inline Parameters with(Parameters parameters, const QString& name, const std::optional<QString>& value)
{
    parameters.removeIf([&](const auto& item) { return item.first == name; });
    if (value)
        parameters.append({name, *value});
    return parameters;
}

inline QByteArray formEncoded(const Parameters& parameters)
{
    QByteArrayList items;
    for (const auto& [name, value] : parameters)
        items.append(QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value, "/"));
    return items.join('&');
}

inline QUrl authorizationUrl(const GoogleEmulatorProcess& emulator, const Parameters& parameters)
{
    return emulator.url(u"/o/oauth2/v2/auth?"_s + QString::fromLatin1(formEncoded(parameters)));
}

inline HttpHeaderList bearer(const QString& token)
{
    return {{"Authorization"_ba, "Bearer "_ba + token.toLatin1()}};
}

// An upload body exactly as Orvane builds it.
struct UploadBody {
    QByteArray boundary = "OrvaneBoundary-0C8E1C2A-5B4B-4E0B-8A0F-3C2D1E0F9A8B"_ba;
    QByteArray metadata;
    QByteArray mediaType;
    QByteArray media;

    QByteArray bytes() const
    {
        return "--"_ba + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n"_ba + metadata + "\r\n--"_ba + boundary
            + "\r\nContent-Type: "_ba + mediaType + "\r\n\r\n"_ba + media + "\r\n--"_ba + boundary + "--\r\n"_ba;
    }
    QByteArray contentType() const { return "multipart/related; boundary="_ba + boundary; }
};

inline const QString uploadPath = u"/upload/drive/v3/files?uploadType=multipart&fields=id,name,webViewLink,mimeType"_s;

inline QString folderLookup(const QString& escapedName, const QString& parentId)
{
    return u"mimeType='application/vnd.google-apps.folder' and name='"_s + escapedName + u"' and '"_s + parentId
        + u"' in parents and trashed=false"_s;
}

inline QUrl folderLookupUrl(const GoogleEmulatorProcess& emulator, const QString& escapedName, const QString& parentId)
{
    return emulator.url(u"/drive/v3/files?"_s
                        + QString::fromLatin1(formEncoded({{u"q"_s, folderLookup(escapedName, parentId)},
                                                           {u"fields"_s, u"files(id,name)"_s},
                                                           {u"pageSize"_s, u"1"_s}})));
}

} // namespace orvane::testsupport::emulator_tests
