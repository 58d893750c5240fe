#include "RequestChecks.h"

#include "GoogleErrors.h"

namespace orvane::emulator::drive_requests {

using namespace Qt::Literals::StringLiterals;

const QStringList commonParameters{u"fields"_s, u"supportsAllDrives"_s, u"prettyPrint"_s, u"alt"_s};

FormFields checkedQuery(const QByteArray& query, const QStringList& accepted)
{
    const std::optional<FormFields> fields = FormFields::parse(query);
    if (!fields)
        throw RequestRefused(google::apiError(400, u"badRequest"_s, u"Bad Request"_s));
    for (const auto& [name, value] : fields->items()) {
        if (!accepted.contains(name))
            throw RequestRefused(google::invalidParameter(
                name, u"Invalid JSON payload received. Unknown name \"%1\": Cannot bind query parameter. Field '%1' could not be found "
                      u"in request message."_s.arg(name)));
        if (fields->count(name) > 1)
            throw RequestRefused(google::invalidParameter(name, u"The parameter '%1' is given more than once."_s.arg(name)));
    }
    for (const QString& flag : {u"supportsAllDrives"_s, u"includeItemsFromAllDrives"_s, u"prettyPrint"_s}) {
        if (const std::optional<QString> value = fields->value(flag); value && *value != u"true"_s && *value != u"false"_s)
            throw RequestRefused(google::invalidParameter(flag, u"Invalid value '%1'. Expected true or false."_s.arg(*value)));
    }
    if (const std::optional<QString> alt = fields->value(u"alt"_s); alt && *alt != u"json"_s)
        throw RequestRefused(google::invalidParameter(u"alt"_s, u"Invalid value '%1'. The emulator answers in JSON only."_s.arg(*alt)));
    return *fields;
}

FieldSelection checkedFieldSelection(const FormFields& query, const ResourceShape& shape, const FieldSelection& fallback)
{
    const std::optional<QString> text = query.value(u"fields"_s);
    if (!text)
        return fallback;
    QString invalidField;
    std::optional<FieldSelection> selection = FieldSelection::parse(*text, shape, &invalidField);
    if (!selection)
        throw RequestRefused(google::invalidParameter(u"fields"_s, u"Invalid field selection %1"_s.arg(invalidField)));
    return std::move(*selection);
}

QString authorizedClient(const HttpRequestHead& head, const OAuthGrants& grants)
{
    const std::optional<QByteArray> authorization = head.headers.value("Authorization"_ba);
    if (!authorization)
        throw RequestRefused(google::missingCredentials());
    const QList<QByteArray> words = authorization->split(' ');
    if (words.size() != 2 || words[0].compare("Bearer"_ba, Qt::CaseInsensitive) != 0)
        throw RequestRefused(google::invalidCredentials());
    const std::optional<QString> clientId = grants.clientOfAccessToken(QString::fromLatin1(words[1]));
    if (!clientId)
        throw RequestRefused(google::invalidCredentials());
    return *clientId;
}

} // namespace orvane::emulator::drive_requests
