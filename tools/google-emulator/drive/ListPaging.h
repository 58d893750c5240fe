#pragma once

#include <QList>

#include <optional>

namespace orvane::emulator {

// Page sizes a test asked files.list to answer with next, as Drive may answer
// partial or empty pages before the end of a list: each answer takes the next
// size as its upper bound, whatever pageSize asked for.
class ListPaging {
public:
    void add(const QList<int>& sizes) { m_sizes.append(sizes); }
    std::optional<int> takeNextSize() { return m_sizes.isEmpty() ? std::nullopt : std::optional(m_sizes.takeFirst()); }
    void clear() { m_sizes.clear(); }

private:
    QList<int> m_sizes;
};

} // namespace orvane::emulator
