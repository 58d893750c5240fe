#pragma once

#include "GoogleEmulatorProcess.h"
#include "OrvaneDesktop.h"
#include "tokens/OAuthTokenSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace orvane::testsupport {

// The real orvane executable with real processes around it (see
// OrvaneDesktop), the Google emulator, and the keyring of the private D-Bus
// session the test runs in; skipped outside that session.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    // What shows the windows of the desktop SetUp makes.
    virtual DisplayServer displayServer() const { return DisplayServer::x11; }

    // The sign-in Orvane keeps in the keyring for this emulator.
    std::optional<OAuthTokenSet> storedTokens() const;
    // Signed in before: opens need no browser.
    void storeSignIn();

    GoogleEmulatorProcess emulator;
    std::unique_ptr<OrvaneDesktop> desktop;
};

} // namespace orvane::testsupport
