#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

#include <optional>

class QSettings;
class QWindow;

namespace orvane {

// Keeps a window's frame (its content rectangle on the screen) in the user
// defaults under the window's autosave name, so that the window reappears
// where the user left it, also in a later run. A Wayland client neither
// learns nor chooses where its windows are: there only the size follows the
// user, and the position saved before (on another desktop) stays as it was.
class WindowFrameAutosave final : public QObject {
    Q_OBJECT

public:
    // Puts a frame saved under name in place of the window's current one,
    // then saves every move and resize, a moment after it ends.
    WindowFrameAutosave(QWindow& window, QString name, QSettings& defaults);
    // Saves a change still waiting.
    ~WindowFrameAutosave() override;

    static std::optional<QRect> savedFrame(const QSettings& defaults, const QString& name);

private:
    void save();

    QWindow& window_;
    QString name_;
    QSettings& defaults_;
    // The frame to save: the window may be half destroyed by the time the
    // last change is saved.
    QRect frame_;
    // Where the frame is saved as being, where the window cannot tell.
    std::optional<QPoint> keptPosition_;
    // A drag moves the window many times a second; the file is written once.
    QTimer saveTimer_;
};

} // namespace orvane
