#include "FaultPlan.h"

namespace orvane::emulator {

void FaultPlan::add(Fault fault)
{
    m_faults.append(std::move(fault));
}

std::optional<FaultPlan::Fault> FaultPlan::take(const QByteArray& method, const QByteArray& path)
{
    for (qsizetype index = 0; index < m_faults.size(); ++index) {
        Fault& fault = m_faults[index];
        if (fault.path != path || (!fault.method.isEmpty() && fault.method != method))
            continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        const Fault taken = fault;
        if (--fault.remaining == 0)
            m_faults.removeAt(index);
        return taken;
    }
    return std::nullopt;
}

void FaultPlan::clear()
{
    m_faults.clear();
}

} // namespace orvane::emulator
