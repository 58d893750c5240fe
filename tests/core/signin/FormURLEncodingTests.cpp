#include "signin/FormURLEncoding.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

TEST(FormURLEncoding, SortsTheKeysAndEncodesEverythingButLettersDigitsAndSixMarks)
{
    QMap<QString, QString> parameters;
    parameters.insert(u"z"_s, u"-._~/?"_s);
    parameters.insert(u"a b"_s, u":#[]@!$&'()*+,;="_s);
    parameters.insert(u"M"_s, u"Az09 \u00e9\u20ac%"_s);
    EXPECT_EQ(formURLEncoded(parameters),
              "M=Az09%20%C3%A9%E2%82%AC%25&a%20b=%3A%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D&z=-._~/?");
    EXPECT_EQ(formURLEncoded({}), QByteArray());
}
