#include "DesktopTest.h"

#include "AwaitTask.h"
#include "platform/TokenStoreServiceName.h"
#include "tokens/KeychainTokenStore.h"

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

KeychainTokenStore tokenStoreFor(const GoogleEmulatorProcess& emulator)
{
    const GoogleServiceEndpoints endpoints =
        GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, emulator.rootUrl().toString()}});
    return KeychainTokenStore(tokenStoreServiceName(endpoints), KeychainTokenStore::defaultAccount());
}

} // namespace

void DesktopTest::SetUp()
{
    if (qEnvironmentVariable("ORVANE_TEST_SERVICES_READY") != u"1"_s)
        GTEST_SKIP() << "needs the private keyring of scripts/with-test-services";
    desktop = std::make_unique<OrvaneDesktop>(emulator.rootUrl(), emulator.clientId(), displayServer());
}

std::optional<OAuthTokenSet> DesktopTest::storedTokens() const
{
    return awaitTask(tokenStoreFor(emulator).loadTokens());
}

void DesktopTest::storeSignIn()
{
    awaitTask(tokenStoreFor(emulator).saveTokens({.accessToken = emulator.accessToken(),
                                                  .refreshToken = std::nullopt,
                                                  .expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600),
                                                  .scope = std::nullopt,
                                                  .tokenType = std::nullopt}));
}

} // namespace orvane::testsupport
