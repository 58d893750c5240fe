// Drive's answers, which come from Google or from whatever stands between:
// a failure of any body ends in an error that names its status, and the
// files an answer describes read back the same once written as Drive writes them.

#include "drive/DriveAnswer.h"
#include "support/DecodingError.h"
#include "support/JsonDecoding.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orvane;
using namespace orvane::fuzzing;
using namespace Qt::StringLiterals;

namespace {

QJsonObject asObject(const DriveFile& file)
{
    QJsonObject object;
    insertPresent(object, "id"_L1, file.id);
    insertPresent(object, "name"_L1, file.name);
    insertPresent(object, "webViewLink"_L1, file.webViewLink);
    insertPresent(object, "mimeType"_L1, file.mimeType);
    if (!file.parents.isEmpty())
        object.insert("parents"_L1, QJsonArray::fromStringList(file.parents));
    if (file.trashed)
        object.insert("trashed"_L1, *file.trashed);
    return object;
}

QByteArray writtenBack(const DriveFileList& list)
{
    QJsonArray files;
    for (const DriveFile& file : list.files)
        files.append(asObject(file));
    QJsonObject object{{u"files"_s, files}};
    if (list.nextPageToken)
        object.insert(u"nextPageToken"_s, *list.nextPageToken);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray writtenBack(const DriveFile& file)
{
    return QJsonDocument(asObject(file)).toJson(QJsonDocument::Compact);
}

template <typename Decoded>
void requireReadsBackEqual(const QByteArray& body)
{
    Decoded decoded;
    try {
        decoded = Decoded::fromJson(json::parse(body));
    } catch (const DecodingError&) {
        return;
    }
    const QByteArray again = writtenBack(decoded);
    require(Decoded::fromJson(json::parse(again)) == decoded, "a Drive answer written back reads otherwise",
            [&] { return QString::fromUtf8(again); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    HttpResponse response;
    response.statusCode = provider.ConsumeIntegralInRange(200, 599);
    const std::string body = provider.ConsumeRemainingBytesAsString();
    response.body = QByteArray(body.data(), qsizetype(body.size()));

    if (response.isHttpFailure()) {
        const UrlError error = driveAnswerError(response);
        require(error.code() == UrlError::Code::badServerResponse, "a failed answer ends in another error");
        require(error.statusCode() == response.statusCode, "the error names another status");
        const bool transient = passingFailureOfDriveAnswer(response).has_value();
        require(!transient || *response.statusCode == 403 || *response.statusCode == 429 || *response.statusCode >= 500,
                "an answer that cannot pass is tried again");
        return 0;
    }
    requireReadsBackEqual<DriveFile>(response.body);
    requireReadsBackEqual<DriveFileList>(response.body);
    return 0;
}
