#include "FieldSelection.h"

#include <QJsonArray>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

std::shared_ptr<const ResourceShape> ResourceShape::leaf()
{
    static const auto shape = std::make_shared<const ResourceShape>();
    return shape;
}

namespace {

class SelectionReader {
public:
    explicit SelectionReader(QStringView text) : m_text(text) {}

    bool atEnd()
    {
        skipBlanks();
        return m_position >= m_text.size();
    }
    bool take(QChar c)
    {
        skipBlanks();
        if (m_position < m_text.size() && m_text[m_position] == c) {
            ++m_position;
            return true;
        }
        return false;
    }
    QString name()
    {
        skipBlanks();
        const qsizetype start = m_position;
        while (m_position < m_text.size()
               && (m_text[m_position].isLetterOrNumber() || m_text[m_position] == u'_' || m_text[m_position] == u'*'))
            ++m_position;
        return m_text.sliced(start, m_position - start).toString();
    }
    QString rest() const { return m_text.sliced(std::min(m_position, m_text.size())).toString(); }

private:
    void skipBlanks()
    {
        while (m_position < m_text.size() && m_text[m_position] == u' ')
            ++m_position;
    }

    QStringView m_text;
    qsizetype m_position = 0;
};

} // namespace

FieldSelection FieldSelection::everything()
{
    return {};
}

// Grammar: list := selector ("," selector)*; selector := name ("/" name)* ["(" list ")"].
class FieldSelectionParser {
public:
    FieldSelectionParser(QStringView text, QString* invalidField) : m_reader(text), m_invalidField(invalidField) {}

    bool parseList(FieldSelection& selection, const ResourceShape& shape, bool nested)
    {
        selection.m_all = false;
        do {
            if (!parseSelector(selection, shape))
                return false;
        } while (m_reader.take(u','));
        if (nested ? !m_reader.take(u')') : !m_reader.atEnd())
            return fail(m_reader.rest());
        return true;
    }

private:
    bool parseSelector(FieldSelection& selection, const ResourceShape& shape)
    {
        const QString name = m_reader.name();
        if (name.isEmpty())
            return fail(m_reader.rest());
        if (name == u"*"_s) {
            selection.m_all = true;
            return true;
        }
        std::shared_ptr<const ResourceShape> valueShape;
        if (!shape.freeKeys) {
            valueShape = shape.fields.value(name);
            if (!valueShape)
                return fail(name);
        } else {
            valueShape = ResourceShape::leaf();
        }
        FieldSelection narrowed;
        narrowed.m_all = false;
        if (m_reader.take(u'/')) {
            if (!parseSelector(narrowed, *valueShape))
                return false;
        } else if (m_reader.take(u'(')) {
            if (!parseList(narrowed, *valueShape, true))
                return false;
        } else {
            narrowed = FieldSelection::everything();
        }
        const bool isNew = !selection.m_fields.contains(name);
        merge(selection.m_fields[name], narrowed, isNew);
        return true;
    }

    // Two selectors of one field select the union of what each selects.
    static void merge(FieldSelection& target, const FieldSelection& source, bool targetIsNew)
    {
        if (targetIsNew || source.m_all) {
            target = source;
            return;
        }
        if (target.m_all)
            return;
        for (auto field = source.m_fields.cbegin(); field != source.m_fields.cend(); ++field) {
            const bool isNew = !target.m_fields.contains(field.key());
            merge(target.m_fields[field.key()], *field, isNew);
        }
    }

    bool fail(const QString& field)
    {
        if (m_invalidField)
            *m_invalidField = field;
        return false;
    }

    SelectionReader m_reader;
    QString* m_invalidField;
};

std::optional<FieldSelection> FieldSelection::parse(QStringView text, const ResourceShape& shape, QString* invalidField)
{
    FieldSelection selection;
    FieldSelectionParser parser(text, invalidField);
    if (!parser.parseList(selection, shape, false))
        return std::nullopt;
    return selection;
}

QJsonObject FieldSelection::apply(const QJsonObject& resource) const
{
    if (m_all)
        return resource;
    QJsonObject selected;
    for (auto field = m_fields.cbegin(); field != m_fields.cend(); ++field) {
        const auto value = resource.constFind(field.key());
        if (value == resource.constEnd())
            continue;
        if (value->isObject()) {
            selected.insert(field.key(), field->apply(value->toObject()));
        } else if (value->isArray()) {
            QJsonArray elements;
            for (const QJsonValue& element : value->toArray())
                elements.append(element.isObject() ? QJsonValue(field->apply(element.toObject())) : element);
            selected.insert(field.key(), elements);
        } else {
            selected.insert(field.key(), *value);
        }
    }
    return selected;
}

} // namespace orvane::emulator
