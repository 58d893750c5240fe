#include "signin/FormURLEncoding.h"

namespace orvane {

QByteArray formURLEncoded(const QMap<QString, QString>& parameters)
{
    // Besides the unreserved characters, which are never encoded.
    static const QByteArray keptAsTheyAre = "/?";
    QByteArrayList pairs;
    // QMap iterates in ascending key order.
    for (auto parameter = parameters.cbegin(); parameter != parameters.cend(); ++parameter)
        pairs.append(parameter.key().toUtf8().toPercentEncoding(keptAsTheyAre) + '='
                     + parameter.value().toUtf8().toPercentEncoding(keptAsTheyAre));
    return pairs.join('&');
}

} // namespace orvane
