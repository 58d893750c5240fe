#pragma once

#include <QStringList>

#include <chrono>
#include <optional>
#include <variant>

namespace orvane::emulator {

struct EmulatorSettings {
    quint16 port = 0; // 0: a free port
    QStringList clientIds;
    // When set, every token request must carry it, as Google's desktop clients require.
    std::optional<QString> clientSecret;
    // Answers the authorisation page with its redirect at once, as if "Allow" were clicked.
    bool autoApprove = false;
    std::chrono::seconds tokenLifetime{3600};
};

// The settings from the command line, or the reason it is not usable.
std::variant<EmulatorSettings, QString> parseCommandLine(const QStringList& arguments);

} // namespace orvane::emulator
