#pragma once

#include "support/Environment.h"

#include <QByteArray>
#include <QString>

namespace orvane {

// Orvane's entry in the user's autostart folder ($XDG_CONFIG_HOME/autostart,
// ~/.config/autostart by default), named after the application's desktop id:
// while it is there, the session runs `orvane --background` when the user
// logs in. The desktop's own settings may switch an entry off without
// removing it; the entry is read again on every question, as the user may
// change it behind Orvane's back.
class AutostartEntry {
public:
    // XDG_CONFIG_HOME when it is an absolute path, else HOME's .config.
    explicit AutostartEntry(const Environment& environment);

    // The whole entry Orvane writes.
    static QByteArray contents();

    const QString& path() const { return path_; }
    // Whether the session will start Orvane: the entry is there, readable,
    // and not switched off (Hidden, X-GNOME-Autostart-enabled=false).
    bool isEnabled() const;
    // Writes the entry (making the folders it needs) or removes it. Throws
    // FileError, with the system's reason, when the entry cannot be written
    // or removed; the entry is then as it was.
    void setEnabled(bool enabled) const;

private:
    QString path_;
};

} // namespace orvane
