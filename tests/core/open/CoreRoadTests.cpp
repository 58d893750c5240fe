#include "AwaitTask.h"
#include "drive/GoogleDriveClient.h"
#include "GoogleEmulatorProcess.h"
#include "signin/GoogleOAuthClient.h"
#include "tokens/InMemoryTokenStore.h"
#include "state/JSONLocalStateStore.h"
#include "ScriptedBrowser.h"
#include "support/UrlError.h"
#include "open/WorkspaceOpenService.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using orvane::testsupport::GoogleEmulatorProcess;

namespace {

// The whole core, as the application puts it together for one file: sign-in
// through a scripted browser, the Drive client, the open service and the state
// file, against the emulator over real HTTP.
class CoreRoadTest : public ::testing::Test {
protected:
    GoogleEmulatorProcess emulator;
    QTemporaryDir folder;
    QNetworkAccessManager network;
    orvane::testsupport::ScriptedBrowser browser;
    GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    std::shared_ptr<InMemoryTokenStore> tokenStore = std::make_shared<InMemoryTokenStore>();
    // How far the client's clock runs ahead of the wall clock.
    qint64 clockAheadSeconds = 0;
    GoogleOAuthClient oauthClient{
        OAuthConfiguration{emulator.clientId(), std::nullopt, std::nullopt, OAuthConfiguration::defaultScopes()},
        tokenStore,
        network,
        [this](const QUrl& url) { browser.open(url); },
        endpoints,
        [this] { return QDateTime::currentDateTimeUtc().addSecs(clockAheadSeconds); }};
    JSONLocalStateStore stateStore{QUrl::fromLocalFile(folder.filePath(u"Orvane/local-state.json"_s))};

    QUrl writeFile(const QString& name, const QByteArray& content)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return QUrl::fromLocalFile(file.fileName());
    }

    OpenOutcome open(const QUrl& url, OpenMode officeMode)
    {
        GoogleDriveClient driveClient(oauthClient, network, GoogleFileURLResolver(endpoints), endpoints,
                                      DriveFolderStore::besideStateFile(stateStore.stateURL()));
        const OrvanePreferences preferences{officeMode, u"Opened from Mac"_s, true};
        WorkspaceOpenService service(FileRouter(), DriveFolderResolver{preferences.rootFolderName}, stateStore,
                                     driveClient);
        return awaitTask(service.open(url, preferences, QDateTime::currentDateTimeUtc()));
    }

    QString folderPath(const QString& itemId) const
    {
        QStringList names;
        for (auto item = emulator.findFile(itemId); item && !item->parents.isEmpty();) {
            item = emulator.findFile(item->parents.first());
            if (item && item->id != emulator.rootFolderId())
                names.prepend(item->name);
        }
        return names.join(u'/');
    }
};

} // namespace

TEST_F(CoreRoadTest, CsvIsConvertedThenReusedThenUploadedAgainWhenChanged)
{
    const QUrl csv = writeFile(u"orvane-sample.csv"_s, "Name,Team\nAki,Sales\n");

    const OpenOutcome first = open(csv, OpenMode::officePreserved);
    ASSERT_TRUE(first.didUpload());
    EXPECT_EQ(browser.visits().size(), 1) << "signed in through the browser once";
    const auto uploaded = emulator.findFile(first.record().googleDriveFileID);
    ASSERT_TRUE(uploaded);
    EXPECT_EQ(uploaded->mimeType, u"application/vnd.google-apps.spreadsheet"_s);
    EXPECT_EQ(folderPath(uploaded->id), u"Opened from Mac/CSV Imports"_s);
    EXPECT_EQ(first.record().openURL, emulator.url(u"/spreadsheets/d/%1/edit"_s.arg(uploaded->id)));
    EXPECT_EQ(first.record().openMode, OpenMode::googleFormat);

    const OpenOutcome second = open(csv, OpenMode::officePreserved);
    EXPECT_FALSE(second.didUpload());
    EXPECT_EQ(second.record().id, first.record().id);
    EXPECT_EQ(emulator.requests(u"/upload/drive/v3/files"_s, "POST").size(), 1);
    EXPECT_EQ(browser.visits().size(), 1) << "the stored token was used";

    writeFile(u"orvane-sample.csv"_s, "Name,Team\nAki,Sale5\n");
    const OpenOutcome third = open(csv, OpenMode::officePreserved);
    EXPECT_TRUE(third.didUpload());
    EXPECT_NE(third.record().googleDriveFileID, first.record().googleDriveFileID);
    EXPECT_EQ(emulator.requests(u"/upload/drive/v3/files"_s, "POST").size(), 2);
    EXPECT_EQ(stateStore.loadRecords().size(), 2);
    EXPECT_EQ(JSONLocalStateStore(stateStore.stateURL()).loadRecords().first().id, third.record().id);
}

