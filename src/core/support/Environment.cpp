#include "support/Environment.h"

namespace orvane {

Environment processEnvironment()
{
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    Environment environment;
    for (const QString& name : system.keys())
        environment.insert(name, system.value(name));
    return environment;
}

QProcessEnvironment toProcessEnvironment(const Environment& environment)
{
    QProcessEnvironment result;
    for (auto entry = environment.cbegin(); entry != environment.cend(); ++entry)
        result.insert(entry.key(), entry.value());
    return result;
}

} // namespace orvane
