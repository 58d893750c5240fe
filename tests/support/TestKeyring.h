#pragma once

#include <QString>
#include <QStringList>

// The private keyring of scripts/with-test-services, seen from outside
// Orvane: through the Secret Service's D-Bus methods, as a keyring manager
// sees it. Each call runs dbus-send.
namespace orvane::testsupport::testkeyring {

// Whether this process runs inside scripts/with-test-services, so that no
// real keyring can be touched.
bool isPrivate();

// The object path of the default collection, "(none)" when there is none.
QString defaultCollection();

// The object paths of the items with these attributes, locked or not.
QStringList items(const QString& service, const QString& account);

// Locks the default collection. The keyring would ask the user to unlock it
// again through its own prompt; here that prompt cannot appear (not even on
// a display this session may have), so every unlock is refused at once, as
// when the user cancels it.
void lockDefaultCollection();

} // namespace orvane::testsupport::testkeyring