TEST_F(CoreRoadTest, AWordFileKeptInOfficeFormatOpensItsWebViewLink)
{
    const OpenOutcome outcome = open(writeFile(u"Minutes.docx"_s, "PK docx"), OpenMode::officePreserved);
    const auto uploaded = emulator.findFile(outcome.record().googleDriveFileID);
    ASSERT_TRUE(uploaded);
    EXPECT_EQ(uploaded->mimeType, u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s);
    EXPECT_EQ(folderPath(uploaded->id), u"Opened from Mac/Docs"_s);
    EXPECT_EQ(outcome.record().openURL, uploaded->webViewLink);
    EXPECT_EQ(outcome.record().openMode, OpenMode::officePreserved);
}

TEST_F(CoreRoadTest, AnExpiredTokenIsRefreshedWithoutTheBrowser)
{
    const QUrl csv = writeFile(u"a.csv"_s, "1\n");
    open(csv, OpenMode::googleFormat);

    // Google no longer takes the token, but the client still thinks it
    // current: the 401 gets one refreshed token, and the open goes through.
    emulator.expireAllTokens();
    writeFile(u"a.csv"_s, "2\n");
    EXPECT_TRUE(open(csv, OpenMode::googleFormat).didUpload());
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 2) << "one code exchange, one refresh";

    // An hour later the client sees the expiry itself and refreshes.
    clockAheadSeconds = 3600;
    writeFile(u"a.csv"_s, "3\n");
    EXPECT_TRUE(open(csv, OpenMode::googleFormat).didUpload());
    EXPECT_EQ(browser.visits().size(), 1);
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 3) << "and a second refresh";
    EXPECT_EQ(stateStore.loadRecords().size(), 3);
}

TEST_F(CoreRoadTest, AFileDatedAfterTheYear9999OpensAndTheNextStartStillReadsTheStateFile)
{
    // ext4 keeps dates up to 2446 only; tmpfs keeps any.
    if (!QFileInfo(u"/dev/shm"_s).isWritable())
        GTEST_SKIP() << "needs a tmpfs at /dev/shm";
    QTemporaryDir shm(u"/dev/shm/orvane-road-XXXXXX"_s);
    QFile file(shm.filePath(u"future.csv"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Year\n10000\n");
    ASSERT_TRUE(file.flush()) << "written before the date is set, or the write would set it to now";
    // `touch -d @253402300800`: 10000-01-01T00:00:00Z.
    ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(253402300800, Qt::UTC), QFile::FileModificationTime));
    file.close();
    const QUrl csv = QUrl::fromLocalFile(file.fileName());

    EXPECT_TRUE(open(csv, OpenMode::googleFormat).didUpload());
    EXPECT_EQ(JSONLocalStateStore(stateStore.stateURL()).loadRecords().size(), 1) << "as the next start reads it";
    EXPECT_FALSE(open(csv, OpenMode::googleFormat).didUpload());
}
