#pragma once

#include "DriveItem.h"

#include <QList>

#include <algorithm>
#include <optional>
#include <variant>

namespace orvane::emulator {

// The part of Drive's search language ("q") that Orvane uses: comparisons of
// mimeType and name with "=" or "!=", "'<id>' in parents", "trashed" with
// "=" or "!=", and "appProperties has { key='<k>' and value='<v>' }", joined by "and". Strings are single-quoted, with \' and \\ as the
// only escapes. Anything else does not parse.
class DriveQuery {
public:
    struct MimeTypeIs {
        QString value;
        bool equal;
    };
    struct NameIs {
        QString value;
        bool equal;
    };
    struct InParents {
        QString folderId;
    };
    struct TrashedIs {
        bool value;
        bool equal;
    };
    struct AppPropertyIs {
        QString key;
        QString value;
    };
    using Term = std::variant<MimeTypeIs, NameIs, InParents, TrashedIs, AppPropertyIs>;

    // An empty text is the query that matches everything.
    static std::optional<DriveQuery> parse(QStringView text);

    const QList<Term>& terms() const { return m_terms; }
    // resolveFolderId turns an alias such as "root" into the folder's ID.
    template <typename ResolveFolderId>
    bool matches(const DriveItem& item, ResolveFolderId resolveFolderId) const;

private:
    QList<Term> m_terms;
};

template <typename ResolveFolderId>
bool DriveQuery::matches(const DriveItem& item, ResolveFolderId resolveFolderId) const
{
    return std::all_of(m_terms.begin(), m_terms.end(), [&](const Term& term) {
        if (const auto* mimeType = std::get_if<MimeTypeIs>(&term))
            return (item.mimeType == mimeType->value) == mimeType->equal;
        if (const auto* name = std::get_if<NameIs>(&term))
            return (item.name == name->value) == name->equal;
        if (const auto* inParents = std::get_if<InParents>(&term))
            return item.parents.contains(resolveFolderId(inParents->folderId));
        if (const auto* property = std::get_if<AppPropertyIs>(&term)) {
            const auto found = item.appProperties.constFind(property->key);
            return found != item.appProperties.cend() && *found == property->value;
        }
        const auto& trashed = std::get<TrashedIs>(term);
        return (item.trashed == trashed.value) == trashed.equal;
    });
}

} // namespace orvane::emulator
