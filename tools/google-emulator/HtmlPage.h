#pragma once

#include <QString>

// Minimal HTML for the pages a browser shows.
namespace orvane::emulator::html {

QString escape(const QString& text);
// A complete page; bodyHtml is already HTML.
QString page(const QString& title, const QString& bodyHtml);

} // namespace orvane::emulator::html
