#include "EmulatorTestHelpers.h"

#include <QJsonArray>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkReply>

using namespace orvane::testsupport;
using namespace orvane::testsupport::emulator_tests;

namespace {

class ControlApi : public ::testing::Test {
protected:
    HttpResult list() { return http.get(emulator.url(u"/drive/v3/files?fields=files(id)"_s), bearer(token)); }

    GoogleEmulatorProcess emulator;
    LoopbackHttpClient http;
    QString token = emulator.accessToken();
};

} // namespace

TEST_F(ControlApi, RecordsRequestsWithHeadersQueryAndSmallBodies)
{
    const QByteArray folder = R"({"name":"Opened from Mac","mimeType":"application/vnd.google-apps.folder","parents":["root"]})"_ba;
    http.post(emulator.url(u"/drive/v3/files?fields=id,name"_s), folder, "application/json; charset=utf-8"_ba, bearer(token));
    const UploadBody large{.metadata = R"({"name":"big.bin"})"_ba, .mediaType = "application/octet-stream"_ba,
                           .media = QByteArray(1024 * 1024, 'z')};
    EXPECT_EQ(http.post(emulator.url(uploadPath), large.bytes(), large.contentType(), bearer(token)).status, 200);

    const QList<RecordedRequest> requests = emulator.requests();
    ASSERT_EQ(requests.size(), 4) << "authorisation, token, folder, upload";
    const RecordedRequest& create = requests[2];
    EXPECT_EQ(create.method, "POST"_ba);
    EXPECT_EQ(create.path, u"/drive/v3/files"_s);
    EXPECT_EQ(create.query, "fields=id,name"_ba);
    EXPECT_EQ(create.header("authorization"), "Bearer "_ba + token.toLatin1());
    EXPECT_EQ(create.header("Content-Type"), "application/json; charset=utf-8"_ba);
    EXPECT_EQ(create.body, folder);
    EXPECT_EQ(create.bodySize, folder.size());
    EXPECT_EQ(create.status, 200);
    EXPECT_EQ(requests[3].bodySize, large.bytes().size());
    EXPECT_FALSE(requests[3].body) << "bodies over 1 MiB are only counted";
    EXPECT_EQ(requests[0].queryValue(u"scope"_s), driveFileScope);
}

TEST_F(ControlApi, AnswersTheNextRequestsOfAPathWithAFaultStatus)
{
    emulator.failNextRequests(u"/drive/v3/files"_s, 503, 2);
    emulator.failNextRequests(u"/drive/v3/files"_s, 500, 1, "POST"_ba);
    const HttpResult first = list();
    EXPECT_EQ(first.status, 503);
    EXPECT_EQ(first.body,
              R"({"error":{"code":503,"errors":[{"domain":"global","message":"Backend Error","reason":"backendError"}],"message":"Backend Error"}})"_ba);
    EXPECT_EQ(list().status, 503);
    EXPECT_EQ(list().status, 200);
    EXPECT_EQ(http.post(emulator.url(u"/drive/v3/files"_s), "{}"_ba, "application/json"_ba, bearer(token)).status, 500);

    emulator.injectFault({{u"path"_s, u"/token"_s}, {u"status"_s, 502}, {u"body"_s, u"<html>Bad Gateway</html>"_s}, {u"contentType"_s, u"text/html"_s}});
    const HttpResult custom = http.post(emulator.url(u"/token"_s), "grant_type=refresh_token"_ba, "application/x-www-form-urlencoded"_ba);
    EXPECT_EQ(custom.status, 502);
    EXPECT_EQ(custom.header("Content-Type"), "text/html"_ba);
    EXPECT_EQ(custom.body, "<html>Bad Gateway</html>"_ba);
    EXPECT_EQ(emulator.requests(u"/token"_s).last().status, 502);
}

