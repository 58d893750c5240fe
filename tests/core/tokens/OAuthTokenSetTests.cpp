#include "support/DecodingError.h"
#include "tokens/OAuthTokenSet.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QDateTime referenceDate(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

} // namespace

TEST(OAuthTokenSet, WritesCompactJsonWithTheExpiryAsSecondsSince2001)
{
    const OAuthTokenSet tokens{
        .accessToken = u"ya29.a"_s,
        .refreshToken = std::nullopt,
        .expiresAt = referenceDate.addSecs(3600),
        .scope = std::nullopt,
        .tokenType = std::nullopt,
    };
    EXPECT_EQ(tokens.toJson(), R"({"accessToken":"ya29.a","expiresAt":3600})");
    EXPECT_EQ(OAuthTokenSet::fromJson(tokens.toJson()), tokens);
}

TEST(OAuthTokenSet, RoundTripsEveryFieldWithFractionalSeconds)
{
    const OAuthTokenSet tokens{
        .accessToken = u"ya29.a"_s,
        .refreshToken = u"1//r"_s,
        .expiresAt = QDateTime(QDate(2031, 5, 6), QTime(7, 8, 9, 250), Qt::UTC),
        .scope = u"https://www.googleapis.com/auth/drive.file"_s,
        .tokenType = u"Bearer"_s,
    };
    const QJsonObject object = QJsonDocument::fromJson(tokens.toJson()).object();
    EXPECT_EQ(object.keys(), (QStringList{u"accessToken"_s, u"expiresAt"_s, u"refreshToken"_s, u"scope"_s, u"tokenType"_s}));
    EXPECT_DOUBLE_EQ(object.value(u"expiresAt"_s).toDouble(), 957'510'489.25);
    EXPECT_EQ(OAuthTokenSet::fromJson(tokens.toJson()), tokens);
}

TEST(OAuthTokenSet, ReadsSetsWithoutTheOptionalKeysAndIgnoresOthers)
{
    const OAuthTokenSet tokens =
        OAuthTokenSet::fromJson(R"({"accessToken":"a","expiresAt":-1.5,"scope":null,"extra":[1]})");
    EXPECT_EQ(tokens.expiresAt, referenceDate.addMSecs(-1500));
    EXPECT_EQ(tokens.refreshToken, std::nullopt);
    EXPECT_EQ(tokens.scope, std::nullopt);
    EXPECT_EQ(tokens.tokenType, std::nullopt);
}

TEST(OAuthTokenSet, RejectsSetsWithoutTheRequiredKeysOrWithAnExpiryInAnotherForm)
{
    for (const char* json : {R"({"expiresAt":1})", R"({"accessToken":"a"})",
                             R"({"accessToken":"a","expiresAt":"2001-01-01T00:00:00Z"})",
                             R"({"accessToken":"a","expiresAt":1e300})", "[]", "not json"})
        EXPECT_THROW(OAuthTokenSet::fromJson(json), DecodingError) << json;
}

TEST(OAuthTokenSet, CountsATokenAsCurrentOnlyWhileItsExpiryIsMoreThanAMinuteAway)
{
    const QDateTime now(QDate(2030, 1, 1), QTime(12, 0), Qt::UTC);
    const auto expiringAt = [](QDateTime expiresAt) {
        return OAuthTokenSet{u"a"_s, std::nullopt, expiresAt, std::nullopt, std::nullopt};
    };
    EXPECT_FALSE(expiringAt(now.addSecs(60)).isAccessTokenCurrent(now));
    EXPECT_TRUE(expiringAt(now.addSecs(61)).isAccessTokenCurrent(now));
    EXPECT_TRUE(expiringAt(now.addMSecs(60'001)).isAccessTokenCurrent(now));
    EXPECT_FALSE(expiringAt(now.addSecs(-10)).isAccessTokenCurrent(now));
}
