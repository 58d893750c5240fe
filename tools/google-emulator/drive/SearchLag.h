#pragma once

#include "DriveItem.h"

#include <chrono>

namespace orvane::emulator {

// Drive's search is eventually consistent: files.list may not show for a while
// what was just made, while files.get always does. A test sets how long; by
// default search is current.
class SearchLag {
public:
    void set(std::chrono::milliseconds lag) { m_lag = lag; }
    void clear() { m_lag = {}; }
    // Whether files.list does not see the item yet.
    bool hides(const DriveItem& item) const
    {
        return item.createdTime.msecsTo(QDateTime::currentDateTimeUtc()) < m_lag.count();
    }

private:
    std::chrono::milliseconds m_lag{0};
};

} // namespace orvane::emulator
