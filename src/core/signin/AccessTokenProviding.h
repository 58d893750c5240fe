#pragma once

#include <QCoroTask>
#include <QString>

#include <optional>

namespace orvane {

// Hands out an access token that is current for the next Google request,
// refreshing or signing in as needed. The Drive client knows the OAuth client
// only through this.
class AccessTokenProviding {
public:
    virtual ~AccessTokenProviding() = default;

    virtual QCoro::Task<QString> accessToken() = 0;

    // A token to use instead of rejectedToken, which Google refused although
    // it looked current (revoked on Google's side, a clock that is off): the
    // stored token when something replaced it meanwhile, else a refreshed one;
    // none when no refresh is possible without the user.
    virtual QCoro::Task<std::optional<QString>> accessTokenReplacing(QString rejectedToken) = 0;
};

} // namespace orvane
