#include "SimHarness.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace zet::test {

SimHarness::SimHarness(int deviceType) : driver(deviceType, [this] { return clock; })
{
    form = std::make_unique<TForm1>(driver, capture.platform());
}

bool SimHarness::connect()
{
    auto *list = form->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    if (list->topLevelItemCount() < 1)
        return false;
    list->setCurrentItem(list->topLevelItem(0));
    form->ListView1DblClick();
    nextTx_ = clock + form->timer1()->interval();
    nextRx_ = clock + form->timer2()->interval();
    for (int i = 0; i < 30 && form->session().deviceType == 0; ++i)
        run(100);
    return form->session().deviceType != 0;
}

void SimHarness::run(int ms)
{
    const qint64 end = clock + ms;
    while (clock < end) {
        clock += 10;
        if (form->timer1()->isActive() && clock >= nextTx_) {
            form->Timer1Timer();
            nextTx_ = clock + form->timer1()->interval();
        }
        if (form->timer2()->isActive() && clock >= nextRx_) {
            form->Timer2Timer();
            nextRx_ = clock + form->timer2()->interval();
        }
    }
}

void SimHarness::click(const char *button)
{
    auto *b = findControl<QPushButton>(*form, QString::fromLatin1(button));
    if (!b) {
        ADD_FAILURE() << "no button " << button;
        return;
    }
    b->click();
}

QString SimHarness::text(const char *name) const
{
    if (auto *l = findControl<QLabel>(*form, QString::fromLatin1(name)))
        return l->text();
    if (auto *e = findControl<QLineEdit>(*form, QString::fromLatin1(name)))
        return e->text();
    ADD_FAILURE() << "no control " << name;
    return {};
}

} // namespace zet::test
