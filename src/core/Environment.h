#pragma once

#include <QHash>
#include <QString>

namespace orvane {

// Process environment variables by name, passed explicitly so that tests can
// give their own.
using Environment = QHash<QString, QString>;

Environment processEnvironment();

} // namespace orvane
