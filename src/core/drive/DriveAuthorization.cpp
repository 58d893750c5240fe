#include "drive/DriveAuthorization.h"

namespace orvane {

QCoro::Task<bool> DriveAuthorization::replaceRefusedToken()
{
    // A replacement refused as well is not replaced again: the refusal is the answer.
    if (!mayReplace_)
        co_return false;
    mayReplace_ = false;
    const std::optional<QString> replacement = co_await provider_.accessTokenReplacing(token_);
    if (!replacement)
        co_return false;
    token_ = *replacement;
    co_return true;
}

} // namespace orvane
