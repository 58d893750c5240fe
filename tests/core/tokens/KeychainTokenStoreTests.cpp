#include "support/DecodingError.h"
#include "tokens/KeychainTokenStore.h"
#include "tokens/KeychainTokenStoreError.h"
#include "tokens/SecretServiceItem.h"

#include <QProcess>
#include <QUuid>

#include "AwaitTask.h"
#include "TestKeyring.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QDateTime referenceDate(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

const OAuthTokenSet firstSet{
    .accessToken = u"ya29.first"_s,
    .refreshToken = u"1//first-refresh"_s,
    .expiresAt = QDateTime(QDate(2030, 2, 3), QTime(4, 5, 6), Qt::UTC),
    .scope = u"https://www.googleapis.com/auth/drive.file"_s,
    .tokenType = u"Bearer"_s,
};
const OAuthTokenSet secondSet{
    .accessToken = u"ya29.second"_s,
    .refreshToken = std::nullopt,
    .expiresAt = referenceDate.addSecs(3600),
    .scope = std::nullopt,
    .tokenType = std::nullopt,
};

// Each test runs in a private D-Bus session with a keyring of its own (see
// scripts/with-test-services) and uses a service name of its own besides.
class KeychainTokenStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testkeyring::isPrivate())
            << "run through scripts/with-test-services, so that no real keyring is touched";
    }

    // What a keyring tool shows for the items: label, secret and attributes.
    QString searchWithKeyringTool() const
    {
        QProcess secretTool;
        secretTool.setProcessChannelMode(QProcess::MergedChannels);
        secretTool.start(u"secret-tool"_s,
                         {u"search"_s, u"--all"_s, u"--unlock"_s, u"service"_s, service, u"account"_s, u"google"_s});
        EXPECT_TRUE(secretTool.waitForFinished(10'000));
        return QString::fromUtf8(secretTool.readAllStandardOutput());
    }

    // The object paths of the items, locked or not.
    QStringList storedItems() const { return testkeyring::items(service, u"google"_s); }

    const QString service = u"app.orvane.Orvane.tests.%1.oauth"_s.arg(QUuid::createUuid().toString(QUuid::Id128));
    KeychainTokenStore store{service};
};

} // namespace

TEST_F(KeychainTokenStoreTest, FindsNothingWhenNoItemIsStored)
{
    EXPECT_EQ(awaitTask(store.loadTokens()), std::nullopt);
    EXPECT_FALSE(awaitTask(store.containsTokensWithoutReadingSecret()));
    EXPECT_NO_THROW(awaitTask(store.deleteTokens()));
}

TEST_F(KeychainTokenStoreTest, SavesOneLabelledItemInTheDefaultCollectionAndLoadsItBack)
{
    awaitTask(store.saveTokens(firstSet));
    EXPECT_EQ(awaitTask(store.loadTokens()), firstSet);
    EXPECT_TRUE(awaitTask(store.containsTokensWithoutReadingSecret()));

    const QStringList items = storedItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_TRUE(items.first().startsWith(testkeyring::defaultCollection() + u"/"_s)) << items.first().toStdString();
    const QString shown = searchWithKeyringTool();
    EXPECT_TRUE(shown.contains(u"label = Orvane Google sign-in\n"_s)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"attribute.service = "_s + service + u"\n"_s)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"attribute.account = google\n"_s)) << shown.toStdString();
}

TEST_F(KeychainTokenStoreTest, WritesTheSetAsCompactJsonWithTheExpiryAsANumber)
{
    awaitTask(store.saveTokens(secondSet));
    EXPECT_TRUE(searchWithKeyringTool().contains(u"secret = {\"accessToken\":\"ya29.second\",\"expiresAt\":3600}\n"_s));
}

TEST_F(KeychainTokenStoreTest, ReplacesTheStoredSetInPlace)
{
    awaitTask(store.saveTokens(firstSet));
    awaitTask(store.saveTokens(secondSet));
    EXPECT_EQ(awaitTask(store.loadTokens()), secondSet);
    EXPECT_EQ(storedItems().size(), 1);
}

TEST_F(KeychainTokenStoreTest, DeletesTheStoredSet)
{
    awaitTask(store.saveTokens(firstSet));
    awaitTask(store.deleteTokens());
    EXPECT_EQ(awaitTask(store.loadTokens()), std::nullopt);
    EXPECT_FALSE(awaitTask(store.containsTokensWithoutReadingSecret()));
    EXPECT_EQ(storedItems(), QStringList());
}

TEST_F(KeychainTokenStoreTest, KeepsStoresOfOtherServicesApart)
{
    KeychainTokenStore standIn(service + u".stand-in"_s);
    awaitTask(store.saveTokens(firstSet));
    awaitTask(standIn.saveTokens(secondSet));
    EXPECT_EQ(awaitTask(store.loadTokens()), firstSet);
    awaitTask(standIn.deleteTokens());
    EXPECT_EQ(awaitTask(store.loadTokens()), firstSet);
}

TEST_F(KeychainTokenStoreTest, FailsToLoadAnItemThatIsNotATokenSet)
{
    SecretServiceItem(service, u"google"_s).writeSecret("{\"accessToken\":\"ya29.x\"}", u"broken"_s);
    EXPECT_THROW(awaitTask(store.loadTokens()), DecodingError);
    EXPECT_TRUE(awaitTask(store.containsTokensWithoutReadingSecret()));
}

TEST_F(KeychainTokenStoreTest, AnswersWhetherASetExistsWithoutUnlockingTheKeyring)
{
    awaitTask(store.saveTokens(firstSet));
    testkeyring::lockDefaultCollection();

    EXPECT_TRUE(awaitTask(store.containsTokensWithoutReadingSecret()));
    EXPECT_FALSE(awaitTask(KeychainTokenStore(service + u".other"_s).containsTokensWithoutReadingSecret()));
    try {
        const auto loaded = awaitTask(store.loadTokens());
        ADD_FAILURE() << "a locked keyring was read: " << loaded.has_value();
    } catch (const KeychainTokenStoreError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"The system keyring is not available (Cannot get secret of a locked object)."_s);
        EXPECT_EQ(error.domain(), u"secret-error"_s);
        EXPECT_EQ(error.code(), 2); // SECRET_ERROR_IS_LOCKED
    }
    EXPECT_EQ(storedItems().size(), 1);
}

TEST_F(KeychainTokenStoreTest, DeletingFromALockedKeyringWhoseUnlockIsRefusedFailsAndKeepsTheSet)
{
    awaitTask(store.saveTokens(firstSet));
    testkeyring::lockDefaultCollection();

    try {
        awaitTask(store.deleteTokens());
        ADD_FAILURE() << "reported the set deleted while the keyring stayed locked";
    } catch (const KeychainTokenStoreError& error) {
        EXPECT_EQ(error.localizedDescription(), u"The system keyring is not available (it stayed locked, so the "
                                                u"Google sign-in could not be removed)."_s);
        EXPECT_EQ(error.domain(), u"secret-error"_s);
        EXPECT_EQ(error.code(), 2); // SECRET_ERROR_IS_LOCKED
    }
    EXPECT_EQ(storedItems().size(), 1);
    EXPECT_TRUE(awaitTask(store.containsTokensWithoutReadingSecret()));
    // Nothing to unlock: there is nothing to delete either.
    EXPECT_NO_THROW(awaitTask(KeychainTokenStore(service + u".other"_s).deleteTokens()));
}
