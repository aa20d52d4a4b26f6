#include "pages/PumpPage.h"

#include "connection/Session.h"
#include "platform/Format.h"
#include "pages/StatusPanels.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace zet {

namespace {
const StatusRow kPumpStatus[] = {
    {2, 0x01, "Panel12", {"Насос выключен", Colour::Red}, {"Насос включен"}},
    {2, 0x40, "Panel13", {"Настройки в норме"}, {"Настройки по умолчанию", Colour::Yellow}},
    {2, 0x80, "Panel14", {"Рабочий режим"}, {"Режим настройки", Colour::Yellow}},
};
// Amplitude steps: continuous ones ask for the next step on each answer.
enum PumpAction { StepDownOn = 1, StepUpOn, StepDown, StepUp, StopStepping };

namespace pump = cmd::pump;

const ButtonRow kPumpButtons[] = {
    {.name = "Button18", .caption = "ВКЛ.", .geometry = QRect(8, 212, 96, 30), .write = pump::On},
    {.name = "Button19", .caption = "ВЫКЛ.", .geometry = QRect(112, 212, 96, 30), .write = pump::Off},
    {.name = "Button20",
     .caption = "РЕЖИМ НАСТРОЙКИ",
     .geometry = QRect(8, 248, 200, 30),
     .write = pump::Setup},
    {.name = "Button22",
     .caption = "СОХРАНЕНИЕ НАСТРОЙКИ",
     .geometry = QRect(8, 284, 200, 30),
     .write = pump::Save},
    {.name = "Button13",
     .caption = "<<",
     .group = "GroupBox7",
     .geometry = QRect(10, 24, 40, 30),
     .write = pump::FrequencyDown},
    {.name = "Button17",
     .caption = ">>",
     .group = "GroupBox7",
     .geometry = QRect(130, 24, 40, 30),
     .write = pump::FrequencyUp},
    {.name = "Button9",
     .caption = "<<",
     .group = "GroupBox8",
     .geometry = QRect(10, 24, 40, 30),
     .action = StepDownOn},
    {.name = "Button12",
     .caption = ">>",
     .group = "GroupBox8",
     .geometry = QRect(130, 24, 40, 30),
     .action = StepUpOn},
    {.name = "Button8",
     .caption = "<",
     .group = "GroupBox8",
     .geometry = QRect(10, 60, 40, 30),
     .action = StepDown},
    {.name = "Button11",
     .caption = "Стоп",
     .group = "GroupBox8",
     .geometry = QRect(56, 60, 68, 30),
     .action = StopStepping},
    {.name = "Button10",
     .caption = ">",
     .group = "GroupBox8",
     .geometry = QRect(130, 60, 40, 30),
     .action = StepUp},
    {.name = "Button21",
     .caption = "Обновить",
     .group = "GroupBox10",
     .geometry = QRect(260, 56, 96, 30),
     .write = pump::ReadPosition},
};

} // namespace

PumpPage::PumpPage(PageHost &host, const PageRow &row, QWidget *parent)
    : ModulePage(host, row, parent)
{
    auto *pump = makeGroup(this, "GroupBox5", QStringLiteral("Насос"), QRect(8, 8, 200, 60));
    version_ = makePanel(pump, "Panel11", QRect(10, 22, 180, 28));

    auto *state = makeGroup(this, "GroupBox6", QStringLiteral("Состояние"), QRect(8, 76, 200, 128));
    makePanel(state, "Panel12", QRect(10, 22, 180, 28));
    makePanel(state, "Panel13", QRect(10, 56, 180, 28));
    makePanel(state, "Panel14", QRect(10, 90, 180, 28));


    auto *freq =
        makeGroup(this, "GroupBox7", QStringLiteral("Частота, Гц"), QRect(218, 8, 180, 64));
    frequency_ = makePanel(freq, "Panel16", QRect(56, 24, 68, 30));

    auto *amp =
        makeGroup(this, "GroupBox8", QStringLiteral("Амплитуда, ед. "), QRect(218, 80, 180, 100));
    amplitude_ = makePanel(amp, "Panel17", QRect(56, 24, 68, 30));

    auto *coil =
        makeGroup(this, "GroupBox9", QStringLiteral("Ток катушки, мА"), QRect(218, 188, 180, 64));
    current_ = makePanel(coil, "Panel15", QRect(10, 24, 160, 30));
    QFont big = current_->font();
    big.setPointSize(12);
    big.setBold(true);
    current_->setFont(big);

    auto *pos = makeGroup(this, "GroupBox10", QStringLiteral("Датчик положения, ед."),
                          QRect(408, 8, 366, 140));
    size_t i = 0;
    for (auto [name, y] : {std::pair{"Panel18", 22}, {"Panel19", 56}, {"Panel20", 90}}) {
        QLabel *p = makePanel(pos, name, QRect(10, y, 240, 28));
        p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        position_[i++] = p;
    }
    placeButtons(kPumpButtons);

    chart_ = addChart(2, QRect(8, 322, 766, 192));
    status_ = StatusPanels(this, kPumpStatus);
}

void PumpPage::act(int action)
{
    session().amplitudeStepping = action == StepDownOn || action == StepUpOn;
    switch (action) {
    case StepDownOn:
    case StepDown:
        writeCode(pump::AmplitudeDown);
        break;
    case StepUpOn:
    case StepUp:
        writeCode(pump::AmplitudeUp);
        break;
    default:
        writeCode(cmd::Status);
        break;
    }
}

void PumpPage::decode(const Frame &reply)
{
    if (!commonFrame(reply))
        return;
    Session &s = session();
    const uint8_t code = reply[1];
    // Continuous stepping: each answered step asks for the next one.
    if (s.amplitudeStepping && (code == cmd::pump::AmplitudeDown || code == cmd::pump::AmplitudeUp))
        s.request()[1] = code;
    status_.apply(reply);
    if (code == cmd::pump::On)
        version_->setText(versionText(reply[6]));
    if (code == cmd::pump::ReadPosition) {
        const int max = u16(reply, 3);
        const int min = u16(reply, 5);
        position_[0]->setText(QStringLiteral(" MAX            : ") + QString::number(max));
        position_[1]->setText(QStringLiteral(" MIN            : ") + QString::number(min));
        position_[2]->setText(QStringLiteral(" MAX-MIN     : ") + QString::number(max - min));
        return;
    }
    if (code == cmd::pump::Setup || code == cmd::pump::Save || code == cmd::pump::Off ||
        code == cmd::pump::On)
        return;
    const double current = u16(reply, 3) / 2.0;
    current_->setText(shortest(current));
    frequency_->setText(QString::number(reply[6]));
    amplitude_->setText(QString::number(reply[5]));
    chart_->addSample(current);
}

// ---- pages -----------------------------------------------------------------

namespace {

const PageRow kPumpPages[] = {
    {.index = page::Pump,
     .caption = "Насос",
     .entryQueue = {cmd::pump::On},
     .codeNames = CodeFamily::Pump,
     .create = make<PumpPage>},
};

} // namespace

std::span<const PageRow> pumpPages() { return kPumpPages; }

} // namespace zet
