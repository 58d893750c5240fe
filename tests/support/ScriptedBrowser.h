#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <QCoroTask>

#include <chrono>

namespace orvane::testsupport {

// What happened when the scripted browser opened one authorisation URL.
struct BrowserVisit {
    QUrl authorizationUrl;
    int authorizationStatus = 0; // the authorisation page's final answer: 302 once approved or denied
    QByteArray authorizationBody; // the page shown instead of a redirect (an error page)
    QUrl redirectUrl;             // where the emulator sent the browser; empty when it did not
    int callbackStatus = 0;       // the loopback listener's answer; 0 when it was not reached
    QByteArray callbackBody;
    QString error; // a transport failure, or why the redirect was not followed
};

// Stands in for the user's browser in sign-in tests: fetches the authorisation
// URL from the emulator, presses Allow or Deny when the consent page shows, and
// follows the redirect to the loopback listener (http://127.0.0.1:<port>/…).
class ScriptedBrowser final : public QObject {
    Q_OBJECT

public:
    enum class Decision { Allow, Deny };

    explicit ScriptedBrowser(QObject* parent = nullptr);

    // The button pressed on the consent page (default Allow). With an emulator that
    // auto-approves, the page never shows.
    void setDecision(Decision decision) { m_decision = decision; }

    // Starts a visit and returns at once, like opening a URL in the default browser:
    // fit for the application's "open the authorisation URL" function.
    void open(const QUrl& authorizationUrl);
    // One visit, for coroutine tests.
    QCoro::Task<BrowserVisit> visit(QUrl authorizationUrl);

    const QList<BrowserVisit>& visits() const { return m_visits; }
    // Runs the event loop until count visits have finished; false on timeout.
    bool waitForVisits(qsizetype count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

Q_SIGNALS:
    void visitFinished();

private:
    QCoro::Task<BrowserVisit> run(QUrl authorizationUrl);

    QNetworkAccessManager m_network;
    Decision m_decision = Decision::Allow;
    QList<BrowserVisit> m_visits;
};

} // namespace orvane::testsupport
