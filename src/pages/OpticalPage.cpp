#include "pages/OpticalPage.h"

#include "connection/Session.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Format.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <bit>
#include <optional>

namespace zet {

namespace {

constexpr int kKelvinOffset = 273;

namespace op = cmd::optical;

// Evaluated in this order: on/off (which empties the threshold panels), the
// thresholds while on, mode, settings, then the link to the detector, whose
// error stops the decoding of the reply's values.
std::array<StatusRow, 7> statusRowsFor(const std::array<const char *, 7> &p)
{
    return {rows::sensorOn(p[0], {p[4], p[5], p[6]}, Blank::TextAndColour),
            rows::threshold(p[4], 3, 0x40),
            rows::threshold(p[5], 2, 0x20),
            rows::threshold(p[6], 1, 0x10),
            rows::setupMode(p[1]),
            rows::settings(p[2]),
            rows::opticalLink(p[3])};
}

const QStringList &flagItems()
{
    static const QStringList items = {
        QStringLiteral("   Режим самодиагностики (3.5мин.)"),
        QStringLiteral("   Резкое изменение сигналов"),
        QStringLiteral("   Проверка уровня сигналов"),
        QStringLiteral("   Изменение Т>0.15 град/мин."),
        QStringLiteral("   Изменение Т>0.6   град/мин."),
        QStringLiteral("   Изменение Т>2.0   град/мин."),
        QStringLiteral("   Превышение границ температуры"),
        QStringLiteral("   Сбой ПО"),
    };
    return items;
}

// Two flags, then one item per algorithm state: item 2 + n stands for state n.
constexpr int kStateItems = 14;
const QStringList &stateItems()
{
    static const QStringList items = [] {
        QStringList l = {QStringLiteral("Словил автообнуление"), QStringLiteral("Шестой бит")};
        for (const char *s : {"0", "20", "Undef", "11", "50", "1XX", "10", "21", "90", "30", "40",
                              "24", "31", "22"})
            l << QString::fromLatin1(s);
        for (QString &s : l)
            s.prepend(QStringLiteral("   "));
        return l;
    }();
    return items;
}

} // namespace

OpticalPage::OpticalPage(PageHost &host, const PageRow &row, const OpticalInfo &info,
                         QWidget *parent)
    : SensorPage(host, row, info.version, parent), info_(info),
      rows_(statusRowsFor(info.statusPanels))
{
    build();
    checkButtons(info_.buttons);
    status_ = StatusPanels(this, rows_);
}

// ---- layout ----------------------------------------------------------------

namespace {

constexpr int kRight = 414;      // left edge of the chart column
constexpr int kRightWidth = 364; // up to the page's right margin
constexpr int kBottom = 536;     // lowest edge of anything on the page
constexpr int kGap = 6;

// A disabled list in the face colour, tall enough to show every item.
CheckList *makeFlagList(QWidget *parent, const char *name, const QStringList &items, int width)
{
    auto *list = new CheckList(parent, name, items, QRect(0, 0, width, 100));
    QPalette pal = list->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, pal.color(group, QPalette::Button));
    // Read at a glance although the engineer cannot change them.
    pal.setColor(QPalette::Disabled, QPalette::Text, pal.color(QPalette::Active, QPalette::Text));
    list->setPalette(pal);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

// Height a list needs to show every item, laid out in its flow at its width.
int neededHeight(CheckList *list)
{
    list->resize(list->width(), 1000);
    list->doItemsLayout();
    int bottom = 0;
    for (int i = 0; i < list->count(); ++i)
        bottom = std::max(bottom, list->visualItemRect(list->item(i)).bottom());
    return bottom + 1 + list->spacing() + 2 * list->frameWidth();
}

} // namespace

// The row of a role that has one place (every role but ApplyField).
void OpticalPage::place(OpticalRole role, QWidget *parent, QRect geometry)
{
    for (const ButtonRow &b : info_.buttons)
        if (b.slot == int(role)) {
            placeRow(b, parent, geometry);
            return;
        }
}

// Status top left; on/off, set-up and the concentration beside it; settings
// bottom left; version top right, the chart below it with the diagnostics and
// the temperature underneath.
void OpticalPage::build()
{
    addStatusColumn(info_.statusGroup, QStringLiteral("Состояние"), info_.statusPanels);
    place(OpticalRole::On, this, kOnButton);
    place(OpticalRole::Off, this, kOffButton);
    place(OpticalRole::Setup, this, kSetupButton);
    int concTop = 80;
    if (info_.measuring) {
        measuring_ = makePanel(this, info_.measuring, QRect(230, 80, 176, 26));
        concTop = 112;
    }
    // The value sits in the middle of the group.
    concentration_ = addConcentration(info_.concentrationGroup, info_.concentration, concTop,
                                      10 + (238 - concTop - 54) / 2);

    buildSettings();
    addVersionPanel();

    const int below = buildRightColumn();
    chart_ = addChart(info_.chart, QRect(kRight, 36, kRightWidth, below - kGap - 36));
    signal_ = makeChartPanel(chart_, info_.signal, 110);
}

// The voltages with their buttons, the parameter fields in their inner panel
// with each Apply button beside the fields it sends, then save, read, defaults.
void OpticalPage::buildSettings()
{
    auto *group = makeGroup(this, info_.settingsGroup, QStringLiteral("Настройки"),
                            QRect(8, 244, 398, kBottom - 244));
    int y = 20;
    // Zero adjustment beside the zero voltage, the read-back beside the gas voltage.
    constexpr OpticalRole kBeside[] = {OpticalRole::ApplyZero, OpticalRole::ReadVoltages};
    for (size_t i = 0; i < info_.readouts.size(); ++i) {
        const Readout &r = info_.readouts[i];
        if (!r.name)
            continue;
        makeFieldLabel(group, r.name, QString::fromUtf8(r.label), QRect(10, y + 2, 60, 22));
        // Wide enough for a single-precision number with 15 digits and its sign.
        readouts_[i] = makeReadOnlyEdit(group, r.name, QRect(72, y, 144, 24));
        if (i < std::size(kBeside))
            place(kBeside[i], group, QRect(222, y - 1, 168, 26));
        y += 27;
    }

    constexpr int kRow = 27;
    int fieldCount = 0;
    for (const ParameterField &f : info_.fields)
        fieldCount += f.name ? 1 : 0;
    auto *inner =
        makePanel(group, info_.settingsPanel, QRect(8, y + 2, 382, fieldCount * kRow + 8));
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto rowOf = [this](const char *field) {
        for (size_t i = 0; i < info_.fields.size(); ++i)
            if (info_.fields[i].name && qstrcmp(info_.fields[i].name, field) == 0)
                return int(i);
        return -1;
    };
    for (int i = 0; i < fieldCount; ++i) {
        const ParameterField &f = info_.fields[size_t(i)];
        const int fy = 5 + i * kRow;
        fields_[size_t(i)] =
            addEntry(inner, f.name, f.label, 4, QRect(8, fy + 1, 126, 22), QRect(136, fy, 56, 24));
    }
    for (const ButtonRow &b : info_.buttons) {
        if (b.slot != int(OpticalRole::ApplyField))
            continue;
        const int first = rowOf(b.fields[0].field);
        const int last = b.fields[1].field ? rowOf(b.fields[1].field) : first;
        const int top = 5 + first * kRow;
        const int bottom = 5 + last * kRow + 24;
        const int mid = (top + bottom) / 2;
        placeRow(b, inner, QRect(198, mid - 13, 178, 26));
    }

    const int by = y + 2 + inner->height() + kGap;
    place(OpticalRole::Save, group, QRect(8, by, 100, 28));
    place(OpticalRole::Read, group, QRect(112, by, 100, 28));
    place(OpticalRole::Defaults, group, QRect(216, by, 174, 28));
    group->resize(group->width(), std::min(by + 28 + 8, kBottom - 244));
}

// Lists and the temperature from the page's bottom up; the chart takes the rest.
int OpticalPage::buildRightColumn()
{
    int top = kBottom + kGap;
    if (info_.temperature || info_.stateCode)
        top = kBottom - 28;
    if (info_.stateCode) {
        stateCode_ = makePanel(this, info_.stateCode, QRect(kRight, top + 1, 70, 26),
                               QString::fromLatin1(info_.stateCode));
        setBold(stateCode_);
    }
    if (info_.temperature) {
        place(OpticalRole::Temperature, this, QRect(kRight + kRightWidth - 190, top, 120, 28));
        QLineEdit *t = makeReadOnlyEdit(this, info_.temperature,
                                        QRect(kRight + kRightWidth - 64, top + 1, 64, 26));
        t->setText(QStringLiteral("0"));
        setBold(t);
        temperature_ = t;
    }
    if (info_.state) {
        state_ = makeFlagList(this, info_.state, stateItems(), kRightWidth);
        state_->setFlow(QListView::LeftToRight);
        state_->setWrapping(true);
        state_->setSpacing(4); // keeps each box apart from the text before it
        const int h = neededHeight(state_);
        top -= kGap + h;
        state_->setGeometry(kRight, top, kRightWidth, h);
    }
    if (info_.flags) {
        flags_ = makeFlagList(this, info_.flags, flagItems(), kRightWidth);
        const int h = neededHeight(flags_);
        top -= kGap + h;
        flags_->setGeometry(kRight, top, kRightWidth, h);
    }
    return top;
}

// ---- buttons ---------------------------------------------------------------

void OpticalPage::act(int action)
{
    if (action == Defaults)
        fillDefaults();
}

void OpticalPage::fillDefaults()
{
    for (size_t i = 0; i < info_.fields.size(); ++i)
        if (fields_[i])
            fields_[i]->setText(integerText(info_.fields[i].defaultValue));
}

// ---- replies ---------------------------------------------------------------

const StatusPanels &OpticalPage::statusPanels(uint8_t) const { return status_; }

QString OpticalPage::voltageText(const Frame &reply, int byte) const
{
    if (info_.voltages == VoltageEncoding::Float32)
        return floatText(
            std::bit_cast<float>(uint32_t(u16(reply, 3)) | uint32_t(u16(reply, 5)) << 16));
    return integerText(s16(reply, byte));
}

void OpticalPage::showAnswer(const Frame &reply)
{
    const uint8_t code = reply[1];
    for (size_t i = 0; i < info_.readouts.size(); ++i)
        if (readouts_[i] && info_.readouts[i].code == code)
            readouts_[i]->setText(voltageText(reply, info_.readouts[i].byte));
    // Shown whole even outside the four digits a field takes.
    for (size_t i = 0; i < info_.fields.size(); ++i)
        if (fields_[i] && info_.fields[i].code == code)
            fields_[i]->setText(integerText(s16(reply, info_.fields[i].byte)));
    if (code == op::Diagnostics && info_.diagnostics != Diagnostics::None)
        showDiagnostics(reply);
    if (code == op::Temperature && temperature_)
        temperature_->setText(integerText(int16_t(uint16_t(u16(reply, 5) - kKelvinOffset))));
}

void OpticalPage::showDiagnostics(const Frame &reply)
{
    const uint8_t flags = reply[5];
    for (int k = 0; k < 8; ++k)
        flags_->setChecked(k, flags & (1 << k));
    if (info_.diagnostics != Diagnostics::FlagsAndState)
        return;
    const uint8_t byte = reply[6];
    const int state = byte & 0x0F;
    const bool autoZero = byte & 0x80;
    if (stateCode_)
        stateCode_->setText(integerText(state));
    for (int n = 0; n < kStateItems; ++n)
        state_->setChecked(2 + n, n == state);
    state_->setChecked(0, autoZero);
    state_->setChecked(1, byte & 0x40);
    if (autoZero && state < 5)
        setPanel(measuring_, QStringLiteral("Измерение"), Colour::Normal);
    else
        setPanel(measuring_, QStringLiteral("Показания"), Colour::Yellow);
}

bool OpticalPage::measures(uint8_t code) const { return code == cmd::Status || code == op::Save; }

// The save answer carries the values too, but only the status reply is charted.
void OpticalPage::measure(const Frame &reply)
{
    concentration_->setText(valueText(s16(reply, 3) / 100.0));
    signal_->setText(integerText(u16(reply, 5)));
    if (reply[1] == cmd::Status)
        chart_->addSample(u16(reply, 5));
}

} // namespace zet
