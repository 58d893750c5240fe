#include "model/AppModel.h"
#include "support/FileError.h"
#include "signin/OAuthTokenExchangeError.h"
#include "routing/OrvaneError.h"
#include "support/UrlError.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QString clientSecretExplanation =
    u"This Google OAuth desktop client requires a client secret. For local builds, add clientSecret to "
    u"GoogleOAuth config. For distribution, set tokenEndpointURL to a server-side OAuth token endpoint."_s;

TEST(FriendlyErrorTest, InvalidRequestAboutTheClientSecretIsExplained)
{
    EXPECT_EQ(AppModel::friendlyError(OAuthTokenExchangeError(400, u"invalid_request"_s, u"client_secret is missing."_s)),
              clientSecretExplanation);
    EXPECT_EQ(AppModel::friendlyError(OAuthTokenExchangeError(400, u"invalid_request"_s, u"Missing CLIENT_SECRET"_s)),
              clientSecretExplanation);
}

TEST(FriendlyErrorTest, OtherTokenErrorsKeepTheirOwnDescription)
{
    EXPECT_EQ(AppModel::friendlyError(OAuthTokenExchangeError(401, u"invalid_client"_s, u"client_secret mismatch"_s)),
              u"Google OAuth token exchange failed (401, invalid_client): client_secret mismatch"_s);
    EXPECT_EQ(AppModel::friendlyError(OAuthTokenExchangeError(400, u"invalid_request"_s, std::nullopt)),
              u"Google OAuth token exchange failed (400, invalid_request)."_s);
    EXPECT_EQ(AppModel::friendlyError(OAuthTokenExchangeError(400, u"invalid_request"_s, u"Bad code_verifier"_s)),
              u"Google OAuth token exchange failed (400, invalid_request): Bad code_verifier"_s);
}

TEST(FriendlyErrorTest, OrvaneErrorsShowTheirOwnText)
{
    EXPECT_EQ(AppModel::friendlyError(OrvaneError::oauthStateMismatch()),
              u"The Google OAuth callback did not match this sign-in attempt."_s);
}

TEST(FriendlyErrorTest, ErrorsWithoutATextOfTheirOwnShowTheGenericDescription)
{
    const UrlError badResponse(UrlError::Code::badServerResponse);
    const FileError unreadable(FileError::Kind::notReadable, u"/home/aki/sales.csv"_s);

    EXPECT_EQ(AppModel::friendlyError(badResponse), badResponse.localizedDescription());
    EXPECT_FALSE(badResponse.localizedDescription().isEmpty());
    EXPECT_EQ(AppModel::friendlyError(unreadable), u"The file \u201C/home/aki/sales.csv\u201D could not be read."_s);
    EXPECT_EQ(AppModel::friendlyError(std::runtime_error("socket: 0x7f")), u"The operation could not be completed."_s);
}

} // namespace
