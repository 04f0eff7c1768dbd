// Text of the program as the Qt controls, tooltips and boxes show it.
#pragma once

#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <string>
#include <string_view>

#include "window/presentation.h"

namespace Ui {

// Native text (names, paths) as the toolkit's text, to be shown. Bytes that
// are not valid UTF-8 show as replacement characters, and characters that
// would move or break the text (controls such as a newline, carriage return
// or tab, DEL, line and paragraph separators, direction overrides) as
// escapes such as \n, \r, \t, \x7F or \u2028, so a name always shows
// on one line and as it is stored. The native bytes are kept alongside it.
QString DisplayText(const std::string& native);

// Native bytes as text, undecodable bytes as replacement characters.
QString DecodedText(std::string_view native);

// `text` with every character that would move or break it escaped.
QString VisibleText(const QString& text);

// `text` broken into lines no wider than `width` pixels in `metrics`: after
// the line's last space when it has one, anywhere in a word too long for a
// line (a path, say). When that makes more than `most` lines, the middle
// ones give way to a line holding only an ellipsis. `readable`, when given,
// tells whether the lines still read as the text: broken at spaces only,
// none left out.
QStringList FittedLines(const QString& text, const QFontMetrics& metrics, int width, qsizetype most,
                        bool* readable = nullptr);

// The width in pixels that lines of text in a box or tooltip keep to: less
// than half the screen, so a message box does not wrap them again.
int FittedWidth(const QWidget* near);

// A long line of text as a tooltip: broken into lines that fit beside the
// pointer, the middle ones left out when there are too many. Marked up with
// every character escaped, so a name is never taken for markup.
QString ToolTipText(const QString& line, const QWidget* near);

// Where the last name of a native path starts in its shown text (UTF-8).
std::size_t LastNameStart(const std::string& native);

// `line` shortened in the middle to `width` pixels in `metrics`, the end
// from `keepFrom` (UTF-8 bytes) on given up last.
Window::MiddleElision MiddleElided(const QString& line, std::size_t keepFrom,
                                   const QFontMetrics& metrics, int width);
QString ShortenedInTheMiddle(const QString& line, std::size_t keepFrom, const QFontMetrics& metrics,
                             int width);

}  // namespace Ui
