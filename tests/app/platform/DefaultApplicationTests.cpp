#include "AppModelFixture.h"
#include "AwaitTask.h"
#include "platform/DefaultApplicationRegistrar.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// xdg-mime itself, writing to a desktop-less configuration of its own.
class DefaultApplicationRegistrarTest : public ::testing::Test {
protected:
    Environment environment() const
    {
        return {{u"PATH"_s, qEnvironmentVariable("PATH")},
                {u"HOME"_s, home.path()},
                {u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s)},
                {u"XDG_DATA_HOME"_s, home.filePath(u"data"_s)}};
    }

    // The defaults as the desktop reads them: the lines of the
    // "[Default Applications]" group of the user's mimeapps.list.
    QStringList defaultApplications() const
    {
        QFile list(home.filePath(u"config/mimeapps.list"_s));
        if (!list.open(QIODevice::ReadOnly))
            return {};
        const QStringList lines = QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
        const qsizetype group = lines.indexOf(u"[Default Applications]"_s);
        QStringList entries;
        for (qsizetype index = group + 1; group >= 0 && index < lines.size() && !lines[index].startsWith(u'['); ++index)
            entries.append(lines[index]);
        return entries;
    }

    QTemporaryDir home;
};

TEST_F(DefaultApplicationRegistrarTest, MakesTheDesktopEntryTheDefaultForEveryRoutedType)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(u"xdg-mime"_s).isEmpty()) << "xdg-utils is not installed";
    ASSERT_EQ(DefaultApplicationRegistrar::mimeTypes().size(), 9);

    awaitTask(DefaultApplicationRegistrar(environment()).registerAsDefault());

    QStringList expected;
    for (const QString& mimeType : DefaultApplicationRegistrar::mimeTypes())
        expected.append(mimeType + u"=app.orvane.Orvane.desktop"_s);
    QStringList entries = defaultApplications();
    entries.sort();
    expected.sort();
    EXPECT_EQ(entries, expected);
}

TEST_F(DefaultApplicationRegistrarTest, MissingToolIsReportedAsSuch)
{
    Environment withoutTools = environment();
    withoutTools.insert(u"PATH"_s, home.path());
    try {
        awaitTask(DefaultApplicationRegistrar(withoutTools).registerAsDefault());
        FAIL() << "registered without xdg-mime";
    } catch (const DefaultApplicationError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"Orvane could not make itself the default application: xdg-mime was not found. "
                  u"Install xdg-utils."_s);
    }
}

TEST_F(AppModelTest, MakingOrvaneTheDefaultSaysForWhichFiles)
{
    int registrations = 0;
    registerAsDefaultApplication = [&registrations]() -> QCoro::Task<> {
        ++registrations;
        co_return;
    };
    makeModel();

    model->makeOrvaneTheDefault();

    ASSERT_TRUE(waitUntil([this] { return statuses.size() == 2; }));
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(statuses, (QStringList{u"Making Orvane the default application..."_s,
                                     u"Orvane is now the default application for .csv, .tsv, .xls, .xlsx, .xlsm, "
                                     u".doc, .docx, .ppt and .pptx files."_s}));
    EXPECT_EQ(model->lastError(), std::nullopt);
}

TEST_F(AppModelTest, RefusedDefaultIsShownAsTheErrorWithItsReason)
{
    registerAsDefaultApplication = []() -> QCoro::Task<> {
        throw DefaultApplicationError(u"gio: Failed to find application app.orvane.Orvane.desktop"_s);
        co_return;
    };
    makeModel();

    model->makeOrvaneTheDefault();

    ASSERT_TRUE(waitUntil([this] { return model->lastError().has_value(); }));
    EXPECT_EQ(*model->lastError(), u"Orvane could not make itself the default application: gio: Failed to find "
                                   u"application app.orvane.Orvane.desktop"_s);
    EXPECT_EQ(statuses, (QStringList{u"Making Orvane the default application..."_s,
                                     u"Could not make Orvane the default application"_s}));

    registerAsDefaultApplication = nullptr;
    makeModel();
    model->makeOrvaneTheDefault();
    EXPECT_EQ(model->lastError(), u"This desktop has no default application setting Orvane can change."_s);
}

} // namespace
