// The hand-over message, sent over the single-instance socket in whatever
// pieces by any process of the user: the reader takes a request only as its
// one line said, and a request taken is one the running Orvane can act on.

#include "instance/InstanceRequestReader.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace orvane;
using namespace orvane::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    InstanceRequestReader reader;
    QByteArray sent;
    InstanceRequestReader::State state = InstanceRequestReader::State::reading;
    // The pieces as the socket may deliver them.
    while (provider.remaining_bytes() > 0 && state == InstanceRequestReader::State::reading) {
        const std::string piece = provider.ConsumeRandomLengthString(4096);
        sent.append(piece.data(), qsizetype(piece.size()));
        state = reader.append(QByteArrayView(piece.data(), qsizetype(piece.size())));
    }
    const qsizetype end = sent.indexOf(InstanceRequest::terminator);

    switch (state) {
    case InstanceRequestReader::State::reading:
        require(end < 0 && sent.size() <= InstanceRequest::maximumEncodedSize,
                "a message that ended or grew too large is still read");
        return 0;
    case InstanceRequestReader::State::refused:
        require(end >= 0 || sent.size() > InstanceRequest::maximumEncodedSize,
                "a message that may still end well is refused");
        require(end < 0 || end != sent.size() - 1 || !InstanceRequest::decode(sent.first(end)),
                "a message of one line that decodes is refused");
        return 0;
    case InstanceRequestReader::State::complete:
        break;
    }
    require(end == sent.size() - 1, "a message that goes on after its line is taken");
    require(reader.request().has_value(), "a complete message holds no request");
    const InstanceRequest& request = *reader.request();
    for (const QUrl& url : request.fileURLs)
        require(url.isLocalFile() && url.toLocalFile().startsWith(u'/'), "a file to open is no absolute local path",
                [&] { return url.toString(); });
    // What the running Orvane would hand on reads the same when sent again.
    const QByteArray again = request.encoded();
    require(again.indexOf(InstanceRequest::terminator) == again.size() - 1, "an encoded request is not one line");
    require(InstanceRequest::decode(again.chopped(1)) == request, "an encoded request reads back otherwise",
            [&] { return QString::fromUtf8(again); });
    return 0;
}