TEST_F(ControlApi, FaultsTakeGooglesShapeForTheEndpointTheyHit)
{
    emulator.failNextRequests(u"/drive/v3/files"_s, 403, u"userRateLimitExceeded"_s);
    EXPECT_EQ(list().body,
              R"({"error":{"code":403,"errors":[{"domain":"usageLimits","message":"User Rate Limit Exceeded","reason":"userRateLimitExceeded"}],"message":"User Rate Limit Exceeded"}})"_ba);
    emulator.failNextRequests(u"/drive/v3/files"_s, 429);
    EXPECT_EQ(list().json()[u"error"_s][u"errors"_s][0].toObject(),
              (QJsonObject{{u"domain"_s, u"usageLimits"_s}, {u"message"_s, u"Rate Limit Exceeded"_s}, {u"reason"_s, u"rateLimitExceeded"_s}}));
    emulator.injectFault({{u"path"_s, u"/drive/v3/files"_s}, {u"status"_s, 403}, {u"reason"_s, u"storageQuotaExceeded"_s},
                          {u"message"_s, u"The user's Drive storage quota has been exceeded."_s}});
    EXPECT_EQ(list().json()[u"error"_s][u"message"_s].toString(), u"The user's Drive storage quota has been exceeded."_s);

    const auto tokenFault = [&] {
        return http.post(emulator.url(u"/token"_s), "grant_type=refresh_token"_ba, "application/x-www-form-urlencoded"_ba);
    };
    emulator.failNextRequests(u"/token"_s, 503);
    const HttpResult unavailable = tokenFault();
    EXPECT_EQ(unavailable.status, 503);
    EXPECT_EQ(unavailable.body, R"({"error":"temporarily_unavailable","error_description":"Service Unavailable"})"_ba);
    emulator.failNextRequests(u"/token"_s, 500);
    EXPECT_EQ(tokenFault().body, R"({"error":"server_error","error_description":"Internal Server Error"})"_ba);
    emulator.failNextRequests(u"/token"_s, 400, u"invalid_grant"_s);
    EXPECT_EQ(tokenFault().body, R"({"error":"invalid_grant","error_description":"Bad Request"})"_ba);
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"/token"_s}, {u"status"_s, 500}, {u"body"_s, u"x"_s}, {u"reason"_s, u"y"_s}}),
                 std::runtime_error);
}

TEST_F(ControlApi, DropsTheConnectionOfTheNextRequest)
{
    // QNetworkAccessManager sends a request again once when its connection closes
    // before any answer, so a client of it sees the failure only after two drops.
    emulator.dropNextRequests(u"/drive/v3/files"_s, 2);
    const HttpResult dropped = list();
    EXPECT_EQ(dropped.status, 0);
    EXPECT_FALSE(dropped.transportError.isEmpty());
    EXPECT_EQ(list().status, 200);
    const QList<RecordedRequest> recorded = emulator.requests(u"/drive/v3/files"_s);
    ASSERT_EQ(recorded.size(), 3);
    EXPECT_EQ(recorded[0].status, 0);
    EXPECT_EQ(recorded[1].status, 0);
    EXPECT_EQ(recorded[2].status, 200);
}

TEST_F(ControlApi, AFaultAfterHandlingLetsTheWorkHappenAndHidesItsAnswer)
{
    const QByteArray folder = R"({"name":"Opened from Mac","mimeType":"application/vnd.google-apps.folder"})"_ba;
    const auto create = [&] { return http.post(emulator.url(u"/drive/v3/files"_s), folder, "application/json"_ba, bearer(token)); };
    emulator.failNextAnswers(u"/drive/v3/files"_s, 503, 1, "POST"_ba);
    EXPECT_EQ(create().status, 503);
    EXPECT_EQ(emulator.files().size(), 1) << "made, though the answer said otherwise";

    // Qt sends the request once more by itself when the connection closes
    // before an answer: the emulator makes what each request asks for.
    emulator.dropNextAnswers(u"/drive/v3/files"_s, 1, "POST"_ba);
    EXPECT_EQ(create().status, 200);
    EXPECT_EQ(emulator.files().size(), 3);
    const QList<RecordedRequest> recorded = emulator.requests(u"/drive/v3/files"_s);
    ASSERT_EQ(recorded.size(), 3);
    EXPECT_EQ(recorded[0].status, 503);
    EXPECT_EQ(recorded[1].status, 0);
    EXPECT_EQ(recorded[2].status, 200);
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"/token"_s}, {u"stallMilliseconds"_s, 10}, {u"afterHandling"_s, true}}),
                 std::runtime_error);
}

