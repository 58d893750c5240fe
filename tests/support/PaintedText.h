#pragma once

#include <QStringList>

class QWidget;

namespace orvane::testsupport {

// The texts a widget paints, as the user reads them: shortcut markers gone,
// one entry per line of text, top to bottom. Taken from what reaches the
// paint engine, not from the widget's properties.
QStringList paintedLines(QWidget& widget);

} // namespace orvane::testsupport
