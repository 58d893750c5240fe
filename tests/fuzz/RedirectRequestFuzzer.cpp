// The first bytes of a connection to the loopback redirect listener, which any
// local process or web page can open: the listener decides as the bytes say,
// and the code and state the sign-in reads are those the request line carried.

#include "signin/RedirectRequestLine.h"

#include "FuzzCheck.h"

#include <QUrl>

using namespace orvane;
using namespace orvane::fuzzing;

namespace {

using Items = QList<std::pair<QByteArray, QByteArray>>;

// Name and value of each "&"-separated item, split at the first "=" and
// percent-decoded, as the sign-in reads them.
Items decodedItems(const QByteArray& query)
{
    Items items;
    if (query.isEmpty())
        return items;
    for (const QByteArray& item : query.split('&')) {
        const qsizetype separator = item.indexOf('=');
        items.append({QByteArray::fromPercentEncoding(item.left(separator < 0 ? item.size() : separator)),
                      separator < 0 ? QByteArray() : QByteArray::fromPercentEncoding(item.mid(separator + 1))});
    }
    return items;
}

// The query of a request target, read from its bytes: after the first "?",
// up to a "#".
QByteArray rawQuery(const QByteArray& target)
{
    const QByteArray beforeFragment = target.left(target.indexOf('#') < 0 ? target.size() : target.indexOf('#'));
    const qsizetype start = beforeFragment.indexOf('?');
    return start < 0 ? QByteArray() : beforeFragment.mid(start + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray received = bytes(data, size);
    const RedirectRequestLine line = RedirectRequestLine::read(received);
    const qsizetype lineEnd = received.left(RedirectRequestLine::maximumBytes).indexOf("\r\n");
    const bool tooLong = lineEnd < 0 && received.size() >= RedirectRequestLine::maximumBytes;

    switch (line.status) {
    case RedirectRequestLine::Status::incomplete:
        require(lineEnd < 0 && !tooLong, "a request line that ended, or ran too long, is still awaited");
        return 0;
    case RedirectRequestLine::Status::unreadable:
        require(lineEnd >= 0 || tooLong, "a request line that has not ended is refused");
        return 0;
    case RedirectRequestLine::Status::callback:
        break;
    }
    require(lineEnd >= 0, "a request line that has not ended is taken as the callback");
    QList<QByteArray> pieces = received.left(lineEnd).split(' ');
    pieces.removeAll(QByteArray());
    require(pieces.size() >= 2, "a request line without a target is taken as the callback");
    const QByteArray& target = pieces.at(1);
    const QByteArray urlQuery = line.callbackURL.query(QUrl::FullyEncoded).toUtf8();
    require(decodedItems(urlQuery) == decodedItems(rawQuery(target)),
            "the callback's query items differ from the request's",
            [&] { return QString::fromUtf8(target) + u'\n' + QString::fromUtf8(urlQuery); });
    return 0;
}
