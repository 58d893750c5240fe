#pragma once

#include <QHash>
#include <QProcessEnvironment>
#include <QString>

namespace orvane {

// Process environment variables by name, passed explicitly so that tests can
// give their own.
using Environment = QHash<QString, QString>;

Environment processEnvironment();

// The same variables for a process Orvane starts.
QProcessEnvironment toProcessEnvironment(const Environment& environment);

} // namespace orvane
