#pragma once

#include "model/DesktopActions.h"

#include <QUrl>

namespace orvane {

// The one way Orvane reaches the browser: web addresses only, so that a
// tampered record or answer cannot make it start a local program or file.
class WebBrowser {
public:
    explicit WebBrowser(BrowserOpener opener) : opener_(std::move(opener)) {}

    // Throws NonWebURLError for anything but an http or https URL with a
    // host, and what the opener throws.
    void open(const QUrl& url) const;

private:
    BrowserOpener opener_;
};

} // namespace orvane
