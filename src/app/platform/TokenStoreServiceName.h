#pragma once

#include "routing/GoogleServiceEndpoints.h"

#include <QString>

namespace orvane {

// The Secret Service name the token set is kept under: the application's own
// name for Google, and for a stand-in Google service a name that carries its
// root, so that tokens from a stand-in never replace the user's real ones.
QString tokenStoreServiceName(const GoogleServiceEndpoints& endpoints);

} // namespace orvane
