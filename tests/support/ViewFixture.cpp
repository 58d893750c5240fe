#include "ViewFixture.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <QtQuickTest/quicktest.h>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

// An edge that may cut content: the window's, or that of an item that clips.
struct Clipper {
    QRectF rect;
    // What it can still scroll to, with its scroll bar shown.
    bool revealsAbove = false;
    bool revealsBelow = false;
};

bool isShownScrollBar(const QQuickItem* item)
{
    if (!item->inherits("QQuickScrollBar") || !item->isVisible())
        return false;
    const auto* handle = item->property("contentItem").value<QQuickItem*>();
    return handle && handle->opacity() > 0;
}

Clipper clipperOf(QQuickItem* item)
{
    Clipper clipper{item->mapRectToScene(QRectF(0, 0, item->width(), item->height()))};
    if (!item->inherits("QQuickFlickable"))
        return clipper;
    // A ScrollView's scroll bars belong to the view around its flickable.
    QList<QQuickItem*> scrollBars = item->childItems();
    if (item->parentItem() && item->parentItem()->inherits("QQuickScrollView"))
        scrollBars += item->parentItem()->childItems();
    if (std::none_of(scrollBars.begin(), scrollBars.end(), isShownScrollBar))
        return clipper;
    const qreal contentY = item->property("contentY").toReal();
    const qreal originY = item->property("originY").toReal();
    const qreal contentHeight = item->property("contentHeight").toReal();
    clipper.revealsAbove = contentY > originY + 0.5;
    clipper.revealsBelow = contentY + item->height() < originY + contentHeight - 0.5;
    return clipper;
}

bool isContent(const QQuickItem* item)
{
    if (item->inherits("QQuickImageBase"))
        return true;
    const bool showsText =
        item->inherits("QQuickText") || item->inherits("QQuickTextEdit") || item->inherits("QQuickTextInput");
    return showsText && !item->property("text").toString().isEmpty();
}

// Whether the edges cut through rect in a way nobody can scroll away. Where
// an area that scrolls ends at the window's edge, the area decides.
bool isCutOff(const QList<Clipper>& clippers, const QRectF& rect)
{
    constexpr qreal tolerance = 0.5;
    const auto tightest = [&clippers](auto edge, auto isTighter) {
        qreal found = edge(clippers.first());
        for (const Clipper& clipper : clippers)
            found = isTighter(edge(clipper), found) ? edge(clipper) : found;
        return found;
    };
    const auto revealedBy = [&clippers](auto edge, qreal at, auto reveals) {
        return std::any_of(clippers.begin(), clippers.end(), [&](const Clipper& clipper) {
            return std::abs(edge(clipper) - at) <= tolerance && reveals(clipper);
        });
    };
    const auto left = [](const Clipper& c) { return c.rect.left(); };
    const auto right = [](const Clipper& c) { return c.rect.right(); };
    const auto top = [](const Clipper& c) { return c.rect.top(); };
    const auto bottom = [](const Clipper& c) { return c.rect.bottom(); };
    const qreal leftEdge = tightest(left, std::greater<>());
    const qreal rightEdge = tightest(right, std::less<>());
    const qreal topEdge = tightest(top, std::greater<>());
    const qreal bottomEdge = tightest(bottom, std::less<>());
    const bool cutAbove = rect.top() < topEdge - tolerance
        && !revealedBy(top, topEdge, [](const Clipper& c) { return c.revealsAbove; });
    const bool cutBelow = rect.bottom() > bottomEdge + tolerance
        && !revealedBy(bottom, bottomEdge, [](const Clipper& c) { return c.revealsBelow; });
    return rect.left() < leftEdge - tolerance || rect.right() > rightEdge + tolerance || cutAbove || cutBelow;
}

void collectCutOffContent(QQuickItem* item, QList<Clipper> clippers, QStringList& cutOff)
{
    if (!item->isVisible() || item->opacity() <= 0)
        return;
    // A popup draws no content outside its frame, whether it clips or not.
    if (item->clip() || item->inherits("QQuickPopupItem"))
        clippers.append(clipperOf(item));
    const QRectF rect = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    // Content wholly outside one of the edges is not shown at all: scrolled
    // away, or hidden.
    const bool isShown = std::all_of(clippers.begin(), clippers.end(),
                                     [&rect](const Clipper& clipper) { return clipper.rect.intersects(rect); });
    if (isContent(item) && !rect.isEmpty() && isShown && isCutOff(clippers, rect)) {
        const QString text = item->property("text").toString();
        cutOff.append(text.isEmpty() ? item->objectName() + u' ' + QString::fromLatin1(item->metaObject()->className())
                                     : text);
    }
    for (QQuickItem* child : item->childItems())
        collectCutOffContent(child, clippers, cutOff);
}

QQuickItem* findItem(QQuickItem* root, const QString& objectName)
{
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findItem(child, objectName))
            return found;
    }
    return nullptr;
}

} // namespace

ViewTest::~ViewTest()
{
    // Windows before the engine that made their views.
    mainWindow.reset();
    preferencesWindow.reset();
    engine.reset();
}

void ViewTest::makeViews()
{
    if (!model)
        makeModel();
    engine = std::make_unique<ViewEngine>(*model, nullptr);
    const auto viewEngine = [this]() -> ViewEngine& { return *engine; };
    mainWindow = std::make_unique<WindowPresenter>(WindowSettings::mainWindow(), viewEngine, defaults);
    preferencesWindow = std::make_unique<WindowPresenter>(WindowSettings::preferencesWindow(), viewEngine, defaults);
    model->setShowPreferencesWindowHandler([this] {
        ++preferencesWindowRequests;
        preferencesWindow->bringForward();
    });
}

QQuickWindow& ViewTest::showMainWindow()
{
    return show(*mainWindow);
}

QQuickWindow& ViewTest::showPreferencesWindow()
{
    return show(*preferencesWindow);
}

QQuickWindow& ViewTest::show(WindowPresenter& presenter)
{
    presenter.bringForward();
    QQuickWindow& window = presenter.makeWindowIfNeeded();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle(window);
    return window;
}

QQuickItem* ViewTest::item(QQuickWindow& window, const QString& objectName)
{
    QQuickItem* found = findItem(window.contentItem(), objectName);
    if (!found)
        ADD_FAILURE() << "no item " << qPrintable(objectName);
    return found;
}

void ViewTest::click(QQuickWindow& window, QQuickItem* target)
{
    ASSERT_NE(target, nullptr);
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    settle(window);
}

void ViewTest::pressKey(QQuickWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&window, key, modifiers);
    settle(window);
}

QStringList ViewTest::cutOffContent(QQuickWindow& window)
{
    QStringList cutOff;
    collectCutOffContent(window.contentItem(), {Clipper{QRectF(0, 0, window.width(), window.height())}}, cutOff);
    return cutOff;
}

void ViewTest::settle(QQuickWindow& window)
{
    QCoreApplication::processEvents();
    EXPECT_TRUE(QQuickTest::qWaitForPolish(&window));
}

} // namespace orvane::testsupport
