#include "JSONLocalStateStore.h"

#include "FileError.h"
#include "JsonDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace orvane {

QList<LocalFileRecord> JSONLocalStateStore::loadRecords() const
{
    const QString path = stateURL_.toLocalFile();
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(FileError::Kind::notReadable, path, file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(FileError::Kind::notReadable, path, file.errorString());
    try {
        return json::decodeArray(json::parseArray(data), LocalFileRecord::fromJson);
    } catch (const DecodingError& error) {
        throw error.readFrom(path);
    }
}

void JSONLocalStateStore::saveRecords(const QList<LocalFileRecord>& records)
{
    const QString path = stateURL_.toLocalFile();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw FileError(FileError::Kind::writeFailed, folder, QStringLiteral("the folder could not be created"));

    QList<LocalFileRecord> sorted = records;
    sortNewestFirst(sorted);
    QJsonArray array;
    for (const LocalFileRecord& record : sorted)
        array.append(record.toJson());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(array).toJson(QJsonDocument::Compact)) < 0
        || !file.commit())
        throw FileError(FileError::Kind::writeFailed, path, file.errorString());
}

} // namespace orvane
