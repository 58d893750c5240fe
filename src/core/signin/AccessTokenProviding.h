#pragma once

#include <QCoroTask>
#include <QString>

namespace orvane {

// Hands out an access token that is current for the next Google request,
// refreshing or signing in as needed. The Drive client knows the OAuth client
// only through this.
class AccessTokenProviding {
public:
    virtual ~AccessTokenProviding() = default;

    virtual QCoro::Task<QString> accessToken() = 0;
};

} // namespace orvane
