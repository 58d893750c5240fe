#pragma once

#include "support/Environment.h"
#include "support/Error.h"

#include <QStringList>

#include <QCoroTask>

namespace orvane {

// Why Orvane could not make itself the default application.
class DefaultApplicationError final : public Error {
public:
    explicit DefaultApplicationError(QString detail) : detail_(std::move(detail)) {}

    std::optional<QString> errorDescription() const override;

protected:
    QString genericDescription() const override { return *errorDescription(); }

private:
    QString detail_;
};

// Registers the desktop entry for every MIME type Orvane routes with
// `xdg-mime default`, which each desktop's file manager honours. Runs the
// tool as a separate process; the caller's event loop keeps running.
class DefaultApplicationRegistrar {
public:
    // The environment xdg-mime runs in: it decides which desktop's settings
    // are written (XDG_CURRENT_DESKTOP) and where (XDG_CONFIG_HOME, HOME).
    explicit DefaultApplicationRegistrar(Environment environment) : environment_(std::move(environment)) {}

    // The routed MIME types, in the routing table's order.
    static QStringList mimeTypes();

    QCoro::Task<> registerAsDefault() const;

private:
    Environment environment_;
};

} // namespace orvane
