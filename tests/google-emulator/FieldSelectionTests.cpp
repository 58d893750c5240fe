#include "drive/DriveResources.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace orvane::emulator;
using namespace Qt::Literals::StringLiterals;

namespace {

QJsonObject json(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

const QJsonObject file = json(R"({"kind":"drive#file","id":"1a","name":"a.csv","mimeType":"text/csv","webViewLink":"http://x",
                                  "appProperties":{"sourceApp":"orvane","openMode":"googleFormat"}})");

QJsonObject select(QStringView fields, const ResourceShape& shape, const QJsonObject& resource)
{
    QString invalid;
    const std::optional<FieldSelection> selection = FieldSelection::parse(fields, shape, &invalid);
    if (!selection)
        throw std::runtime_error("invalid field " + invalid.toStdString());
    return selection->apply(resource);
}

QString invalidFieldOf(QStringView fields, const ResourceShape& shape)
{
    QString invalid;
    EXPECT_FALSE(FieldSelection::parse(fields, shape, &invalid)) << fields.toString().toStdString();
    return invalid;
}

} // namespace

TEST(FieldSelection, SelectsTopLevelFields)
{
    EXPECT_EQ(select(u"id,name,webViewLink,mimeType", DriveResources::fileShape(), file),
              json(R"({"id":"1a","name":"a.csv","webViewLink":"http://x","mimeType":"text/csv"})"));
    EXPECT_EQ(select(u"*", DriveResources::fileShape(), file), file);
    EXPECT_EQ(select(u"appProperties(sourceApp)", DriveResources::fileShape(), file), json(R"({"appProperties":{"sourceApp":"orvane"}})"));
}

TEST(FieldSelection, SelectsInsideListedFilesInEveryNotation)
{
    const QJsonObject list{{u"kind"_s, u"drive#fileList"_s}, {u"nextPageToken"_s, u"t"_s}, {u"files"_s, QJsonArray{file, file}}};
    const QJsonObject expected = json(R"({"files":[{"id":"1a","name":"a.csv"},{"id":"1a","name":"a.csv"}]})");
    EXPECT_EQ(select(u"files(id,name)", DriveResources::fileListShape(), list), expected);
    EXPECT_EQ(select(u"files/id,files/name", DriveResources::fileListShape(), list), expected);
    QJsonObject withToken = expected;
    withToken.insert(u"nextPageToken"_s, u"t"_s);
    EXPECT_EQ(select(u"nextPageToken, files(id, name)", DriveResources::fileListShape(), list), withToken);
    EXPECT_EQ(select(u"files,files(id)", DriveResources::fileListShape(), list).value(u"files"_s)[0].toObject(), file)
        << "a whole field stays whole";
}

TEST(FieldSelection, NamesTheFieldItCannotSelect)
{
    EXPECT_EQ(invalidFieldOf(u"id,owners", DriveResources::fileShape()), u"owners"_s);
    EXPECT_EQ(invalidFieldOf(u"files(id,nam)", DriveResources::fileListShape()), u"nam"_s);
    EXPECT_EQ(invalidFieldOf(u"id", DriveResources::fileListShape()), u"id"_s);
    EXPECT_EQ(invalidFieldOf(u"files(id", DriveResources::fileListShape()), QString());
    EXPECT_EQ(invalidFieldOf(u"id)", DriveResources::fileShape()), u")"_s);
    EXPECT_EQ(invalidFieldOf(u"", DriveResources::fileShape()), QString());
}
