#pragma once

#include "OrvaneProcess.h"
#include "VirtualDisplay.h"
#include "WaylandCompositor.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

namespace orvane::testsupport {

// What a desktop's windows are shown by.
enum class DisplayServer { x11, wayland };

// A desktop for the real orvane executable: an X server (or a Wayland
// compositor) of its own, a user profile (settings, data and runtime folders) in a temporary folder, and
// $BROWSER pointing at a script that records each page it is given and
// completes Google sign-in. The Secret Service is the session bus's.
class OrvaneDesktop {
public:
    // Orvane is pointed at the Google stand-in at serviceRoot, registered as clientId.
    OrvaneDesktop(QUrl serviceRoot, QString clientId, DisplayServer displayServer = DisplayServer::x11);

    QProcessEnvironment environment() const;
    std::unique_ptr<OrvaneProcess> start(const QStringList& arguments = {}) const;

    // The user finished onboarding in an earlier run.
    void completeOnboarding() const;
    // A file of the user's, in the profile's files folder; its absolute path.
    QString writeFile(const QString& name, const QByteArray& content) const;

    QString profilePath() const { return profile_.path(); }
    // Where an Orvane on this stand-in keeps its records, and where the user's
    // own Orvane keeps them.
    QString stateFilePath() const;
    QString usersStateFilePath() const;
    // The pages handed to the browser so far, in order.
    QStringList browserCalls() const;
    // The pages, once count of them have arrived: the browser runs apart
    // from Orvane and may write after Orvane has ended.
    QStringList waitForBrowserCalls(qsizetype count) const;

private:
    QTemporaryDir profile_;
    QTemporaryDir browserFolder_;
    std::unique_ptr<VirtualDisplay> xServer_;
    std::unique_ptr<WaylandCompositor> compositor_;
    QUrl serviceRoot_;
    QString clientId_;
};

// A file's content; empty when it cannot be read.
QByteArray readFile(const QString& path);

} // namespace orvane::testsupport
