#pragma once

#include "signin/AccessTokenProviding.h"

#include <QByteArray>
#include <QString>

#include <QCoroTask>

namespace orvane {

// The access token the requests of one upload carry. Google may refuse a
// token that looked current (revoked on its side, a clock that is off, or one
// that ran out during a long upload): it is then replaced, once, and once more
// only after a request has gone through with the replacement.
class DriveAuthorization {
public:
    DriveAuthorization(AccessTokenProviding& provider, QString token) : provider_(provider), token_(std::move(token)) {}

    const QString& token() const { return token_; }
    // The Authorization header's value.
    QByteArray bearer() const { return "Bearer " + token_.toUtf8(); }

    // After Google answered 401: whether there is a new token to try.
    QCoro::Task<bool> replaceRefusedToken();
    // A request went through with the current token, so a later refusal is
    // a new one.
    void noteAccepted() { mayReplace_ = true; }

private:
    AccessTokenProviding& provider_;
    QString token_;
    bool mayReplace_ = true;
};

} // namespace orvane
