#include "ScriptedBrowser.h"

#include "LoopbackHttpClient.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTimer>

#include <QCoroNetworkReply>

#include <stdexcept>

namespace orvane::testsupport {

using namespace Qt::Literals::StringLiterals;

namespace {

QNetworkRequest browserRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The emulator answers at once: a page that takes longer is a fault.
    request.setTransferTimeout(5'000);
    return request;
}

struct Answer {
    int status = 0;
    QByteArray body;
    QUrl location;
    QString error;
};

QCoro::Task<Answer> fetch(QNetworkReply* reply)
{
    co_await reply;
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    if (const QByteArray location = reply->rawHeader("Location"); !location.isEmpty())
        answer.location = reply->url().resolved(QUrl(QString::fromUtf8(location)));
    if (answer.status == 0)
        answer.error = reply->errorString();
    reply->deleteLater();
    co_return answer;
}

} // namespace

ScriptedBrowser::ScriptedBrowser(QObject* parent) : QObject(parent) {}

void ScriptedBrowser::open(const QUrl& authorizationUrl)
{
    // Nobody awaits the visit: it records itself and runs to its end on its own.
    [](ScriptedBrowser* browser, QUrl url) -> QCoro::Task<> { co_await browser->visit(std::move(url)); }(this, authorizationUrl);
}

QCoro::Task<BrowserVisit> ScriptedBrowser::visit(QUrl authorizationUrl)
{
    BrowserVisit visit = co_await run(std::move(authorizationUrl));
    m_visits.append(visit);
    Q_EMIT visitFinished();
    co_return visit;
}

QCoro::Task<BrowserVisit> ScriptedBrowser::run(QUrl authorizationUrl)
{
    BrowserVisit visit;
    visit.authorizationUrl = authorizationUrl;
    try {
        requireLoopback(authorizationUrl);
    } catch (const std::invalid_argument& error) {
        visit.error = QString::fromUtf8(error.what());
        co_return visit;
    }

    Answer page = co_await fetch(m_network.get(browserRequest(authorizationUrl)));
    static const QRegularExpression consentForm(u"<form method=\"post\" action=\"([^\"]+)\">\\s*<input type=\"hidden\" name=\"consent\" value=\"([^\"]+)\">"_s);
    if (const QRegularExpressionMatch form = consentForm.match(QString::fromUtf8(page.body)); page.status == 200 && form.hasMatch()) {
        QNetworkRequest submit = browserRequest(authorizationUrl.resolved(QUrl(form.captured(1))));
        submit.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded"_ba);
        const QByteArray decision = m_decision == Decision::Allow ? "allow"_ba : "deny"_ba;
        page = co_await fetch(m_network.post(submit, "consent="_ba + form.captured(2).toLatin1() + "&decision="_ba + decision));
    }
    visit.authorizationStatus = page.status;
    visit.error = page.error;
    if (page.status != 302) {
        visit.authorizationBody = page.body;
        co_return visit;
    }
    visit.redirectUrl = page.location;
    try {
        requireLoopback(visit.redirectUrl);
    } catch (const std::invalid_argument& error) {
        visit.error = QString::fromUtf8(error.what());
        co_return visit;
    }
    const Answer callback = co_await fetch(m_network.get(browserRequest(visit.redirectUrl)));
    visit.callbackStatus = callback.status;
    visit.callbackBody = callback.body;
    visit.error = callback.error;
    co_return visit;
}

bool ScriptedBrowser::waitForVisits(qsizetype count, std::chrono::milliseconds timeout)
{
    if (m_visits.size() >= count)
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    connect(this, &ScriptedBrowser::visitFinished, &loop, [&] {
        if (m_visits.size() >= count)
            loop.quit();
    });
    loop.exec();
    return m_visits.size() >= count;
}

} // namespace orvane::testsupport
