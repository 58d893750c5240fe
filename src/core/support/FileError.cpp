#include "support/FileError.h"

namespace orvane {

QString FileError::genericDescription() const
{
    QString sentence;
    switch (kind_) {
    case Kind::notFound:
        sentence = QStringLiteral("The file \u201C%1\u201D does not exist.");
        break;
    case Kind::notReadable:
        sentence = QStringLiteral("The file \u201C%1\u201D could not be read.");
        break;
    case Kind::writeFailed:
        sentence = QStringLiteral("The file \u201C%1\u201D could not be written.");
        break;
    }
    sentence = sentence.arg(path_);
    if (!reason_.isEmpty())
        sentence += QStringLiteral(" (%1)").arg(reason_);
    return sentence;
}

} // namespace orvane
