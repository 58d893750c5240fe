#include "platform/TokenStoreServiceName.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

TEST(TokenStoreServiceNameTest, GoogleTokensUseTheApplicationsName)
{
    EXPECT_EQ(tokenStoreServiceName(GoogleServiceEndpoints::google()), u"app.orvane.Orvane.oauth"_s);
    EXPECT_EQ(tokenStoreServiceName(GoogleServiceEndpoints::fromEnvironment({})), u"app.orvane.Orvane.oauth"_s);
}

TEST(TokenStoreServiceNameTest, StandInTokensUseANameOfTheirOwnForEachRoot)
{
    const auto standIn = [](const QString& root) {
        return tokenStoreServiceName(GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, root}}));
    };

    EXPECT_EQ(standIn(u"http://127.0.0.1:8765"_s), u"app.orvane.Orvane.oauth@http://127.0.0.1:8765"_s);
    EXPECT_EQ(standIn(u"http://127.0.0.1:9000"_s), u"app.orvane.Orvane.oauth@http://127.0.0.1:9000"_s);
}

} // namespace
