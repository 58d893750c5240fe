// The emulator's forms and queries, which any client of the tests may send:
// fields that parse, encoded again, parse to the same fields.

#include "http/FormFields.h"

#include "FuzzCheck.h"

using namespace orvane;
using namespace orvane::emulator;
using namespace orvane::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray encoded = bytes(data, size);
    const std::optional<FormFields> fields = FormFields::parse(encoded);
    if (!fields)
        return 0;
    require(fields->items().size() <= encoded.count('&') + 1, "more fields than the form holds");
    QByteArrayList again;
    for (const auto& [name, value] : fields->items())
        again.append(name.toUtf8().toPercentEncoding() + '=' + value.toUtf8().toPercentEncoding());
    const QByteArray reencoded = again.join('&');
    const std::optional<FormFields> reparsed = FormFields::parse(reencoded);
    require(reparsed && reparsed->items() == fields->items(), "fields encoded again parse otherwise",
            [&] { return QString::fromLatin1(reencoded); });
    return 0;
}
