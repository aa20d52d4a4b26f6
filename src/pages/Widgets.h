#pragma once
// Small factories for the fixed-layout controls of the pages: each control gets
// its name as objectName and its place in pixels on the page.

#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

class QColor;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zet {

// A control that a page's table names but the page does not have.
class MissingControl : public std::runtime_error {
public:
    explicit MissingControl(const char *name)
        : std::runtime_error(std::string("no control named ") + (name ? name : "(none)"))
    {
    }
};

// The control `name` under `page`, found while the page is built; a name the page
// lacks stops its construction.
template <typename T>
T *need(const QWidget *page, const char *name)
{
    T *control = name ? page->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!control)
        throw MissingControl(name);
    return control;
}

// Where a value is shown: a display panel or a read-only edit.
class TextControl {
public:
    TextControl() = default;
    TextControl(QLabel *label) : label_(label) {}
    TextControl(QLineEdit *edit) : edit_(edit) {}
    void setText(const QString &text) const;

private:
    QLabel *label_ = nullptr;
    QLineEdit *edit_ = nullptr;
};

QLabel *makePanel(QWidget *parent, const char *name, QRect geometry, const QString &text = {});
QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry);
QGroupBox *makeGroup(QWidget *parent, const char *name, const QString &title, QRect geometry);
QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry);
// The caption of an entry field, named after it ("Edit27" -> "Edit27Label").
QLabel *makeFieldLabel(QWidget *parent, const char *field, const QString &text, QRect geometry);
QLineEdit *makeReadOnlyEdit(QWidget *parent, const char *name, QRect geometry);
// Entry of up to `digits` optional digits ("999", "9999"); empty positions show as
// underscores, and text() is exactly what was typed, blanks between digits included.
QLineEdit *makeMaskEdit(QWidget *parent, const char *name, int digits, QRect geometry);
// The latest charted value: a bold panel in the chart's top right corner, below
// its title. The chart must have its final size.
QLabel *makeChartPanel(QWidget *chart, const char *name, int width);
// Cream background of the value panels that sit over charts and pictures.
inline const QColor kPanelCream(0xFF, 0xFB, 0xF0);
// Fixed background of a display panel (white, cream).
void setPanelFill(QLabel *panel, const QColor &colour);

// A group of exclusive choices under a caption, one radio button per item in item
// order. Index -1 means no choice. Setting the index from code sends nothing.
class RadioGroup : public QGroupBox {
public:
    RadioGroup(QWidget *parent, const char *name, const QString &caption, const QStringList &items,
               QRect geometry, int columns = 1);

    int itemIndex() const;
    void setItemIndex(int index); // -1 (or out of range) clears every button
    int count() const { return int(buttons_.size()); }
    QRadioButton *button(int index) const { return buttons_.at(size_t(index)); }

private:
    std::vector<QRadioButton *> buttons_;
};

// A read-only list of flags: checkable items in a disabled list.
class CheckList : public QListWidget {
public:
    CheckList(QWidget *parent, const char *name, const QStringList &items, QRect geometry);

    bool checked(int index) const;
    void setChecked(int index, bool on);
};

// A picture scaled to fit its area, keeping its proportions, centred.
class PictureBox : public QLabel {
public:
    PictureBox(QWidget *parent, const char *name, QRect geometry);

    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();
    QPixmap picture_;
};

} // namespace zet
