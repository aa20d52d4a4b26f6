#include "Harness.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace zet::test {

Harness::Harness(std::vector<ScriptedDriver::Row> rows)
{
    driver.rows = std::move(rows);
    form = std::make_unique<TForm1>(driver, platform());
}

Platform Harness::platform()
{
    Platform p;
    p.message = [this](MessageKind, const QString &text) { messages << text; };
    p.sleepMs = [this](int ms) { sleeps << ms; };
    p.processEvents = [] {};
    p.now = [this] { return now; };
    return p;
}

void Harness::selectWithoutPictures(int pageIndex)
{
    const QString here = QDir::currentPath();
    QTemporaryDir empty;
    QDir::setCurrent(empty.path());
    form->setPictureDirectories({});
    select(pageIndex);
    QDir::setCurrent(here);
}

void Harness::open(int row)
{
    auto *list = find<QTreeWidget>("ListView1");
    list->setCurrentItem(list->topLevelItem(row));
    form->ListView1DblClick();
}

void Harness::connect(int deviceType, uint16_t serial)
{
    open();
    reply({0, 9, 0, 0, uint8_t(deviceType), uint8_t(serial & 0xFF), uint8_t(serial >> 8)});
}

void Harness::reply(std::initializer_list<uint8_t> bytes)
{
    driver.queueReply(sealed(bytes));
    form->Timer2Timer();
}

Frame Harness::send()
{
    form->Timer1Timer();
    return driver.lastFrame();
}

void Harness::click(const char *button)
{
    auto *b = find<QPushButton>(button);
    if (!b) {
        ADD_FAILURE() << "no button " << button;
        return;
    }
    b->click();
}

QString Harness::text(const char *panel) const
{
    if (auto *l = find<QLabel>(panel))
        return l->text();
    if (auto *e = find<QLineEdit>(panel))
        return e->text();
    ADD_FAILURE() << "no panel " << panel;
    return {};
}

Colour Harness::colour(const char *panel) const { return panelColour(find<QLabel>(panel)); }

Frame Harness::request() const
{
    Frame f{};
    std::copy_n(form->link().request(), kFrameSize, f.begin());
    return f;
}

} // namespace zet::test
