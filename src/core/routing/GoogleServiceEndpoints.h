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
    // How a program ends when that variable cannot be used.
    static constexpr int unusableServiceRootExitStatus = 2;
    // An identifier, not an endpoint: it names the scope and never moves.
    static QString driveFileScope();

    QUrl authorizationEndpoint;
    QUrl tokenEndpoint;
    QUrl driveFilesEndpoint;
    QUrl driveAboutEndpoint;
    QUrl driveUploadEndpoint;
    QUrl docsWebRoot;
    QUrl driveWebRoot;

    static GoogleServiceEndpoints google();
    // Google's hosts, or the stand-in named by ORVANE_GOOGLE_SERVICE_ROOT.
    // Throws ConfigurationError when the variable is set but is not an http
    // or https URL of a host without a path, or would send tokens over plain
    // http to another computer: a mistyped stand-in must never turn into
    // Google. Programs check it at their start and end with status 2.
    static GoogleServiceEndpoints fromEnvironment(const Environment& environment);

    // The same endpoints with scheme, host and port taken from root.
    GoogleServiceEndpoints withServiceRoot(const QUrl& root) const;

    // Scheme, host and port of a stand-in service; none for Google's own hosts.
    std::optional<QUrl> standInRoot() const;
    // A short name for the stand-in, the same for every run against the same
    // root, for what an Orvane on it keeps apart (its socket, its records):
    // the first 16 hexadecimal digits of the SHA-256 of the root's text.
    std::optional<QString> standInName() const;

    bool operator==(const GoogleServiceEndpoints&) const = default;
};

} // namespace orvane
