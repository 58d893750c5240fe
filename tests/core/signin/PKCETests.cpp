#include "signin/PKCE.h"
#include "signin/SecureRandomError.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <gtest/gtest.h>

// The test swaps the generator through OpenSSL's older method interface,
// which RAND_bytes still honours.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/rand.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

bool isBase64urlWithoutPadding(const QString& text)
{
    static const QRegularExpression alphabet(u"^[A-Za-z0-9_-]*$"_s);
    return alphabet.match(text).hasMatch();
}

QByteArray decoded(const QString& text)
{
    const auto result = QByteArray::fromBase64Encoding(
        text.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    EXPECT_TRUE(result) << text.toStdString();
    return result.decoded;
}

int failingGenerator(unsigned char*, int)
{
    return 0;
}

} // namespace

TEST(PKCE, MakesTheS256ChallengeOfTheRfc7636Example)
{
    EXPECT_EQ(PKCE::codeChallenge(u"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"_s),
              u"E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"_s);
}

TEST(PKCE, MakesVerifiersFrom32RandomBytes)
{
    const QString first = PKCE::generateCodeVerifier();
    const QString second = PKCE::generateCodeVerifier();
    EXPECT_EQ(first.size(), 43);
    EXPECT_TRUE(isBase64urlWithoutPadding(first)) << first.toStdString();
    EXPECT_EQ(decoded(first).size(), 32);
    EXPECT_NE(first, second);
    const QString challenge = PKCE::codeChallenge(first);
    EXPECT_EQ(challenge.size(), 43);
    EXPECT_TRUE(isBase64urlWithoutPadding(challenge)) << challenge.toStdString();
}

TEST(PKCE, MakesStatesFrom24RandomBytes)
{
    const QString first = PKCE::generateState();
    EXPECT_EQ(first.size(), 32);
    EXPECT_TRUE(isBase64urlWithoutPadding(first)) << first.toStdString();
    EXPECT_EQ(decoded(first).size(), 24);
    EXPECT_NE(first, PKCE::generateState());
}

TEST(PKCE, RefusesToMakeValuesWhenTheSecureGeneratorFails)
{
    RAND_METHOD failing{};
    failing.bytes = failingGenerator;
    const RAND_METHOD* original = RAND_get_rand_method();
    ASSERT_EQ(RAND_set_rand_method(&failing), 1);
    const auto restore = qScopeGuard([original] { RAND_set_rand_method(original); });

    EXPECT_THROW(PKCE::generateCodeVerifier(), SecureRandomError);
    EXPECT_THROW(PKCE::generateState(), SecureRandomError);
}
