#include "pages/BasePage.h"

#include "connection/Session.h"
#include "pages/StatusPanels.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Platform.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cstdlib>

namespace zet {

namespace {
const StatusRow kBaseStatus[] = {
    {2, 0x10, "Panel3", {"Контакт АКБ в норме"}, {"Обрыв АКБ", Colour::Red}},
    {2, 0x08, "Panel4", {"Рабочий режим"}, {"Режим заряда", Colour::Yellow}},
    {2, 0x04, "Panel5", {"Питание в норме"}, {"АКБ разряжена", Colour::Yellow}},
    {2, 0x01, "Panel7", {"Режим теста не активен"}, {"Режим теста", Colour::Yellow}},
    {3,
     0x02,
     "Panel8",
     {"Связь с датчиками в норме"},
     {"Связь с датчиками отсутствует", Colour::Red}},
    {3, 0x01, "Panel9", {"Связь с насосом в норме"}, {"Связь с насосом отсутствует", Colour::Red}},
};
enum BaseAction { SyncClock = 1, ShowBench };

const ButtonRow kBaseButtons[] = {
    {.name = "Button2",
     .caption = "ВЫКЛ.",
     .geometry = QRect(268, 84, 100, 32),
     .queue = {cmd::base::SwitchOff}},
    {.name = "Button3",
     .caption = "Режим теста",
     .geometry = QRect(268, 130, 130, 30),
     .write = cmd::base::TestMode},
    {.name = "Button4",
     .caption = "Рабочий режим",
     .geometry = QRect(404, 130, 130, 30),
     .write = cmd::base::WorkMode},
    // The test outputs: the sounder, the lamps on and off.
    {.name = "Button5",
     .caption = "ЗВУК",
     .geometry = QRect(268, 166, 86, 30),
     .write = cmd::base::TestMode,
     .bytes = {{{3, 0}, {4, 0x10}}}},
    {.name = "Button6",
     .caption = "LED ON",
     .geometry = QRect(358, 166, 86, 30),
     .write = cmd::base::TestMode,
     .bytes = {{{3, 0xFF}}}},
    {.name = "Button7",
     .caption = "LED OFF",
     .geometry = QRect(448, 166, 86, 30),
     .write = cmd::base::TestMode,
     .bytes = {{{3, 0}}}},
    {.name = "Button127",
     .caption = "Синхронизация даты и времени",
     .geometry = QRect(268, 208, 266, 32),
     .action = SyncClock},
    // The bench window's small captionless button, in the lower left corner.
    {.name = "Button72", .caption = "", .geometry = QRect(8, 518, 17, 16), .action = ShowBench},
};

} // namespace

BasePage::BasePage(PageHost &host, const PageRow &row, QWidget *parent)
    : ModulePage(host, row, parent)
{
    auto *state = makeGroup(this, "GroupBox1", QStringLiteral("Состояние"), QRect(8, 8, 250, 160));
    makePanel(state, "Panel3", QRect(10, 22, 230, 28));
    makePanel(state, "Panel4", QRect(10, 56, 230, 28));
    makePanel(state, "Panel5", QRect(10, 90, 230, 28));
    makePanel(state, "Panel7", QRect(10, 124, 230, 28));

    auto *link = makeGroup(this, "GroupBox2", QStringLiteral("Связь"), QRect(8, 176, 250, 92));
    makePanel(link, "Panel9", QRect(10, 22, 230, 28));
    makePanel(link, "Panel8", QRect(10, 56, 230, 28));

    auto *current = makeGroup(this, "GroupBox3", QStringLiteral("Потребляемый ток, мА"),
                              QRect(268, 8, 200, 64));
    current_ = makePanel(current, "Panel10", QRect(10, 24, 180, 30));
    QFont big = current_->font();
    big.setPointSize(12);
    big.setBold(true);
    current_->setFont(big);

    auto *device = makeGroup(this, "GroupBox4", QStringLiteral("Прибор"), QRect(478, 8, 296, 64));
    instrument_ = makePanel(device, "Panel2", QRect(10, 24, 276, 30));
    instrument_->setFont(big);

    placeButtons(kBaseButtons);

    chart_ = addChart(1, QRect(8, 278, 766, 236));
    status_ = StatusPanels(this, kBaseStatus);
}

void BasePage::decode(const Frame &reply)
{
    Session &s = session();
    // Nothing addressed to another block is passed on to the base unit.
    claimRequest();
    // The switch-off code has gone out and the instrument answered: drop the link.
    if (s.request()[1] == cmd::base::SwitchOff)
        host().switchOffCompleted();
    // Any answered command falls back to the status request, whichever block sent it.
    if (reply[1] != cmd::Status)
        s.statusRequest(kBaseAddress);
    if (reply[0] != 0)
        return;
    status_.apply(reply);
    if (reply[1] == cmd::base::Clock)
        return;
    const int current = u16(reply, 5) / 100;
    current_->setText(QString::number(current) + "  мА");
    chart_->addSample(current);
}

void BasePage::showInstrument(const QString &text)
{
    instrument_->setText(text);
}


uint32_t BasePage::clockSeconds(const QDateTime &now)
{
    // The instrument keeps wall-clock time: count calendar seconds between the two
    // readings, so a daylight-saving shift since January does not put it an hour off.
    const QDateTime wall(now.date(), now.time(), Qt::UTC);
    const QDateTime epoch(QDate(2010, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 secs = std::llabs(epoch.secsTo(wall));
    return uint32_t(secs & 0xFFFFFFFF);
}

void BasePage::act(int action)
{
    if (action == ShowBench) {
        host().showMultiplexer();
        return;
    }
    const uint32_t secs = clockSeconds(platform().now());
    writeCode(cmd::base::Clock);
    uint8_t *r = session().request();
    r[2] = 0;
    r[3] = uint8_t(secs >> 24);
    r[4] = uint8_t(secs >> 16);
    r[5] = uint8_t(secs >> 8);
    r[6] = uint8_t(secs);
    platform().sleepMs(600);
}

// ---- pages -----------------------------------------------------------------

namespace {

const PageRow kBasePages[] = {
    {.index = page::Base,
     .caption = "База",
     // Nothing left over from the last page reaches the base unit.
     .freshStart = true,
     .codeNames = CodeFamily::Base,
     .create = make<BasePage>},
};

} // namespace

std::span<const PageRow> basePages() { return kBasePages; }

} // namespace zet
