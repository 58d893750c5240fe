// The desktop integration files name the file types Orvane opens; they must
// name exactly the routing table's, or the desktop offers Orvane for files it
// refuses, or never for ones it opens. The autostart entry Orvane writes must
// start what the package installs.

#include "platform/AutostartEntry.h"
#include "platform/DesktopEntryId.h"
#include "routing/FileRouting.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <optional>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QString packagingDirectory = QStringLiteral(ORVANE_PACKAGING_DIR);

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

QByteArray contentsOf(const QString& relativePath)
{
    return readFile(packagingDirectory + u'/' + relativePath);
}

// The metainfo as the build configures it, with this version's release.
QByteArray metainfo()
{
    return readFile(QStringLiteral(ORVANE_METAINFO_PATH));
}

QStringList routedMimeTypes()
{
    QStringList types;
    for (const FileRoute& route : FileRouter::supportedRoutes())
        types.append(route.sourceMimeType);
    return types;
}

QStringList routedExtensions()
{
    QStringList extensions;
    for (const FileRoute& route : FileRouter::supportedRoutes())
        extensions.append(route.fileExtension);
    return extensions;
}

// A key of a desktop entry's main group; comments and other groups skipped.
std::optional<QString> entryValue(const QByteArray& entry, const QString& key)
{
    bool inMainGroup = false;
    for (const QByteArray& rawLine : entry.split('\n')) {
        const QString line = QString::fromUtf8(rawLine);
        if (line.startsWith(u'['))
            inMainGroup = line == u"[Desktop Entry]"_s;
        else if (inMainGroup && line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return std::nullopt;
}

// A key of the packaged desktop entry.
std::optional<QString> desktopEntryValue(const QString& key)
{
    return entryValue(contentsOf(u"linux/"_s + desktopEntryFileName), key);
}

// The texts of every element with this name, in document order.
QStringList elementTexts(const QByteArray& xml, const QString& elementName)
{
    QStringList texts;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == elementName)
            texts.append(reader.readElementText());
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return texts;
}

// The strings of every array that follows <key>name</key> in a property list.
QStringList plistArrayStrings(const QByteArray& plist, const QString& keyName)
{
    QStringList strings;
    QXmlStreamReader reader(plist);
    bool afterKey = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == u"key"_s) {
            afterKey = reader.readElementText() == keyName;
        } else if (afterKey && reader.name() == u"array"_s) {
            while (reader.readNextStartElement())
                strings.append(reader.readElementText());
            afterKey = false;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return strings;
}

TEST(DesktopEntry, DeclaresExactlyTheRoutedMimeTypes)
{
    const std::optional<QString> mimeTypes = desktopEntryValue(u"MimeType"_s);
    ASSERT_TRUE(mimeTypes);
    EXPECT_EQ(mimeTypes->split(u';', Qt::SkipEmptyParts), routedMimeTypes());
}

TEST(DesktopEntry, HandsEveryChosenFileToOneOrvane)
{
    // %F: all selected files in one start, which a running Orvane takes over.
    EXPECT_EQ(desktopEntryValue(u"Exec"_s), u"orvane %F"_s);
}

TEST(DesktopEntry, NamesTheIconTheThemeInstalls)
{
    const std::optional<QString> icon = desktopEntryValue(u"Icon"_s);
    ASSERT_TRUE(icon);
    EXPECT_TRUE(QFileInfo::exists(packagingDirectory + u"/icons/hicolor/scalable/apps/"_s + *icon + u".svg"_s));
    for (const int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString png = u"%1/icons/hicolor/%2x%2/apps/%3.png"_s.arg(packagingDirectory).arg(size).arg(*icon);
        EXPECT_TRUE(QFileInfo::exists(png)) << png.toStdString();
    }
}

TEST(AutostartEntry, StartsThePackagedCommandInTheBackgroundUnderTheDesktopId)
{
    const QByteArray autostart = AutostartEntry::contents();
    const std::optional<QString> command = desktopEntryValue(u"TryExec"_s);
    ASSERT_TRUE(command);
    EXPECT_EQ(QFileInfo(AutostartEntry({{u"XDG_CONFIG_HOME"_s, u"/config"_s}}).path()).fileName(),
              desktopEntryFileName);
    EXPECT_EQ(entryValue(autostart, u"TryExec"_s), command);
    EXPECT_EQ(entryValue(autostart, u"Exec"_s), *command + u" --background"_s);
    EXPECT_EQ(entryValue(autostart, u"Name"_s), desktopEntryValue(u"Name"_s));
    EXPECT_EQ(entryValue(autostart, u"Icon"_s), desktopEntryValue(u"Icon"_s));
}

TEST(AppStreamMetainfo, LaunchesTheDesktopEntryAndProvidesTheRoutedMediaTypes)
{
    EXPECT_EQ(elementTexts(metainfo(), u"launchable"_s), QStringList{desktopEntryFileName});
    EXPECT_EQ(elementTexts(metainfo(), u"mediatype"_s), routedMimeTypes());
    EXPECT_EQ(elementTexts(metainfo(), u"binary"_s), QStringList{u"orvane"_s});
}

TEST(AppStreamMetainfo, ItsOneReleaseIsTheProjectVersionOnItsReleaseDate)
{
    QXmlStreamReader reader(metainfo());
    QStringList releases;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"release"_s)
            releases.append(
                u"%1 %2"_s.arg(reader.attributes().value(u"version"_s), reader.attributes().value(u"date"_s)));
    }
    EXPECT_EQ(releases, QStringList{QStringLiteral(ORVANE_PROJECT_VERSION " " ORVANE_RELEASE_DATE)});
}

TEST(MacInformationFile, DeclaresTheNineExtensionsAsDocumentTypes)
{
    const QByteArray plist = contentsOf(u"macos/Info.plist"_s);
    EXPECT_EQ(plistArrayStrings(plist, u"CFBundleTypeExtensions"_s), routedExtensions());
    EXPECT_EQ(plistArrayStrings(plist, u"CFBundleTypeMIMETypes"_s), routedMimeTypes());
}

} // namespace
