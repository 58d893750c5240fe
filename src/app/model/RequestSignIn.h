#pragma once

#include "signin/AccessTokenProviding.h"

#include <exception>
#include <memory>

namespace orvane {

// The Google access of one file of a request (the files one start hands
// over, opened one after another). Token requests go on to the OAuth client;
// when one of them showed the consent page and then failed (declined,
// abandoned, refused), the request keeps that error, so that its other files
// end with it at once instead of showing the page again: at most one consent
// page per request.
class RequestSignIn final : public AccessTokenProviding {
public:
    // signInPagesShown counts the consent pages shown so far; signInFailure
    // is the request's, shared by the Drive clients of all its files.
    RequestSignIn(AccessTokenProviding& provider, std::shared_ptr<const int> signInPagesShown,
                  std::exception_ptr& signInFailure);

    QCoro::Task<QString> accessToken() override;
    QCoro::Task<std::optional<QString>> accessTokenReplacing(QString rejectedToken) override;

private:
    AccessTokenProviding& provider_;
    std::shared_ptr<const int> signInPagesShown_;
    std::exception_ptr& signInFailure_;
};

} // namespace orvane
