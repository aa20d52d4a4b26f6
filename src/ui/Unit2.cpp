#include "ui/Unit2.h"

#include "connection/PageIndex.h"
#include "connection/PollCycle.h"
#include "pages/StatusPanels.h"
#include "pages/Widgets.h"
#include "ui/BenchLayout.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

#include <utility>

namespace zet {

namespace {

struct SensorType {
    const char *text;
    uint8_t code;     // sent in request byte 4; the device type identification reports
    bool preselected; // chosen on opening when the last identification reported `code`
};

constexpr SensorType kSensorTypes[] = {
    {"ТКС", 1, true},
    {"ТКС + ПГС метан/пропан", 2, true},
    {"ТКС + ПГС водород", 3, true},
    {"ПГС", 4, true},
    {"Кислород", 7, false},
    {"Угарный", 9, false},
    {"Сероводород", 10, false},
};

// Hidden before the base unit is identified again, as the chosen type.
constexpr int kBenchPages[] = {page::Tks,          page::Pgs,    page::TksPgs,
                               page::TksPgsH2,     page::Oxygen, page::CarbonMonoxide,
                               page::OpticMethane5};

constexpr uint8_t kTypeByte = 4;
constexpr uint8_t kChannelByte = 2;

// The group keeps its size: a smaller font for the items when the longest would be cut.
void fitItemTexts(RadioGroup *group)
{
    QFont font = group->font();
    auto fits = [&] {
        for (int i = 0; i < group->count(); ++i) {
            QRadioButton *b = group->button(i);
            b->setFont(font);
            if (b->sizeHint().width() > b->width())
                return false;
        }
        return true;
    };
    while (!fits() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
}

} // namespace

TForm2::TForm2(PollControl &poll, BenchHost &host, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      poll_(poll), host_(host)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Управление мультиплексором"));
    setFixedSize(bench::kClientSize);

    QStringList items;
    for (const SensorType &t : kSensorTypes)
        items << QString::fromUtf8(t.text);
    group_ = new RadioGroup(this, "RadioGroup1", QStringLiteral("Тип датчика"), items,
                            bench::kTypeGroup);
    for (int i = 0; i < group_->count(); ++i)
        connect(group_->button(i), &QRadioButton::clicked, this, &TForm2::RadioGroup1Click);
    fitItemTexts(group_);

    for (const bench::Socket &s : bench::kSocketTable) {
        const QByteArray name = "Panel" + QByteArray::number(s.lamp);
        lamps_[size_t(s.lamp - 1)] = makePanel(this, name.constData(), s.lampRect());
    }
}

void TForm2::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
}

void TForm2::preselect(int deviceType)
{
    int item = -1;
    for (size_t i = 0; i < std::size(kSensorTypes); ++i)
        if (kSensorTypes[i].preselected && kSensorTypes[i].code == deviceType)
            item = int(i);
    if (item == group_->itemIndex())
        return;
    group_->setItemIndex(item);
    RadioGroup1Click();
}

void TForm2::RadioGroup1Click()
{
    const int item = group_->itemIndex();
    const int before = std::exchange(chosen_, item);
    if (item < 0 || item == before)
        return;
    poll_.stop();
    host_.activatePage(page::Base);
    for (int index : kBenchPages)
        host_.hidePage(index);
    Session &s = poll_.session();
    s.request()[kTypeByte] = kSensorTypes[item].code;
    s.queueCommands(kBaseAddress, {cmd::Status, cmd::Identify});
    // Restarted ticks begin a full period: the first code goes out one interval later.
    poll_.start();
}

void TForm2::FormClick(QPoint client)
{
    Session &s = poll_.session();
    s.request()[1] = cmd::Status;
    const bench::Socket *hit = bench::socketAt(client);
    if (hit)
        s.request()[kChannelByte] = uint8_t(hit->channel);
    for (const bench::Socket &socket : bench::kSocketTable)
        setPanel(lamp(socket.lamp), QString(), &socket == hit ? Colour::Red : Colour::Normal);
}

void TForm2::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(bench::kPictureOrigin, picture_);
}

void TForm2::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    // Lamps and the group pass their clicks on; only the bare surface selects.
    if (event->button() != Qt::LeftButton || !rect().contains(at) || childAt(at))
        return;
    FormClick(at);
}

} // namespace zet
