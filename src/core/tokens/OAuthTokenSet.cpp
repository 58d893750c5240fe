#include "tokens/OAuthTokenSet.h"

#include "support/JsonDecoding.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace orvane {

namespace {

// The reference date the stored expiry counts from: 2001-01-01T00:00:00Z.
constexpr qint64 referenceDateMSecsSinceEpoch = 978'307'200'000;

const QLatin1StringView accessTokenKey("accessToken");
const QLatin1StringView refreshTokenKey("refreshToken");
const QLatin1StringView expiresAtKey("expiresAt");
const QLatin1StringView scopeKey("scope");
const QLatin1StringView tokenTypeKey("tokenType");

void insertIfPresent(QJsonObject& object, QLatin1StringView key, const std::optional<QString>& value)
{
    if (value)
        object.insert(key, *value);
}

} // namespace

bool OAuthTokenSet::isAccessTokenCurrent(const QDateTime& now) const
{
    return expiresAt > now.addSecs(expiryMargin.count());
}

QByteArray OAuthTokenSet::toJson() const
{
    QJsonObject object{{accessTokenKey, accessToken}};
    insertIfPresent(object, refreshTokenKey, refreshToken);
    object.insert(expiresAtKey, double(expiresAt.toMSecsSinceEpoch() - referenceDateMSecsSinceEpoch) / 1000.0);
    insertIfPresent(object, scopeKey, scope);
    insertIfPresent(object, tokenTypeKey, tokenType);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

OAuthTokenSet OAuthTokenSet::fromJson(const QByteArray& json)
{
    const QJsonObject object = json::parseObject(json);
    const double expirySeconds = json::requireDouble(object, expiresAtKey);
    // Far beyond any real expiry, and well inside what a date can hold.
    if (std::fabs(expirySeconds) > 1e12)
        throw DecodingError(QString(expiresAtKey), QStringLiteral("date out of range"));
    return {
        .accessToken = json::requireString(object, accessTokenKey),
        .refreshToken = json::optionalString(object, refreshTokenKey),
        .expiresAt = QDateTime::fromMSecsSinceEpoch(
            referenceDateMSecsSinceEpoch + std::llround(expirySeconds * 1000.0), Qt::UTC),
        .scope = json::optionalString(object, scopeKey),
        .tokenType = json::optionalString(object, tokenTypeKey),
    };
}

} // namespace orvane
