#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace orvane::testsupport {

// One object of an application as a screen reader sees it over AT-SPI.
struct AccessibleNode {
    QString roleName;  // "push button", "radio button", "text", ...
    QString name;
    bool isShowing = false;
    bool isEnabled = false;
    bool isEditable = false;
    QList<AccessibleNode> children;
};

// Reads, as a screen reader does, the accessibility tree an application
// publishes: asks the session bus for the accessibility bus, finds the
// application among the registry's children by its name, and walks its
// objects. Blocking D-Bus calls: run it on a thread of its own while the
// application's thread answers. Throws std::runtime_error when the
// application does not appear within the time-out.
AccessibleNode readAccessibleApplication(const QString& applicationName, int timeoutMilliseconds);

// The objects of the tree, depth first, parents before their children.
QList<const AccessibleNode*> flattened(const AccessibleNode& root);

} // namespace orvane::testsupport
