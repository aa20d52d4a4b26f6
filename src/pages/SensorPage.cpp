#include "pages/SensorPage.h"

#include "connection/Session.h"
#include "platform/Format.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace zet {

SensorPage::SensorPage(PageHost &host, const PageRow &row, const char *versionPanel,
                       QWidget *parent, uint8_t versionCode, int versionByte)
    : ModulePage(host, row, parent), versionPanel_(versionPanel), versionCode_(versionCode),
      versionByte_(versionByte)
{
}

bool SensorPage::carriesMeasurement(uint8_t code)
{
    using namespace cmd::sensor;
    switch (code) {
    case ReadVoltages:
    case ReadCalibration:
    case ReadThresholds:
    case AdjustZero:
    case Setup:
    case Off:
    case On:
    case SetFirst:
    case SetSecond:
    case TakeGasVoltage:
    case TakeAirVoltage:
    case Reset:
        return false;
    default:
        return true;
    }
}

void SensorPage::show(const Frame &reply)
{
    const uint8_t code = reply[1];
    if (!statusPanels(code).apply(reply))
        return;
    if (code == versionCode_)
        version_->setText(versionText(reply[size_t(versionByte_)]));
    showAnswer(reply);
    if (measures(code))
        measure(reply);
}

bool SensorPage::sensorOnNow()
{
    const Session &s = session();
    return s.haveValidReply && s.lastValidReply[0] == block() && (s.lastValidReply[2] & 0x01);
}

void SensorPage::adjustZero(std::initializer_list<uint8_t> codes)
{
    if (sensorOnNow())
        queue(codes);
}

std::optional<std::pair<int, int>> SensorPage::convertFields(const QLineEdit *first,
                                                         const QLineEdit *second)
{
    const auto values = second ? takeEntries({first, second}) : takeEntries({first});
    if (!values)
        return std::nullopt;
    return std::pair{(*values)[0], second ? (*values)[1] : 0};
}

void SensorPage::putParameters(std::pair<int, int> values)
{
    putU16(session().request(), 3, uint16_t(values.first));
    putU16(session().request(), 5, uint16_t(values.second));
}

void SensorPage::showVoltages(const Frame &reply, TextControl first, TextControl second)
{
    first.setText(valueText(s16(reply, 3) / 10.0));
    second.setText(valueText(s16(reply, 5) / 10.0));
}

void SensorPage::showIntegers(const Frame &reply, TextControl first, TextControl second)
{
    first.setText(integerText(s16(reply, 3)));
    second.setText(integerText(s16(reply, 5)));
}

void SensorPage::addStatusColumn(const char *group, const QString &title,
                                 const std::array<const char *, 7> &panels)
{
    auto *status = makeGroup(this, group, title, QRect(8, 4, 214, 234));
    for (int i = 0; i < 7; ++i) {
        const int y = 20 + i * 28 + (i >= 4 ? 12 : 0);
        makePanel(status, panels[size_t(i)], QRect(8, y, 198, 24));
    }
}

QLineEdit *SensorPage::addConcentration(const char *group, const char *value,
                                        int concentrationTop, int valueTop)
{
    auto *conc = makeGroup(this, group, QStringLiteral("Концентрация, %"),
                           QRect(230, concentrationTop, 176, 238 - concentrationTop));
    QLineEdit *edit = makeReadOnlyEdit(conc, value, QRect(10, valueTop, 156, 54));
    setBold(edit, 22);
    return edit;
}

void SensorPage::addVersionPanel(QRect geometry, const QString &text)
{
    version_ = makePanel(this, versionPanel_, geometry, text);
    setBold(version_);
}

void SensorPage::setBold(QWidget *w, int pointSize)
{
    QFont f = w->font();
    f.setBold(true);
    if (pointSize > 0)
        f.setPointSize(pointSize);
    w->setFont(f);
}

BlockReport SensorPage::report() const
{
    BlockReport r = ModulePage::report();
    if (version_)
        r.version = version_->text().trimmed();
    r.status = statusPanels(cmd::Status).texts();
    return r;
}

} // namespace zet
