#include "support/DecodingError.h"
#include "tokens/KeychainTokenStore.h"
#include "tokens/KeychainTokenStoreError.h"
#include "tokens/SecretServiceItem.h"

#include <QProcess>
#include <QRegularExpression>
#include <QUuid>

#include "AwaitTask.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

// GLib 2.74 leaks three small blocks while initialising each D-Bus proxy that
// libsecret makes for a found item. The leak is theirs; it is recognised by
// its caller, which only a full unwind of allocations reaches (GLib keeps no
// frame pointers). Only sanitizer builds read these.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:secret_item_new_for_dbus_path\n";
}

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

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(10'000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A Secret Service method called through dbus-send; the reply as printed.
QString callSecretService(const QString& method, const QStringList& arguments = {})
{
    return run(u"dbus-send"_s, QStringList{u"--session"_s, u"--print-reply"_s, u"--dest=org.freedesktop.secrets"_s,
                                           u"/org/freedesktop/secrets"_s, u"org.freedesktop.Secret.Service."_s + method}
                                   + arguments);
}

QStringList objectPaths(const QString& reply)
{
    static const QRegularExpression objectPath(u"object path \"([^\"]+)\""_s);
    QStringList paths;
    for (const QRegularExpressionMatch& match : objectPath.globalMatch(reply))
        paths.append(match.captured(1));
    return paths;
}

// Each test runs in a private D-Bus session with a keyring of its own (see
// scripts/with-test-services) and uses a service name of its own besides.
class KeychainTokenStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(qEnvironmentVariable("ORVANE_TEST_SERVICES_READY"), u"1"_s)
            << "run through scripts/with-test-services, so that no real keyring is touched";
    }

    // What a keyring tool shows for the items: label, secret and attributes.
    QString searchWithKeyringTool() const
    {
        return run(u"secret-tool"_s,
                   {u"search"_s, u"--all"_s, u"--unlock"_s, u"service"_s, service, u"account"_s, u"google"_s});
    }

    // The object paths of the items, locked or not.
    QStringList storedItems() const
    {
        return objectPaths(callSecretService(
            u"SearchItems"_s, {u"dict:string:string:service,%1,account,google"_s.arg(service)}));
    }

    static QString defaultCollection()
    {
        const QStringList paths = objectPaths(callSecretService(u"ReadAlias"_s, {u"string:default"_s}));
        return paths.value(0, u"(none)"_s);
    }

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
    EXPECT_TRUE(items.first().startsWith(defaultCollection() + u"/"_s)) << items.first().toStdString();
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
    // Locking needs no prompt; unlocking would, and none can appear here.
    callSecretService(u"Lock"_s, {u"array:objpath:"_s + defaultCollection()});

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
