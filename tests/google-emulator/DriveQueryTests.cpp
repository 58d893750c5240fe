#include "drive/DriveQuery.h"

#include <gtest/gtest.h>

using namespace orvane::emulator;
using namespace Qt::Literals::StringLiterals;

namespace {

DriveItem folder(const QString& name, const QString& parent, bool trashed = false)
{
    DriveItem item;
    item.name = name;
    item.mimeType = mime::folder;
    item.parents = {parent};
    item.trashed = trashed;
    return item;
}

bool matches(QStringView query, const DriveItem& item)
{
    const std::optional<DriveQuery> parsed = DriveQuery::parse(query);
    if (!parsed)
        throw std::runtime_error("does not parse: " + query.toString().toStdString());
    return parsed->matches(item, [](const QString& id) { return id == u"root"_s ? u"ROOT-ID"_s : id; });
}

} // namespace

TEST(DriveQuery, ParsesTheFolderLookupIntoItsFourTerms)
{
    const std::optional<DriveQuery> query
        = DriveQuery::parse(u"mimeType='application/vnd.google-apps.folder' and name='It\\'s a \\\\ test' and 'root' in parents and trashed=false");
    ASSERT_TRUE(query);
    ASSERT_EQ(query->terms().size(), 4);
    const auto& mimeType = std::get<DriveQuery::MimeTypeIs>(query->terms()[0]);
    EXPECT_EQ(mimeType.value, mime::folder);
    EXPECT_TRUE(mimeType.equal);
    EXPECT_EQ(std::get<DriveQuery::NameIs>(query->terms()[1]).value, u"It's a \\ test"_s);
    EXPECT_EQ(std::get<DriveQuery::InParents>(query->terms()[2]).folderId, u"root"_s);
    const auto& trashed = std::get<DriveQuery::TrashedIs>(query->terms()[3]);
    EXPECT_FALSE(trashed.value);
    EXPECT_TRUE(trashed.equal);
}

TEST(DriveQuery, MatchesNameParentMimeTypeAndTrash)
{
    const DriveItem live = folder(u"Opened from Mac"_s, u"ROOT-ID"_s);
    const DriveItem trashed = folder(u"Opened from Mac"_s, u"ROOT-ID"_s, true);
    const QString lookup = u"mimeType='application/vnd.google-apps.folder' and name='Opened from Mac' and 'root' in parents and trashed=false"_s;
    EXPECT_TRUE(matches(lookup, live));
    EXPECT_FALSE(matches(lookup, trashed));
    EXPECT_TRUE(matches(u"name = 'Opened from Mac'", trashed)) << "without a trashed term, trashed items are found too";
    EXPECT_TRUE(matches(u"trashed != false", trashed));
    EXPECT_FALSE(matches(u"name='opened from mac'", live)) << "names compare exactly";
    EXPECT_FALSE(matches(u"'other' in parents", live));
    EXPECT_TRUE(matches(u"mimeType != 'text/csv'", live));
    EXPECT_TRUE(matches(u"", live));
}

TEST(DriveQuery, RefusesWhatItCannotParse)
{
    for (const QString& text : {u"name contains 'x'"_s, u"name='a' or name='b'"_s, u"not trashed=true"_s, u"(name='a')"_s,
                                u"name='unterminated"_s, u"name=\"double\""_s, u"name='bad \\n escape'"_s, u"name='a' and"_s,
                                u"trashed=maybe"_s, u"trashed='false'"_s, u"'root' in owners"_s, u"modifiedTime > '2020'"_s,
                                u"name='a' AND trashed=false"_s, u"name='a' trashed=false"_s, u"and"_s}) {
        EXPECT_FALSE(DriveQuery::parse(text)) << text.toStdString();
    }
}

TEST(DriveQuery, MatchesAnAppPropertyByKeyAndValue)
{
    DriveItem file = folder(u"report.csv"_s, u"ROOT-ID"_s);
    file.appProperties = {{u"sourcePathHash"_s, u"ab12"_s}, {u"sourceApp"_s, u"orvane"_s}};
    EXPECT_TRUE(matches(u"appProperties has { key='sourcePathHash' and value='ab12' } and trashed=false", file));
    EXPECT_TRUE(matches(u"appProperties has {key='sourceApp' and value='orvane'}", file));
    EXPECT_FALSE(matches(u"appProperties has { key='sourcePathHash' and value='ab1' }", file));
    EXPECT_FALSE(matches(u"appProperties has { key='sourceApp' and value='ab12' }", file)) << "the value of that key";
    EXPECT_FALSE(matches(u"appProperties has { key='missing' and value='' }", file)) << "a missing key is no empty value";
    for (const QString& text : {u"appProperties has { key='a' }"_s, u"appProperties has { value='a' and key='b' }"_s,
                                u"appProperties = 'a'"_s, u"appProperties has { key='a' and value='b'"_s}) {
        EXPECT_FALSE(DriveQuery::parse(text)) << text.toStdString();
    }
}
