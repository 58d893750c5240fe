// The token endpoint's answers, which come from Google or from whatever
// stands between: a success body decodes to what it holds and back, and a
// failure of any body makes an error that names the status and says something.

#include "signin/TokenAnswer.h"
#include "support/DecodingError.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace orvane;
using namespace orvane::fuzzing;
using namespace Qt::StringLiterals;

namespace {

QByteArray writtenBack(const TokenResponse& response)
{
    QJsonObject object;
    insertPresent(object, "access_token"_L1, response.accessToken);
    insertPresent(object, "refresh_token"_L1, response.refreshToken);
    insertPresent(object, "scope"_L1, response.scope);
    insertPresent(object, "token_type"_L1, response.tokenType);
    if (response.expiresIn)
        object.insert("expires_in"_L1, *response.expiresIn);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const int status = provider.ConsumeIntegralInRange(400, 599);
    const std::string rest = provider.ConsumeRemainingBytesAsString();
    const QByteArray body(rest.data(), qsizetype(rest.size()));

    const OAuthTokenExchangeError error = tokenExchangeError(status, body);
    require(error.statusCode() == status, "the error names another status");
    const QString description = error.localizedDescription();
    require(description.startsWith(u"Google OAuth token exchange failed (%1, "_s.arg(status)),
            "the error's message does not say what failed", [&] { return description; });
    // OAuth's own error code, when the body gives one, is the one reported.
    const QJsonValue code = QJsonDocument::fromJson(body).object().value("error"_L1);
    if (code.isString())
        require(error.error() == code.toString(), "the error reports another code than Google's",
                [&] { return error.error(); });

    TokenResponse response;
    try {
        response = TokenResponse::fromJson(body);
    } catch (const DecodingError&) {
        return 0;
    }
    if (response.expiresIn && !std::isfinite(*response.expiresIn))
        return 0;
    const QByteArray again = writtenBack(response);
    require(TokenResponse::fromJson(again) == response, "a token answer written back reads otherwise",
            [&] { return QString::fromUtf8(again); });
    return 0;
}
