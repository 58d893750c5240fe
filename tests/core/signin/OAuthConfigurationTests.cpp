#include "support/ConfigurationError.h"
#include "support/DecodingError.h"
#include "support/FileError.h"
#include "signin/OAuthConfiguration.h"
#include "routing/OrvaneError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QString driveFileScope = u"https://www.googleapis.com/auth/drive.file"_s;

// An Application Support folder and an installed data folder of the test's own.
class OAuthConfigurationLoad : public ::testing::Test {
protected:
    QUrl applicationSupportURL() const { return QUrl::fromLocalFile(folder_.filePath(u"oauth-client.json"_s)); }
    ApplicationBundle bundle() const { return ApplicationBundle({folder_.filePath(u"share"_s)}); }

    void writeApplicationSupportFile(const QByteArray& contents) { write(applicationSupportURL().toLocalFile(), contents); }
    void writeBundleResource(const QByteArray& contents)
    {
        QDir(folder_.path()).mkpath(u"share"_s);
        write(folder_.filePath(u"share/GoogleOAuth.json"_s), contents);
    }

    OAuthConfiguration load(const Environment& environment = {}) const
    {
        return OAuthConfiguration::load(environment, applicationSupportURL(), bundle());
    }

private:
    static void write(const QString& path, const QByteArray& contents)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    QTemporaryDir folder_;
};

} // namespace

TEST_F(OAuthConfigurationLoad, TakesTheEnvironmentWithoutReadingAnyFile)
{
    writeApplicationSupportFile(R"({"clientID":"file-id","clientSecret":"file-secret","scopes":["file-scope"]})");
    const OAuthConfiguration configuration = load({
        {u"ORVANE_GOOGLE_CLIENT_ID"_s, u"env-id.apps.googleusercontent.com"_s},
        {u"ORVANE_GOOGLE_TOKEN_ENDPOINT_URL"_s, u"https://auth.example.com/token"_s},
    });
    EXPECT_EQ(configuration, (OAuthConfiguration{
                                 .clientID = u"env-id.apps.googleusercontent.com"_s,
                                 .clientSecret = std::nullopt,
                                 .tokenEndpointURL = QUrl(u"https://auth.example.com/token"_s),
                                 .scopes = {driveFileScope},
                             }));
}

TEST_F(OAuthConfigurationLoad, TakesEnvironmentValuesUnchanged)
{
    const OAuthConfiguration configuration = load({
        {u"ORVANE_GOOGLE_CLIENT_ID"_s, u"  "_s},
        {u"ORVANE_GOOGLE_CLIENT_SECRET"_s, QString()},
        {u"ORVANE_GOOGLE_TOKEN_ENDPOINT_URL"_s, u"http://exa mple.com/token"_s},
    });
    EXPECT_EQ(configuration.clientID, u"  "_s);
    EXPECT_EQ(configuration.clientSecret, QString());
    EXPECT_EQ(configuration.tokenEndpointURL, std::nullopt);
}

