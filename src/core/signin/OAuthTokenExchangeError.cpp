#include "signin/OAuthTokenExchangeError.h"

namespace orvane {

std::optional<QString> OAuthTokenExchangeError::errorDescription() const
{
    const QString head = QStringLiteral("Google OAuth token exchange failed (%1, %2)").arg(statusCode_).arg(error_);
    if (details_ && !details_->isEmpty())
        return head + QStringLiteral(": ") + *details_;
    return head + QLatin1Char('.');
}

} // namespace orvane
