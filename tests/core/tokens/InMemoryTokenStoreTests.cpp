#include "tokens/InMemoryTokenStore.h"

#include "AwaitTask.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

TEST(InMemoryTokenStore, KeepsTheSetAcrossLoadsUntilItIsReplacedOrDeleted)
{
    const OAuthTokenSet first{u"a1"_s, u"r1"_s, QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC), u"s"_s, u"t"_s};
    const OAuthTokenSet second{u"a2"_s, std::nullopt, QDateTime(QDate(2031, 1, 1), QTime(0, 0), Qt::UTC),
                               std::nullopt, std::nullopt};
    InMemoryTokenStore store(first);
    EXPECT_EQ(awaitTask(store.loadTokens()), first);
    EXPECT_EQ(awaitTask(store.loadTokens()), first);
    EXPECT_TRUE(awaitTask(store.containsTokensWithoutReadingSecret()));
    awaitTask(store.saveTokens(second));
    EXPECT_EQ(awaitTask(store.loadTokens()), second);
    awaitTask(store.deleteTokens());
    EXPECT_EQ(awaitTask(store.loadTokens()), std::nullopt);
    EXPECT_FALSE(awaitTask(store.containsTokensWithoutReadingSecret()));
    EXPECT_NO_THROW(awaitTask(store.deleteTokens()));
}
