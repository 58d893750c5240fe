#pragma once

#include <QString>
#include <QUrl>

namespace orvane {

// Whether a URL may carry tokens and secrets: https to a host, or http to
// this computer alone (localhost, 127.0.0.0/8, ::1), where nothing crosses
// a network.
bool carriesSecretsSafely(const QUrl& url);

// That rule in words, for a ConfigurationError that refuses a URL.
QString secureTransportRequirement();

} // namespace orvane
