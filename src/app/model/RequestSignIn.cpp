#include "model/RequestSignIn.h"

namespace orvane {

RequestSignIn::RequestSignIn(AccessTokenProviding& provider, std::shared_ptr<const int> signInPagesShown,
                             std::exception_ptr& signInFailure)
    : provider_(provider), signInPagesShown_(std::move(signInPagesShown)), signInFailure_(signInFailure)
{
}

QCoro::Task<QString> RequestSignIn::accessToken()
{
    const int pagesBefore = *signInPagesShown_;
    try {
        co_return co_await provider_.accessToken();
    } catch (...) {
        // Failures without a page (a refresh, the keyring) are the file's own.
        if (*signInPagesShown_ != pagesBefore)
            signInFailure_ = std::current_exception();
        throw;
    }
}

QCoro::Task<std::optional<QString>> RequestSignIn::accessTokenReplacing(QString rejectedToken)
{
    return provider_.accessTokenReplacing(std::move(rejectedToken));
}

} // namespace orvane
