#include "support/Error.h"

namespace orvane {

const char* Error::what() const noexcept
{
    try {
        whatText_ = localizedDescription().toStdString();
    } catch (...) {
        return "orvane::Error";
    }
    return whatText_.c_str();
}

} // namespace orvane
