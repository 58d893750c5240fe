#pragma once

#include <QSslConfiguration>
#include <QString>

#include <variant>

namespace orvane::emulator {

// The server side of TLS from a PEM certificate (the first one in the file,
// followed by any intermediates) and its PEM private key; or the reason they
// cannot be used.
std::variant<QSslConfiguration, QString> serverTlsConfiguration(const QString& certificatePath, const QString& keyPath);

} // namespace orvane::emulator
