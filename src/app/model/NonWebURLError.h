#pragma once

#include "support/Error.h"

#include <QUrl>

namespace orvane {

// A URL that Orvane will not hand to the browser because it is not an http
// or https address (a state file edited to point at a local program, say).
class NonWebURLError final : public Error {
public:
    explicit NonWebURLError(QUrl url) : url_(std::move(url)) {}

    const QUrl& url() const { return url_; }

    std::optional<QString> errorDescription() const override;

protected:
    QString genericDescription() const override { return *errorDescription(); }

private:
    QUrl url_;
};

} // namespace orvane