TEST_F(OAuthConfigurationLoad, ATokenEndpointThatWouldCarryTokensInClearTextIsRefused)
{
    const QString requirement = u"which Orvane cannot use: tokens travel only over https, or over http to this "
                                u"computer (localhost, 127.0.0.0/8 or ::1)."_s;
    const auto refusal = [this](const Environment& environment) {
        try {
            load(environment);
        } catch (const ConfigurationError& error) {
            return error.localizedDescription();
        }
        return u"accepted"_s;
    };
    const Environment insecure{{u"ORVANE_GOOGLE_CLIENT_ID"_s, u"id"_s},
                               {u"ORVANE_GOOGLE_TOKEN_ENDPOINT_URL"_s, u"http://auth.example.com/token"_s}};
    EXPECT_EQ(refusal(insecure),
              u"ORVANE_GOOGLE_TOKEN_ENDPOINT_URL is \u201Chttp://auth.example.com/token\u201D, "_s + requirement);

    writeApplicationSupportFile(R"({"clientID":"id","tokenEndpointURL":"ftp://auth.example.com/token","scopes":[]})");
    EXPECT_EQ(refusal({}), u"tokenEndpointURL in \u201C%1\u201D is \u201Cftp://auth.example.com/token\u201D, "_s.arg(
                               applicationSupportURL().toLocalFile())
                               + requirement);

    for (const QString& endpoint : {u"http://127.0.0.1:9000/token"_s, u"http://localhost/token"_s,
                                    u"https://auth.example.com/token"_s}) {
        writeApplicationSupportFile(R"({"clientID":"id","tokenEndpointURL":")" + endpoint.toUtf8() + R"(","scopes":[]})");
        EXPECT_EQ(load().tokenEndpointURL, QUrl(endpoint));
    }
}

TEST_F(OAuthConfigurationLoad, IgnoresAnEmptyClientIDVariable)
{
    writeApplicationSupportFile(R"({"clientID":"file-id","scopes":["a","b"]})");
    EXPECT_EQ(load({{u"ORVANE_GOOGLE_CLIENT_ID"_s, QString()}, {u"ORVANE_GOOGLE_CLIENT_SECRET"_s, u"env"_s}}),
              (OAuthConfiguration{.clientID = u"file-id"_s,
                                  .clientSecret = std::nullopt,
                                  .tokenEndpointURL = std::nullopt,
                                  .scopes = {u"a"_s, u"b"_s}}));
}

TEST_F(OAuthConfigurationLoad, PrefersTheApplicationSupportFileToTheBundle)
{
    writeApplicationSupportFile(
        R"({"clientID":"","clientSecret":"s","tokenEndpointURL":"https://auth.example.com/t","scopes":[],"other":1})");
    writeBundleResource(R"({"clientID":"bundle-id","scopes":[]})");
    EXPECT_EQ(load(), (OAuthConfiguration{.clientID = QString(),
                                          .clientSecret = u"s"_s,
                                          .tokenEndpointURL = QUrl(u"https://auth.example.com/t"_s),
                                          .scopes = {}}));
}

TEST_F(OAuthConfigurationLoad, FallsBackToTheBundleResource)
{
    writeBundleResource(R"({"clientID":"bundle-id","scopes":["x"]})");
    EXPECT_EQ(load().clientID, u"bundle-id"_s);
}

TEST_F(OAuthConfigurationLoad, FailsOnABrokenApplicationSupportFileWithoutTryingTheBundle)
{
    writeBundleResource(R"({"clientID":"bundle-id","scopes":["x"]})");
    for (const QByteArray& contents : {QByteArray("{"), QByteArray(R"({"clientID":"id"})"),
                                       QByteArray(R"({"clientID":"id","scopes":["x"],"tokenEndpointURL":"not a url"})"),
                                       QByteArray(R"({"clientID":7,"scopes":["x"]})")}) {
        writeApplicationSupportFile(contents);
        EXPECT_THROW(load(), DecodingError) << contents.constData();
    }
}

TEST_F(OAuthConfigurationLoad, FailsOnABrokenBundleResource)
{
    writeBundleResource(R"({"scopes":["x"]})");
    EXPECT_THROW(load(), DecodingError);
}

TEST_F(OAuthConfigurationLoad, PassesOnAnApplicationSupportFileThatCannotBeRead)
{
    QDir().mkpath(applicationSupportURL().toLocalFile());
    try {
        load();
        FAIL() << "loading did not fail";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::notReadable);
        EXPECT_EQ(error.path(), applicationSupportURL().toLocalFile());
    }
}

TEST_F(OAuthConfigurationLoad, FailsWithoutAnySource)
{
    try {
        load({{u"ORVANE_GOOGLE_CLIENT_SECRET"_s, u"secret"_s}});
        FAIL() << "loading did not fail";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::missingOAuthClientID());
        EXPECT_EQ(error.localizedDescription(), u"Google OAuth client ID is not configured."_s);
    }
}

TEST(ApplicationBundle, FindsAResourceInTheFirstFolderThatHoldsIt)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(u"installed"_s);
    QDir(root.path()).mkpath(u"local"_s);
    for (const QString& folder : {u"installed"_s, u"local"_s}) {
        QFile file(root.filePath(folder + u"/GoogleOAuth.json"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const ApplicationBundle bundle({root.filePath(u"missing"_s), root.filePath(u"local"_s), root.filePath(u"installed"_s)});
    EXPECT_EQ(bundle.resourcePath(u"GoogleOAuth"_s, u"json"_s), root.filePath(u"local/GoogleOAuth.json"_s));
    EXPECT_EQ(bundle.resourcePath(u"GoogleOAuth"_s, u"plist"_s), std::nullopt);
}

TEST(ApplicationBundle, FindsTheInstalledDataFolderFromWhereTheProgramRunsWhateverThePrefix)
{
    // A package puts the program under /usr, a source install under
    // /usr/local: only the path from the program to its data is fixed.
    QTemporaryDir installedData(QCoreApplication::applicationDirPath() + u"/share-XXXXXX"_s);
    QFile installedClient(installedData.filePath(u"GoogleOAuth.json"_s));
    ASSERT_TRUE(installedClient.open(QIODevice::WriteOnly));
    const QString fromProgram = u"../"_s + QDir(QCoreApplication::applicationDirPath()).dirName() + u'/'
                                + QFileInfo(installedData.path()).fileName();

    EXPECT_EQ(ApplicationBundle::installedDataFolder(fromProgram), installedData.path());
    EXPECT_EQ(ApplicationBundle::installed(fromProgram).resourcePath(u"GoogleOAuth"_s, u"json"_s),
              installedClient.fileName());
}

TEST(ApplicationBundle, FallsBackToTheResourcesCompiledIntoTheProgram)
{
    // This test program carries a GoogleOAuth.json among its Qt resources.
    const ApplicationBundle bundle = ApplicationBundle::installed(u"no-such-folder"_s);
    EXPECT_EQ(bundle.resourcePath(u"GoogleOAuth"_s, u"json"_s), u":/GoogleOAuth.json"_s);
    EXPECT_EQ(OAuthConfiguration::load({}, QUrl::fromLocalFile(u"/nonexistent/oauth-client.json"_s), bundle).clientID,
              u"bundled-id.apps.googleusercontent.com"_s);
}
