#pragma once

#include "AppModelFixture.h"
#include "windows/ViewEngine.h"
#include "windows/WindowPresenter.h"

#include <QQuickItem>
#include <QQuickWindow>

#include <memory>

namespace orvane::testsupport {

// The windows over the model of AppModelTest: the real views from the
// application's QML module, shown on the offscreen platform, driven with
// mouse and keyboard events.
class ViewTest : public AppModelTest {
protected:
    ~ViewTest() override;

    // The model (made if the test has not), the views' engine over it, and
    // both windows' presenters, which the model's handlers bring forward.
    void makeViews();
    // Shown, exposed and laid out.
    QQuickWindow& showMainWindow();
    QQuickWindow& showPreferencesWindow();

    // The item called objectName in a window (popups included); a test
    // failure when there is none.
    static QQuickItem* item(QQuickWindow& window, const QString& objectName);
    // A click in the middle of the item, as the user would make it.
    static void click(QQuickWindow& window, QQuickItem* target);
    static void pressKey(QQuickWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Waits for the window's layouts after a change of the model or the view.
    static void settle(QQuickWindow& window);
    static QString text(QQuickItem* item) { return item->property("text").toString(); }
    // Visible texts and pictures that the window's edge, or the edge of an
    // area they sit in, cuts through: part shows and part does not. An area
    // that scrolls may cut what it can still scroll to, while it shows its
    // scroll bar. One line per piece: what it shows, or its name.
    static QStringList cutOffContent(QQuickWindow& window);
    // Visible texts that stand out from what they are drawn on by less than
    // 4.5:1, and symbols by less than 3:1 (WCAG's levels for text and for
    // shapes that carry meaning), measured on the window's picture. A
    // disabled control's are exempt, as WCAG has them. One line per piece:
    // what it shows, or its source, and the ratio.
    static QStringList poorlyContrastedContent(QQuickWindow& window, const QImage& picture);

    std::unique_ptr<ViewEngine> engine;
    std::unique_ptr<WindowPresenter> mainWindow;
    std::unique_ptr<WindowPresenter> preferencesWindow;
    int preferencesWindowRequests = 0;

private:
    QQuickWindow& show(WindowPresenter& presenter);
};

} // namespace orvane::testsupport
