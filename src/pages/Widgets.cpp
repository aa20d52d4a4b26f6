#include "pages/Widgets.h"

#include "pages/StatusPanels.h"

#include <algorithm>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace zet {

void TextControl::setText(const QString &text) const
{
    if (label_)
        label_->setText(text);
    else if (edit_)
        edit_->setText(text);
}

QLabel *makePanel(QWidget *parent, const char *name, QRect geometry, const QString &text)
{
    auto *p = new QLabel(text, parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setGeometry(geometry);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAlignment(Qt::AlignCenter);
    p->setAutoFillBackground(true);
    setPanel(p, text, Colour::Normal);
    return p;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

QGroupBox *makeGroup(QWidget *parent, const char *name, const QString &title, QRect geometry)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(geometry);
    return g;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QLabel *makeFieldLabel(QWidget *parent, const char *field, const QString &text, QRect geometry)
{
    return makeLabel(parent, QByteArray(field).append("Label").constData(), text, geometry);
}

QLineEdit *makeReadOnlyEdit(QWidget *parent, const char *name, QRect geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    e->setReadOnly(true);
    return e;
}

QLabel *makeChartPanel(QWidget *chart, const char *name, int width)
{
    QLabel *panel = makePanel(chart, name, QRect(chart->width() - width - 10, 20, width, 22));
    QFont bold = panel->font();
    bold.setBold(true);
    panel->setFont(bold);
    return panel;
}

void setPanelFill(QLabel *panel, const QColor &colour)
{
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, colour);
    panel->setPalette(pal);
}

namespace {

// A fixed number of optional digit positions. Unlike a Qt input mask, which
// silently drops a gap ("1 2" reads back as "12"), the text is exactly what was
// typed, so a field with a gap fails its conversion instead of sending another
// number. Positions not yet filled are drawn as underscores. A value written by
// the program (a reply) is shown whole even when it is longer or negative.
class MaskEdit : public QLineEdit {
public:
    MaskEdit(int digits, QWidget *parent) : QLineEdit(parent), digits_(digits)
    {
        const QRegularExpression positions(QStringLiteral("[0-9 ]{0,%1}").arg(digits));
        setValidator(new QRegularExpressionValidator(positions, this));
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLineEdit::paintEvent(event);
        const int open = digits_ - int(text().size());
        if (open <= 0)
            return;
        QStyleOptionFrame opt;
        initStyleOption(&opt);
        QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this);
        r = r.marginsRemoved(textMargins());
        // QLineEdit keeps a 2 px margin before its text.
        const int x = r.x() + 2 + fontMetrics().horizontalAdvance(text());
        QPainter p(this);
        p.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
        p.drawText(QRect(x, r.y(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString(open, QLatin1Char('_')));
    }

private:
    int digits_;
};

} // namespace

QLineEdit *makeMaskEdit(QWidget *parent, const char *name, int digits, QRect geometry)
{
    auto *e = new MaskEdit(digits, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    return e;
}

RadioGroup::RadioGroup(QWidget *parent, const char *name, const QString &caption,
                       const QStringList &items, QRect geometry, int columns)
    : QGroupBox(caption, parent)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    columns = std::max(1, columns);
    const int rows = (int(items.size()) + columns - 1) / columns;
    const int top = 18;
    const int rowHeight = rows > 0 ? std::max(16, (geometry.height() - top - 4) / rows) : 16;
    const int columnWidth = (geometry.width() - 12) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("%1_%2").arg(objectName()).arg(i));
        b->setGeometry(8 + (i / rows) * columnWidth, top + (i % rows) * rowHeight, columnWidth - 4,
                       rowHeight);
        buttons_.push_back(b);
    }
}

int RadioGroup::itemIndex() const
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked())
            return int(i);
    return -1;
}

void RadioGroup::setItemIndex(int index)
{
    // Exclusivity would keep one button on; clearing needs it off for a moment.
    for (QRadioButton *b : buttons_)
        b->setAutoExclusive(false);
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setChecked(int(i) == index);
    for (QRadioButton *b : buttons_)
        b->setAutoExclusive(true);
}

CheckList::CheckList(QWidget *parent, const char *name, const QStringList &items, QRect geometry)
    : QListWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    for (const QString &text : items) {
        auto *item = new QListWidgetItem(text, this);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    setEnabled(false);
}

bool CheckList::checked(int index) const
{
    const QListWidgetItem *it = item(index);
    return it && it->checkState() == Qt::Checked;
}

void CheckList::setChecked(int index, bool on)
{
    if (QListWidgetItem *it = item(index))
        it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

PictureBox::PictureBox(QWidget *parent, const char *name, QRect geometry) : QLabel(parent)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    setAlignment(Qt::AlignCenter);
}

void PictureBox::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    fit();
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    fit();
}

void PictureBox::fit()
{
    if (picture_.isNull()) {
        clear();
        return;
    }
    // Stretched to the area with its proportions kept; drawn 1:1 when it is the area's size.
    if (picture_.size() == size())
        setPixmap(picture_);
    else
        setPixmap(picture_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace zet
