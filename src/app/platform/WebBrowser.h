#pragma once

#include <QUrl>

#include <functional>

namespace orvane {

// Opens a URL in the user's default browser and returns at once; throws
// when no browser could be started.
using BrowserOpener = std::function<void(const QUrl&)>;

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
