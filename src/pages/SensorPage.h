#pragma once
// Reply handling shared by the thermocatalytic, semiconductor and pressure pages:
// address and fall-back (ModulePage), then the status table, the firmware version
// on the switch-on answer, the answer-specific fields and, for answers that carry
// one, the measurement.

#include "pages/ModulePage.h"
#include "pages/StatusPanels.h"
#include "pages/Widgets.h"

#include <QPushButton>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <utility>

class QLabel;
class QLineEdit;

namespace zet {

// A status group: its box, caption and panels top to bottom (unused slots null), and
// the bit table.
struct StatusGroup {
    const char *group = nullptr;
    const char *title = "";
    std::array<const char *, 7> panels{};
    std::span<const StatusRow> rows{};
};

class SensorPage : public ModulePage {
public:
    // The firmware version comes with the answer to `versionCode`, in byte `versionByte`.
    SensorPage(PageHost &host, const PageRow &row, const char *versionPanel, QWidget *parent,
               uint8_t versionCode = cmd::sensor::On, int versionByte = 6);

    BlockReport report() const override;

protected:
    // Answers to reads, calibration steps, on/off, set-up and set commands carry no
    // measurement; everything else (the status reply above all) does.
    static bool carriesMeasurement(uint8_t code);

    void show(const Frame &reply) override;
    // The status table that applies to an answer with this code.
    virtual const StatusPanels &statusPanels(uint8_t code) const = 0;
    // Fields filled from particular answers (read-backs).
    virtual void showAnswer(const Frame &reply) = 0;
    virtual bool measures(uint8_t code) const { return carriesMeasurement(code); }
    virtual void measure(const Frame &reply) = 0;

    // Zero adjustment is a calibration step: allowed only when the most recent reply
    // that passed its check came from this block and reports the sensor on.
    virtual bool sensorOnNow();
    void adjustZero(std::initializer_list<uint8_t> codes);

    // The fields of a set command, converted (a null second field gives 0); nothing
    // (after the message) when either does not convert.
    std::optional<std::pair<int, int>> convertFields(const QLineEdit *first,
                                                     const QLineEdit *second);
    // Writes a pair into request bytes 3-4 and 5-6, low byte first.
    void putParameters(std::pair<int, int> values);

    // Answers that carry two voltages in tenths of a millivolt, or two whole numbers
    // (parameters, thresholds), in bytes 3-4 and 5-6.
    static void showVoltages(const Frame &reply, TextControl first, TextControl second);
    static void showIntegers(const Frame &reply, TextControl first, TextControl second);

    // The left column the thermocatalytic and optical pages share: the status group
    // with its seven panels top left, and beside it the on/off pair and set-up (at
    // kOnButton, kOffButton, kSetupButton), other buttons, then the concentration
    // group from `concentrationTop` down to the status group's bottom, its value in
    // bold at `valueTop` inside it.
    static constexpr QRect kOnButton{230, 10, 86, 28};
    static constexpr QRect kOffButton{320, 10, 86, 28};
    static constexpr QRect kSetupButton{230, 44, 176, 28};
    void addStatusColumn(const char *group, const QString &title,
                         const std::array<const char *, 7> &panels);
    QLineEdit *addConcentration(const char *group, const char *value, int concentrationTop,
                                int valueTop);

    // The firmware version panel, top right of the page.
    void addVersionPanel(QRect geometry = QRect(598, 4, 180, 26), const QString &text = {});
    // Bold type for a value read at a glance; larger when pointSize is given.
    static void setBold(QWidget *w, int pointSize = 0);

private:
    const char *versionPanel_;
    QLabel *version_ = nullptr;
    uint8_t versionCode_;
    int versionByte_;
};

} // namespace zet
