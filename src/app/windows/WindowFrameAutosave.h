#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;
class QWindow;

namespace orvane {

// Keeps a window's frame (its content rectangle on the screen) in the user
// defaults under the window's autosave name, so that the window reappears
// where the user left it, also in a later run.
class WindowFrameAutosave final : public QObject {
    Q_OBJECT

public:
    // Puts a frame saved under name in place of the window's current one,
    // then saves every move and resize.
    WindowFrameAutosave(QWindow& window, QString name, QSettings& defaults);

    static std::optional<QRect> savedFrame(const QSettings& defaults, const QString& name);

private:
    void save();

    QWindow& window_;
    QString name_;
    QSettings& defaults_;
};

} // namespace orvane
