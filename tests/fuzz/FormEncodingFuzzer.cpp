// The token request bodies: any text in any parameter is sent so that the
// server decodes exactly the parameters given, in key order.

#include "signin/FormURLEncoding.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>

using namespace orvane;
using namespace orvane::fuzzing;

namespace {

// Any UTF-16, lone surrogates included, as text from a file or the keyring may hold.
QString anyText(FuzzedDataProvider& provider)
{
    const std::string units = provider.ConsumeRandomLengthString(256);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(units.data()), qsizetype(units.size() / 2));
}

bool isSentAsItIs(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~' || c == '/' || c == '?';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    QMap<QString, QString> parameters;
    while (provider.remaining_bytes() > 0) {
        const QString key = anyText(provider);
        parameters.insert(key, anyText(provider));
    }
    const QByteArray body = formURLEncoded(parameters);

    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body.at(i);
        const bool escape = c == '%' && i + 2 < body.size() && std::isxdigit(uchar(body.at(i + 1)))
            && std::isxdigit(uchar(body.at(i + 2)));
        require(isSentAsItIs(c) || c == '=' || c == '&' || escape, "the body holds a character sent unencoded",
                [&] { return QString::fromLatin1(body); });
    }
    const QList<QByteArray> pairs = body.isEmpty() ? QList<QByteArray>() : body.split('&');
    require(pairs.size() == parameters.size(), "the body holds another number of pairs",
            [&] { return QString::fromLatin1(body); });
    auto parameter = parameters.cbegin();
    for (const QByteArray& pair : pairs) {
        const qsizetype separator = pair.indexOf('=');
        require(separator >= 0, "a pair without \"=\"", [&] { return QString::fromLatin1(pair); });
        // What the encoder can send of text that is not valid UTF-16.
        const QByteArray key = parameter.key().toUtf8(), value = parameter.value().toUtf8();
        require(QByteArray::fromPercentEncoding(pair.left(separator)) == key, "a key decodes otherwise",
                [&] { return QString::fromLatin1(pair); });
        require(QByteArray::fromPercentEncoding(pair.mid(separator + 1)) == value, "a value decodes otherwise",
                [&] { return QString::fromLatin1(pair); });
        ++parameter;
    }
    return 0;
}
