#include "pages/Lmp91000Group.h"

#include "connection/Session.h"
#include "pages/ModulePage.h"
#include "pages/Widgets.h"
#include "platform/Platform.h"

#include <QPushButton>
#include <QRadioButton>

namespace zet {

namespace lmp91000 {

namespace {

// Where each field sits in its register: bit position and width.
struct Bits {
    int shift;
    int width;
};

constexpr Bits kBits[FieldCount] = {
    {0, 2}, // R_Load: TIACN 1..0
    {2, 3}, // R_TIA: TIACN 4..2
    {7, 1}, // reference source: REFCN 7
    {5, 2}, // internal zero: REFCN 6..5
    {4, 1}, // bias polarity: REFCN 4
    {0, 4}, // bias: REFCN 3..0
    {7, 1}, // FET short: MODECN 7
    {0, 3}, // operating mode: MODECN 2..0
};

constexpr int kItems[FieldCount] = {4, 8, 2, 3, 2, 14, 2, 6};
constexpr int kModeCodes[] = {0, 1, 2, 3, 6, 7};

template <typename R> auto &registerOf(R &r, Field f)
{
    return f <= RTia ? r.tiacn : f <= Bias ? r.refcn : r.modecn;
}

} // namespace

int itemCount(Field field) { return kItems[field]; }

int modeCode(int item)
{
    return item >= 0 && item < int(std::size(kModeCodes)) ? kModeCodes[item] : kNone;
}

int modeItem(int code)
{
    for (int i = 0; i < int(std::size(kModeCodes)); ++i)
        if (kModeCodes[i] == code)
            return i;
    return kNone;
}

std::optional<Registers> encode(const Items &items)
{
    Registers r;
    for (int f = 0; f < FieldCount; ++f) {
        const int item = items[size_t(f)];
        if (item < 0 || item >= kItems[f])
            return std::nullopt;
        const int code = f == Mode ? modeCode(item) : item;
        registerOf(r, Field(f)) |= uint8_t(code << kBits[f].shift);
    }
    return r;
}

Items decode(const Registers &registers)
{
    Items items{};
    for (int f = 0; f < FieldCount; ++f) {
        const int code =
            (registerOf(registers, Field(f)) >> kBits[f].shift) & ((1 << kBits[f].width) - 1);
        const int item = f == Mode ? modeItem(code) : code;
        items[size_t(f)] = item < kItems[f] ? item : kNone;
    }
    return items;
}

} // namespace lmp91000

namespace {

using namespace lmp91000;

struct GroupLook {
    const char *caption;
    QStringList items;
    QRect geometry; // inside the LMP91000 group
    int columns;
};

// Captions, items in item order, and places of the eight groups.
const GroupLook &look(Field f)
{
    // Five columns under the status row: R_TIA; R_Load over U_опоры; Смещение in
    // two columns; Режим over Полярность; U_нуля over FET.
    static const GroupLook kLooks[FieldCount] = {
        {"R_Load",
         {"10 Oм", "33 Ом", "50 Ом", "100 Ом"}, // Latin O in the first item
         QRect(112, 44, 98, 86),
         1},
        {"R_TIA",
         {"Внешний", "2,75 кОм", "3,5 кОм", "7,0 кОм", "14 кОм", "35,0 кОм", "120,0 кОм",
          "350, кОм"},
         QRect(6, 44, 102, 150),
         1},
        {"U_опоры", {"Внутр.", "Внешнее"}, QRect(112, 132, 98, 54), 1},
        {"U_нуля", {"20%", "50%", "67% "}, QRect(450, 44, 104, 70), 1},
        {"Полярность", {"Негатив", "Позитив"}, QRect(340, 164, 106, 54), 1},
        {"Смещение",
         {"0%", "1%", "2%", "4%", "6%", "8%", "10%", "12%", "14%", "16%", "18%", "20%", "22%",
          "24%"},
         QRect(214, 44, 122, 134),
         2},
        {"FET", {"Отключен", "Включен"}, QRect(450, 116, 104, 54), 1},
        {"Режим",
         {"Спящий", "Сенс.-Vref", "Ожидание", "Рабочий", "TIA_OFF", "TIA_ON C2"},
         QRect(340, 44, 106, 118),
         1},
    };
    return kLooks[f];
}

const QString kPlaceholder = QStringLiteral("KKKKKKKKKK");

} // namespace

Lmp91000Group::Lmp91000Group(QWidget *parent, const FrontEndControls &controls, PageHost &host,
                             QRect geometry, const std::function<void(QWidget *)> &placeButtons)
    : QGroupBox(QStringLiteral("LMP91000"), parent), controls_(controls), host_(host)
{
    setObjectName(QString::fromLatin1(controls.group));
    setGeometry(geometry);
    status_ = makePanel(this, controls.status, QRect(8, 18, 200, 22), QStringLiteral("Статус: "));
    placeButtons(this);
    for (int f = 0; f < FieldCount; ++f) {
        const GroupLook &l = look(Field(f));
        groups_[size_t(f)] =
            new RadioGroup(this, controls.fields[size_t(f)], QString::fromUtf8(l.caption), l.items,
                           l.geometry, l.columns);
    }
}

Items Lmp91000Group::items() const
{
    Items items{};
    for (size_t f = 0; f < groups_.size(); ++f)
        items[f] = groups_[f]->itemIndex();
    return items;
}

void Lmp91000Group::setItems(const Items &items)
{
    for (size_t f = 0; f < groups_.size(); ++f)
        groups_[f]->setItemIndex(items[f]);
}

void Lmp91000Group::reading()
{
    if (controls_.readPlaceholder)
        status_->setText(kPlaceholder);
}

QStringList Lmp91000Group::choices() const
{
    QStringList out;
    for (const RadioGroup *g : groups_) {
        const int item = g->itemIndex();
        if (item >= 0)
            out << g->title() + QStringLiteral(": ") + g->button(item)->text();
    }
    return out;
}

std::optional<Registers> Lmp91000Group::registersToWrite() const
{
    const Items selected = items();
    const std::optional<Registers> r = encode(selected);
    if (!r) {
        QStringList missing;
        for (int f = 0; f < FieldCount; ++f)
            if (selected[size_t(f)] == kNone)
                missing << QString::fromUtf8(look(Field(f)).caption);
        host_.platform().message(
            MessageKind::Error,
            QStringLiteral("Не выбрано значение в группах: %1. Регистры не записаны.")
                .arg(missing.join(QStringLiteral(", "))));
    }
    return r;
}

void Lmp91000Group::applyReply(const Frame &reply)
{
    const uint8_t code = reply[1];
    if (code == cmd::electro::ReadFrontEnd || code == cmd::electro::WriteFrontEnd) {
        const uint8_t state = reply[3];
        switch (state) {
        case 0:
        case kWriteProtected:
            status_->setText(QStringLiteral("Статус: НЕ ГОТОВ"));
            break;
        case kReady:
            status_->setText(QStringLiteral("Статус: Запись разрешена"));
            break;
        case kReady | kWriteProtected:
            status_->setText(QStringLiteral("Статус: Запись защищена"));
            break;
        default:
            break;
        }
        if (!(state & kReady))
            return;
    } else if (code != cmd::electro::Version) {
        return;
    }
    setItems(decode({reply[4], reply[5], reply[6]}));
}

} // namespace zet
