#pragma once
// Small factories for the fixed-layout controls of the pages: each control gets
// its name as objectName and its place in pixels on the page.

#include <QRect>
#include <QString>

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
// Masked entry of optional digits, `digits` wide ("999", "9999").
QLineEdit *makeMaskEdit(QWidget *parent, const char *name, int digits, QRect geometry);

} // namespace zet
