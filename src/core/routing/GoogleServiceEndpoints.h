#pragma once

#include "support/Environment.h"

#include <QUrl>

#include <optional>

namespace orvane {

// Every Google host and path Orvane talks to or sends the browser to. The
// defaults are Google's public hosts; ORVANE_GOOGLE_SERVICE_ROOT (for example
// http://127.0.0.1:8765) moves all of them to one stand-in, paths unchanged.
struct GoogleServiceEndpoints {
    static constexpr const char* serviceRootVariable = "ORVANE_GOOGLE_SERVICE_ROOT";
    // An identifier, not an endpoint: it names the scope and never moves.
    static QString driveFileScope();

    QUrl authorizationEndpoint;
    QUrl tokenEndpoint;
    QUrl driveFilesEndpoint;
    QUrl driveUploadEndpoint;
    QUrl docsWebRoot;
    QUrl driveWebRoot;

    static GoogleServiceEndpoints google();
    // Google's hosts, or the stand-in named by ORVANE_GOOGLE_SERVICE_ROOT when
    // it holds an http or https URL with a host.
    static GoogleServiceEndpoints fromEnvironment(const Environment& environment);

    // The same endpoints with scheme, host and port taken from root.
    GoogleServiceEndpoints withServiceRoot(const QUrl& root) const;

    // Scheme, host and port of a stand-in service; none for Google's own hosts.
    std::optional<QUrl> standInRoot() const;

    bool operator==(const GoogleServiceEndpoints&) const = default;
};

} // namespace orvane
