#include "AppModelFixture.h"

#include "AwaitTask.h"
#include "TestKeyring.h"
#include "tokens/KeychainTokenStore.h"

#include <QUuid>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// The model with the real Secret Service store, in the private keyring of
// scripts/with-test-services.
TEST_F(AppModelTest, ADisconnectThatTheLockedKeyringRefusesSaysSoAndStaysConnected)
{
    ASSERT_TRUE(testkeyring::isPrivate()) << "run through scripts/with-test-services, so that no real keyring is touched";
    const QString service = u"app.orvane.Orvane.tests.%1.oauth"_s.arg(QUuid::createUuid().toString(QUuid::Id128));
    const auto keyring = std::make_shared<KeychainTokenStore>(service);
    awaitTask(keyring->saveTokens({.accessToken = u"stored-access"_s, .refreshToken = u"stored-refresh"_s,
                                   .expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600), .scope = std::nullopt,
                                   .tokenType = std::nullopt}));
    testkeyring::lockDefaultCollection();
    tokenStore = keyring;
    makeModel();
    ASSERT_TRUE(waitUntil([this] { return model->isConnected(); }));

    model->disconnectGoogle();

    ASSERT_TRUE(waitUntil([this] { return model->lastError().has_value(); }));
    EXPECT_EQ(model->lastError(), u"The system keyring is not available (it stayed locked, so the Google sign-in "
                                  u"could not be removed)."_s);
    EXPECT_TRUE(model->isConnected());
    EXPECT_FALSE(statuses.contains(u"Google account disconnected"_s)) << statuses.join(u'\n').toStdString();
    EXPECT_EQ(testkeyring::items(service, u"google"_s).size(), 1);
}

} // namespace
