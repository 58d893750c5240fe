#include "support/DecodingError.h"

namespace orvane {

DecodingError DecodingError::nestedIn(const QString& outerPath) const
{
    DecodingError nested = *this;
    if (codingPath_.isEmpty())
        nested.codingPath_ = outerPath;
    else if (codingPath_.startsWith(QLatin1Char('[')))
        nested.codingPath_ = outerPath + codingPath_;
    else
        nested.codingPath_ = outerPath + QLatin1Char('.') + codingPath_;
    return nested;
}

DecodingError DecodingError::readFrom(const QString& path) const
{
    DecodingError located = *this;
    located.sourcePath_ = path;
    return located;
}

QString DecodingError::genericDescription() const
{
    const QString detail = codingPath_.isEmpty() ? reason_ : codingPath_ + QStringLiteral(": ") + reason_;
    if (sourcePath_.isEmpty())
        return QStringLiteral("The data could not be read because it is not in the correct format (%1).").arg(detail);
    return QStringLiteral("The file \u201C%1\u201D could not be read because it is not in the correct format (%2).")
        .arg(sourcePath_, detail);
}

} // namespace orvane
