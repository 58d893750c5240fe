#include "ViewFixture.h"

#include "IconContrast.h"

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

// What an item adds to the opacity of what it holds.
qreal effectiveOpacity(const QQuickItem* item)
{
    qreal opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->opacity();
    return opacity;
}

// What a piece of content is drawn on, read off the first and the last row
// of its pixels, which glyphs and symbols rarely reach: the two differ where
// it sits on a gradient, such as a button's.
QList<QColor> backgroundsOf(const QImage& area)
{
    return {dominantColor(area.copy(0, 0, area.width(), 1)),
            dominantColor(area.copy(0, area.height() - 1, area.width(), 1))};
}

// A text's glyphs are too thin at these sizes for their pixels to show their
// colour whole: its colour is the one it is drawn in, over the background
// its pixels show. A symbol's filled parts show its colour. The lower ratio
// of the two backgrounds counts.
double contrastOnPicture(const QQuickItem* item, const QImage& area)
{
    double lowest = 21;
    for (const QColor& background : backgroundsOf(area)) {
        if (item->inherits("QQuickImageBase")) {
            lowest = std::min(lowest, inkContrast(area, background));
            continue;
        }
        QColor ink = item->property("color").value<QColor>();
        ink.setAlphaF(float(ink.alphaF() * effectiveOpacity(item)));
        lowest = std::min(lowest, contrastRatio(drawnOn(ink, background), background));
    }
    return lowest;
}

// Texts at WCAG's level AA for body text, symbols at its level for shapes.
void collectPoorContrast(QQuickItem* item, QRectF visibleArea, const QImage& picture, qreal pixelRatio,
                         QStringList& poor)
{
    if (!item->isVisible() || item->opacity() <= 0 || !item->isEnabled())
        return;
    const QRectF rect = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    if (item->clip())
        visibleArea &= rect;
    const QRectF shown = rect & visibleArea;
    if (isContent(item) && !shown.isEmpty()) {
        const QRect pixels =
            QRectF(shown.topLeft() * pixelRatio, shown.size() * pixelRatio).toAlignedRect() & picture.rect();
        const bool isSymbol = item->inherits("QQuickImageBase");
        const double ratio = contrastOnPicture(item, picture.copy(pixels));
        if (ratio < (isSymbol ? 3.0 : 4.5)) {
            const QString what = isSymbol ? item->property("source").toString() : item->property("text").toString();
            poor.append(u"%1 %2:1"_s.arg(what).arg(ratio, 0, 'f', 2));
        }
    }
    for (QQuickItem* child : item->childItems())
        collectPoorContrast(child, visibleArea, picture, pixelRatio, poor);
}

// While a modal sheet is open, what it covers is dimmed and out of reach:
// only the sheet counts.
QList<QQuickItem*> readableLayers(QQuickWindow& window)
{
    QList<QQuickItem*> sheets;
    for (QQuickItem* layer : window.contentItem()->childItems()) {
        if (!layer->inherits("QQuickOverlay"))
            continue;
        for (QQuickItem* popup : layer->childItems()) {
            if (popup->inherits("QQuickPopupItem") && popup->isVisible())
                sheets.append(popup);
        }
    }
    return sheets.isEmpty() ? QList<QQuickItem*>{window.contentItem()} : sheets;
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

QStringList ViewTest::poorlyContrastedContent(QQuickWindow& window, const QImage& picture)
{
    QStringList poor;
    for (QQuickItem* layer : readableLayers(window))
        collectPoorContrast(layer, QRectF(0, 0, window.width(), window.height()), picture,
                            window.effectiveDevicePixelRatio(), poor);
    return poor;
}

void ViewTest::settle(QQuickWindow& window)
{
    QCoreApplication::processEvents();
    EXPECT_TRUE(QQuickTest::qWaitForPolish(&window));
}

} // namespace orvane::testsupport
