#include "FileMetadata.h"

#include "GoogleErrors.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype appPropertyLimit = 124; // bytes of key and value together, as Drive allows

[[noreturn]] void refuse(const QString& message)
{
    throw RequestRefused(google::apiError(400, u"invalid"_s, message));
}

QString requireString(const QJsonValue& value, const QString& member)
{
    if (!value.isString())
        refuse(u"Invalid JSON payload received. Invalid value at '%1': a string is expected."_s.arg(member));
    return value.toString();
}

} // namespace

FileMetadata FileMetadata::parse(const QByteArray& json)
{
    if (json.trimmed().isEmpty())
        return {};
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw RequestRefused(google::apiError(400, u"parseError"_s, u"Parse Error"_s));

    FileMetadata metadata;
    const QJsonObject object = document.object();
    for (auto member = object.constBegin(); member != object.constEnd(); ++member) {
        const QString key = member.key();
        if (key == u"id"_s) {
            metadata.id = requireString(*member, key);
        } else if (key == u"name"_s) {
            metadata.name = requireString(*member, key);
        } else if (key == u"mimeType"_s) {
            metadata.mimeType = requireString(*member, key);
        } else if (key == u"description"_s) {
            metadata.description = requireString(*member, key);
        } else if (key == u"parents"_s) {
            if (!member->isArray())
                refuse(u"Invalid JSON payload received. Invalid value at 'parents': a list of strings is expected."_s);
            for (const QJsonValue& parent : member->toArray())
                metadata.parents.append(requireString(parent, u"parents"_s));
        } else if (key == u"appProperties"_s) {
            if (!member->isObject())
                refuse(u"Invalid JSON payload received. Invalid value at 'appProperties': an object is expected."_s);
            const QJsonObject properties = member->toObject();
            for (auto property = properties.constBegin(); property != properties.constEnd(); ++property) {
                const QString value = requireString(*property, u"appProperties."_s + property.key());
                if (property.key().toUtf8().size() + value.toUtf8().size() > appPropertyLimit)
                    refuse(u"The appProperties entry '%1' is larger than %2 bytes of key and value."_s.arg(property.key()).arg(appPropertyLimit));
                metadata.appProperties.insert(property.key(), value);
            }
        } else {
            refuse(u"Invalid JSON payload received. Unknown name \"%1\": Cannot find field."_s.arg(key));
        }
    }
    return metadata;
}

} // namespace orvane::emulator
