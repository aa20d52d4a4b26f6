#pragma once
// Small factories for the fixed-layout controls of the pages: each control gets
// its name as objectName and its place in pixels on the page.

#include <QRect>
#include <QString>

class QColor;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zet {

QLabel *makePanel(QWidget *parent, const char *name, QRect geometry, const QString &text = {});
QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry);
QGroupBox *makeGroup(QWidget *parent, const char *name, const QString &title, QRect geometry);
QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry);
QLineEdit *makeReadOnlyEdit(QWidget *parent, const char *name, QRect geometry);
// Entry of up to `digits` optional digits ("999", "9999"); empty positions show as
// underscores, and text() is exactly what was typed, blanks between digits included.
QLineEdit *makeMaskEdit(QWidget *parent, const char *name, int digits, QRect geometry);
// The latest charted value: a bold panel in the chart's top right corner, below
// its title. The chart must have its final size.
QLabel *makeChartPanel(QWidget *chart, const char *name, int width);
// Fixed background of a display panel (white, cream).
void setPanelFill(QLabel *panel, const QColor &colour);

} // namespace zet
