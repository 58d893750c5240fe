#include "instance/InstanceRequest.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

const QString openFilesKey = u"openFiles"_s;

QUrl fileURL(const QString& absolutePath)
{
    return QUrl::fromLocalFile(QDir::cleanPath(absolutePath));
}

} // namespace

InstanceRequest InstanceRequest::fromArguments(const QStringList& arguments, const QString& workingDirectory)
{
    const QDir base(workingDirectory);
    InstanceRequest request;
    for (const QString& argument : arguments) {
        if (!argument.isEmpty())
            request.fileURLs.append(fileURL(base.absoluteFilePath(argument)));
    }
    return request;
}

InstanceRequest InstanceRequest::fromCommandLine(int argc, const char* const* argv, const QString& workingDirectory)
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return fromArguments(arguments, workingDirectory);
}

QList<InstanceRequest> InstanceRequest::inParts(qsizetype maximumSize) const
{
    const qsizetype emptySize = InstanceRequest().encoded().size();
    QList<InstanceRequest> parts{InstanceRequest()};
    qsizetype size = emptySize;
    for (const QUrl& url : fileURLs) {
        // The path as a JSON text, quotes and escapes included, and its comma.
        const qsizetype pathSize =
            QJsonDocument(QJsonArray{url.toLocalFile()}).toJson(QJsonDocument::Compact).size() - 2 + 1;
        if (!parts.last().isReopen() && size + pathSize > maximumSize) {
            parts.append(InstanceRequest());
            size = emptySize;
        }
        parts.last().fileURLs.append(url);
        size += pathSize;
    }
    return parts;
}

QByteArray InstanceRequest::encoded() const
{
    QJsonArray paths;
    for (const QUrl& url : fileURLs)
        paths.append(url.toLocalFile());
    return QJsonDocument(QJsonObject{{openFilesKey, paths}}).toJson(QJsonDocument::Compact) + terminator;
}

std::optional<InstanceRequest> InstanceRequest::decode(const QByteArray& message)
{
    if (message.size() > maximumEncodedSize)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(message);
    const QJsonValue paths = document.object().value(openFilesKey);
    if (!paths.isArray())
        return std::nullopt;
    InstanceRequest request;
    for (const QJsonValue& path : paths.toArray()) {
        // A leading slash, not QDir::isAbsolutePath, which also accepts ":/" resource paths.
        const QString text = path.toString();
        if (text.startsWith(u'/') && !text.contains(QChar::Null))
            request.fileURLs.append(fileURL(text));
    }
    if (request.fileURLs.isEmpty() && !paths.toArray().isEmpty())
        return std::nullopt;
    return request;
}

} // namespace orvane
