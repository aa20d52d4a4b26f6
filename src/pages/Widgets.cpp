#include "pages/Widgets.h"

#include "pages/StatusPanels.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zet {

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

QLineEdit *makeReadOnlyEdit(QWidget *parent, const char *name, QRect geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    e->setReadOnly(true);
    return e;
}

QLineEdit *makeMaskEdit(QWidget *parent, const char *name, int digits, QRect geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    e->setInputMask(QString(digits, QLatin1Char('9')) + QStringLiteral(";_"));
    return e;
}

} // namespace zet
