#include "windows/ViewReleasePolicy.h"

#include <QGuiApplication>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orvane {

namespace {

// glibc keeps freed memory for the process to use again; an engine's worth
// of it would stay resident for good.
void returnFreeMemoryToTheSystem()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace

ViewReleasePolicy::ViewReleasePolicy(std::function<bool()> areViewsNeeded, std::function<void()> release,
                                     std::chrono::milliseconds delay, QObject* parent)
    : QObject(parent), areViewsNeeded_(std::move(areViewsNeeded)), release_(std::move(release))
{
    idle_.setSingleShot(true);
    idle_.setInterval(delay);
    connect(&idle_, &QTimer::timeout, this, &ViewReleasePolicy::releaseUnlessNeeded);
    connect(qGuiApp, &QGuiApplication::lastWindowClosed, &idle_, qOverload<>(&QTimer::start));
}

void ViewReleasePolicy::releaseUnlessNeeded()
{
    if (areViewsNeeded_())
        return;
    release_();
    returnFreeMemoryToTheSystem();
}

} // namespace orvane
