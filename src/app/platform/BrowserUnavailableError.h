#pragma once

#include "support/Error.h"

#include <QUrl>

namespace orvane {

// The desktop could start no browser for a page (no default browser, no
// display): said at once, so that a sign-in never waits for a redirect that
// cannot come.
class BrowserUnavailableError final : public Error {
public:
    explicit BrowserUnavailableError(QUrl url) : url_(std::move(url)) {}

    const QUrl& url() const { return url_; }

protected:
    QString genericDescription() const override;

private:
    QUrl url_;
};

} // namespace orvane
