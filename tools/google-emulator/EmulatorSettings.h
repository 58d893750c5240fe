#pragma once

#include <QStringList>

#include <chrono>
#include <optional>
#include <variant>

namespace orvane::emulator {

// The certificate and private key, both PEM files, of an emulator that serves HTTPS.
struct TlsFiles {
    QString certificatePath;
    QString keyPath;
};

// How large a file Drive converts into each Google type. Google publishes its
// limits (see README.md); tests set small ones.
struct ConversionLimits {
    static constexpr qint64 megabyte = 1024 * 1024;

    qint64 documentBytes = 50 * megabyte;
    qint64 presentationBytes = 100 * megabyte;
    qint64 spreadsheetBytes = 100 * megabyte;
    qint64 spreadsheetCells = 10'000'000;
};

struct EmulatorSettings {
    quint16 port = 0; // 0: a free port
    QStringList clientIds;
    // When set, every token request must carry it, as Google's desktop clients require.
    std::optional<QString> clientSecret;
    // Answers the authorisation page with its redirect at once, as if "Allow" were clicked.
    bool autoApprove = false;
    std::chrono::seconds tokenLifetime{3600};
    // When set, the emulator speaks HTTPS only, with this certificate.
    std::optional<TlsFiles> tls;
    ConversionLimits conversionLimits;
};

// The settings from the command line, or the reason it is not usable.
std::variant<EmulatorSettings, QString> parseCommandLine(const QStringList& arguments);

} // namespace orvane::emulator
