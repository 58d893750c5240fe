#include "routing/OrvaneError.h"

namespace orvane {

OrvaneError OrvaneError::unsupportedFileExtension(const QString& normalizedExtension)
{
    return OrvaneError(Code::unsupportedFileExtension,
                       normalizedExtension.isEmpty() ? QStringLiteral("unknown") : normalizedExtension);
}

OrvaneError OrvaneError::localFileUnavailable(const QString& path, const QString& why)
{
    return OrvaneError(Code::localFileUnavailable, why.isEmpty() ? path : QStringLiteral("%1 (%2)").arg(path, why));
}

std::optional<QString> OrvaneError::errorDescription() const
{
    switch (code_) {
    case Code::unsupportedFileExtension:
        return QStringLiteral("Orvane does not support .%1. Supported files are CSV, TSV, Excel, Word, and PowerPoint.")
            .arg(text_);
    case Code::localFileUnavailable:
        return QStringLiteral("The local file could not be read: ") + text_;
    case Code::missingOAuthClientID:
        return QStringLiteral("Google OAuth client ID is not configured.");
    case Code::invalidOAuthCallback:
        return QStringLiteral("The Google OAuth callback could not be read.");
    case Code::oauthStateMismatch:
        return QStringLiteral("The Google OAuth callback did not match this sign-in attempt.");
    case Code::oauthTokenUnavailable:
        return QStringLiteral("Google did not return an access token.");
    case Code::driveResponseMissingFileID:
        return QStringLiteral("Google Drive did not return a file ID.");
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace orvane
