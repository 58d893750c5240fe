#include "ViewFixture.h"

#include <QTest>
#include <QtQuickTest/quicktest.h>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

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

void ViewTest::settle(QQuickWindow& window)
{
    QCoreApplication::processEvents();
    EXPECT_TRUE(QQuickTest::qWaitForPolish(&window));
}

} // namespace orvane::testsupport