TEST_F(ControlApi, StallsARequestWhileOthersAreAnswered)
{
    emulator.stallNextRequests(u"/drive/v3/files"_s, std::chrono::milliseconds(1500));
    QNetworkAccessManager network;
    QNetworkRequest stalledRequest(emulator.url(u"/drive/v3/files"_s));
    stalledRequest.setRawHeader("Authorization", "Bearer "_ba + token.toLatin1());
    QNetworkReply* stalled = network.get(stalledRequest);
    QEventLoop loop;
    QObject::connect(stalled, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    EXPECT_EQ(http.get(emulator.url(u"/file/d/1unknown/view"_s)).status, 404);
    EXPECT_FALSE(stalled->isFinished()) << "the stalled request is still held";
    loop.exec();
    EXPECT_EQ(stalled->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    delete stalled;
}

TEST_F(ControlApi, ExpiresTokensButKeepsRefreshTokens)
{
    const EmulatorTokens tokens = emulator.signIn();
    emulator.expireAllTokens();
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files"_s), bearer(tokens.accessToken)).status, 401);
    const QByteArray refresh = "client_id="_ba + emulator.clientId().toLatin1() + "&grant_type=refresh_token&refresh_token="_ba
        + QUrl::toPercentEncoding(*tokens.refreshToken);
    const HttpResult refreshed = http.post(emulator.url(u"/token"_s), refresh, "application/x-www-form-urlencoded"_ba);
    ASSERT_EQ(refreshed.status, 200);
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files"_s), bearer(refreshed.json()[u"access_token"_s].toString())).status, 200);
}

TEST_F(ControlApi, ListsFilesAndTrashesFoldersWithTheirContents)
{
    const QByteArray folder = R"({"name":"Opened from Mac","mimeType":"application/vnd.google-apps.folder"})"_ba;
    const QString folderId = http.post(emulator.url(u"/drive/v3/files"_s), folder, "application/json"_ba, bearer(token)).json()[u"id"_s].toString();
    const UploadBody body{.metadata = R"({"name":"a.txt","parents":[")"_ba + folderId.toLatin1() + R"("],"description":"d"})"_ba,
                          .mediaType = "text/plain"_ba, .media = "hello"_ba};
    http.post(emulator.url(uploadPath), body.bytes(), body.contentType(), bearer(token));

    QList<EmulatedDriveItem> files = emulator.files();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[0].isFolder());
    EXPECT_EQ(files[0].parents, QStringList{emulator.rootFolderId()});
    EXPECT_EQ(files[1].name, u"a.txt"_s);
    EXPECT_EQ(files[1].mimeType, u"text/plain"_s);
    EXPECT_EQ(files[1].description, u"d"_s);
    EXPECT_EQ(files[1].size, 5);
    EXPECT_EQ(files[1].sha256, u"2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824"_s);
    EXPECT_EQ(files[1].clientId, emulator.clientId());
    EXPECT_EQ(files[1].webViewLink, emulator.url(u"/file/d/"_s + files[1].id + u"/view?usp=drivesdk"_s));

    emulator.trash(folderId);
    files = emulator.files();
    EXPECT_TRUE(files[0].trashed);
    EXPECT_TRUE(files[1].trashed);
    EXPECT_THROW(emulator.trash(u"1unknown"_s), std::runtime_error);
}

TEST_F(ControlApi, ResetForgetsEverything)
{
    http.post(emulator.url(u"/drive/v3/files"_s), "{}"_ba, "application/json"_ba, bearer(token));
    emulator.failNextRequests(u"/nowhere"_s, 500);
    emulator.answerNextListsInPagesOf({0});
    emulator.reset();
    EXPECT_TRUE(emulator.files().isEmpty());
    EXPECT_TRUE(emulator.requests().isEmpty());
    EXPECT_EQ(list().status, 401) << "tokens are forgotten too";
    EXPECT_EQ(http.get(emulator.url(u"/nowhere"_s)).status, 404) << "and faults";
    const QString newToken = emulator.accessToken();
    http.post(emulator.url(u"/drive/v3/files"_s), "{}"_ba, "application/json"_ba, bearer(newToken));
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files?fields=files(id)"_s), bearer(newToken)).json()[u"files"_s].toArray().size(), 1)
        << "and page sizes";
}

TEST_F(ControlApi, RefusesMalformedFaults)
{
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"/token"_s}}), std::runtime_error);
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"/token"_s}, {u"status"_s, 500}, {u"drop"_s, true}}), std::runtime_error);
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"token"_s}, {u"status"_s, 500}}), std::runtime_error);
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"/token"_s}, {u"status"_s, 5000}}), std::runtime_error);
    EXPECT_THROW(emulator.injectFault({{u"path"_s, u"/token"_s}, {u"status"_s, 500}, {u"count"_s, 0}}), std::runtime_error);
}
