// The thermocatalytic, semiconductor and pressure pages against the simulated
// instrument, driven only through the window: ticks on a fake clock, clicks and
// typed values, checks on what the panels show.

#include "PgsSim.h"
#include "PressureSim.h"
#include "SimHarness.h"
#include "ThermoBlockSim.h"
#include "platform/Format.h"
#include "pages/StatusPanels.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace zet::test {
namespace {

// The window over the simulated instrument; every press is followed by enough
// simulated time for the queued commands and their answers.
struct Bench : SimHarness {
    explicit Bench(int deviceType) : SimHarness(deviceType)
    {
        driver.instrument().setWander(false);
        if (!connect())
            ADD_FAILURE() << "instrument " << deviceType << " not identified";
    }
    void enter(int pageIndex)
    {
        select(pageIndex);
        run(3000);
    }
    void press(const char *button)
    {
        click(button);
        run(2500);
    }
    void type(std::initializer_list<std::pair<const char *, const char *>> fields)
    {
        for (auto [name, value] : fields)
            form->findChild<QLineEdit *>(QString::fromLatin1(name))
                ->setText(QString::fromUtf8(value));
    }
    QString title(const char *group) const
    {
        return form->findChild<QGroupBox *>(QString::fromLatin1(group))->title();
    }
    QStringList texts(std::initializer_list<const char *> names) const
    {
        QStringList out;
        for (const char *n : names)
            out << text(n);
        return out;
    }
    Colour colour(const char *panel) const
    {
        return panelColour(form->findChild<QLabel *>(QString::fromLatin1(panel)));
    }
    sim::Instrument &instrument() { return driver.instrument(); }
    const QStringList &messages() const { return capture.messages; }
};

TEST(SimulatedTks, SetSaveResetAndReadBackThroughThePage)
{
    Bench bench(1);
    bench.enter(page::Tks);
    const sim::ThermoBlockSim &block = *bench.instrument().thermo(3);

    EXPECT_EQ(bench.text("Panel28"), "Версия 1.3");
    EXPECT_EQ(bench.text("Panel21"), "Сенсор включен");
    EXPECT_EQ(bench.title("GroupBox12"), "МЕТАН");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"250", "50", "100", "500"}));
    EXPECT_EQ(bench.text("Edit5"), "  1250");
    EXPECT_EQ(bench.text("Edit6"), "  1300");
    EXPECT_TRUE(bench.text("Panel29").endsWith("  мВ"));

    // New calibration gas and thresholds, applied and saved.
    bench.type({{"MaskEdit1", "300"}, {"MaskEdit2", "60"}});
    bench.press("Button27");
    bench.type({{"MaskEdit3", "120"}, {"MaskEdit4", "600"}});
    bench.press("Button32");
    EXPECT_EQ(block.settings().calGas, 300);
    EXPECT_EQ(block.settings().switchOff, 600);
    bench.type({{"MaskEdit1", ""}, {"MaskEdit2", ""}, {"MaskEdit3", ""}, {"MaskEdit4", ""}});
    bench.press("Button28");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"300", "60", "120", "600"}));
    bench.press("Button25");
    EXPECT_EQ(block.savedSettings().calGas, 300);

    // Unsaved changes are undone by the reset, which reads everything back.
    bench.type({{"MaskEdit1", "111"}, {"MaskEdit2", "22"}});
    bench.press("Button27");
    EXPECT_EQ(block.settings().calGas, 111);
    bench.press("Button24");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"300", "60", "120", "600"}));

    // Propane has its own parameters; the defaults button follows the gas.
    bench.press("Button23");
    EXPECT_EQ(bench.title("GroupBox12"), "ПРОПАН");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"100", "20", "40", "200"}));
    bench.type({{"MaskEdit1", "9"}});
    bench.press("Button29");
    EXPECT_EQ(bench.text("MaskEdit1"), "100");
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(SimulatedTks, SwitchingSetUpModeAndAlarms)
{
    Bench bench(1);
    bench.enter(page::Tks);
    const sim::ThermoBlockSim &block = *bench.instrument().thermo(3);

    bench.press("Button16");
    EXPECT_EQ(bench.text("Panel22"), "Режим настройки");
    EXPECT_EQ(bench.colour("Panel22"), Colour::Yellow);
    EXPECT_EQ(bench.text("Edit7"), " XXXX");
    bench.press("Button25"); // saving ends set-up mode on this block
    EXPECT_EQ(bench.text("Panel22"), "Рабочий режим");
    EXPECT_NE(bench.text("Edit7"), " XXXX");

    // Gas above every threshold.
    bench.instrument().setLevel(3, 700);
    bench.press("Button28");
    EXPECT_EQ(bench.text("Panel27"), "Превышение порога 1");
    EXPECT_EQ(bench.colour("Panel27"), Colour::Red);
    EXPECT_EQ(bench.text("Panel25"), "Превышение порога откл.");

    bench.press("Button15");
    EXPECT_EQ(bench.text("Panel21"), "Сенсор выключен");
    EXPECT_EQ(bench.colour("Panel21"), Colour::Red);
    EXPECT_EQ(bench.text("Panel27"), "");
    EXPECT_EQ(bench.text("Edit7"), " XXXX");

    // Zero adjustment refuses a switched-off sensor: the calibration stays.
    const int16_t uAir = block.settings().uAir;
    bench.instrument().setLevel(3, 0);
    bench.press("Button26");
    EXPECT_EQ(block.settings().uAir, uAir);

    bench.press("Button14");
    EXPECT_EQ(bench.text("Panel21"), "Сенсор включен");
    bench.press("Button26");
    EXPECT_NE(block.settings().uAir, uAir);
    EXPECT_EQ(bench.text("Edit5"), valueText(block.settings().uAir / 10.0));
}

TEST(SimulatedTksPgs, BothHalvesAndThresholdsThroughThePage)
{
    Bench bench(2);
    bench.enter(page::TksPgs);
    const sim::ThermoBlockSim &block = *bench.instrument().thermo(20);

    EXPECT_EQ(bench.text("Panel42"), "Версия 2.1");
    EXPECT_EQ(bench.title("GroupBox19"), "МЕТАН");
    EXPECT_EQ(bench.text("Panel45"), "Сенсор включен");
    EXPECT_EQ(bench.text("Panel56"), "Сенсор включен");
    EXPECT_EQ(bench.text("Panel57"), "Сенсор в норме");
    EXPECT_FALSE(bench.text("Panel52").isEmpty());
    EXPECT_FALSE(bench.text("Panel53").isEmpty());

    bench.press("Button56");
    EXPECT_EQ(bench.text("Panel56"), "Сенсор выключен");
    EXPECT_EQ(bench.colour("Panel56"), Colour::Red);
    EXPECT_EQ(bench.text("Panel45"), "Сенсор включен");
    bench.press("Button55");
    EXPECT_EQ(bench.text("Panel56"), "Сенсор включен");

    // The idle poll alternates 12 and 21 all along: the set commands still carry
    // the typed values to the block.
    for (int round = 0; round < 4; ++round) {
        bench.type({{"MaskEdit5", "260"}, {"MaskEdit6", "55"}});
        bench.press("Button47");
        EXPECT_EQ(block.settings().calGas, 260) << round;
        EXPECT_EQ(block.settings().threshold1, 55) << round;
        bench.type({{"MaskEdit7", "110"}, {"MaskEdit8", "520"}});
        bench.press("Button48");
        EXPECT_EQ(block.settings().threshold2, 110) << round;
        EXPECT_EQ(block.settings().switchOff, 520) << round;
    }
    bench.press("Button49");
    bench.type({{"MaskEdit5", "1"}, {"MaskEdit6", "2"}});
    bench.press("Button47");
    bench.press("Button54");
    EXPECT_EQ(bench.texts({"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"}),
              QStringList({"260", "55", "110", "520"}));

    bench.type({{"MaskEdit5", ""}});
    bench.press("Button53");
    EXPECT_EQ(bench.text("MaskEdit5"), "260");
    EXPECT_TRUE(bench.messages().isEmpty());
}

TEST(SimulatedPgs, ThresholdsTakenFromTheSensorSaveAndReset)
{
    Bench bench(4);
    bench.enter(page::Pgs);
    const sim::PgsSim &block = *bench.instrument().pgs();
    EXPECT_EQ(bench.text("Panel40"), "Версия 1.2");
    EXPECT_EQ(bench.title("GroupBox14"), "МЕТАН");
    EXPECT_EQ(bench.text("Panel38"), "");

    bench.press("Button40");
    EXPECT_EQ(bench.text("Panel38"), QString::number(block.thresholds().first));
    EXPECT_EQ(bench.text("Panel39"), QString::number(block.thresholds().second));

    // The block takes threshold 1 from the converter value at the present gas level.
    bench.instrument().setLevel(8, 15);
    bench.press("Button38");
    const int16_t taken = block.thresholds().first;
    EXPECT_EQ(bench.text("Panel38"), QString::number(taken));
    bench.press("Button33");

    bench.instrument().setLevel(8, 30);
    bench.press("Button38");
    EXPECT_NE(block.thresholds().first, taken);
    bench.press("Button34");
    bench.press("Button40");
    EXPECT_EQ(bench.text("Panel38"), QString::number(taken));

    bench.press("Button41");
    EXPECT_EQ(bench.title("GroupBox14"), "ПРОПАН");
    EXPECT_EQ(bench.text("Panel38"), QString::number(block.thresholds().first));
    bench.press("Button36");
    EXPECT_EQ(bench.text("Panel32"), "Сенсор выключен");
    EXPECT_EQ(bench.text("Panel41"), " XXXX");
}

TEST(SimulatedPressure, CalibrationPointsSaveAndReset)
{
    Bench bench(10);
    bench.enter(page::Pressure);
    EXPECT_EQ(bench.text("Panel158"), "");
    EXPECT_EQ(bench.texts({"MaskEdit42", "MaskEdit45"}), QStringList({"1800", "2000"}));
    EXPECT_EQ(bench.text("Edit27"), "  300");
    EXPECT_EQ(bench.text("Edit28"), "  2100");

    bench.type({{"MaskEdit42", "1500"}, {"MaskEdit45", "1900"}});
    bench.press("Button157");
    bench.type({{"MaskEdit42", ""}, {"MaskEdit45", ""}});
    bench.press("Button165");
    EXPECT_EQ(bench.texts({"MaskEdit42", "MaskEdit45"}), QStringList({"1500", "1900"}));
    bench.press("Button163"); // not saved: back to the factory values
    EXPECT_EQ(bench.texts({"MaskEdit42", "MaskEdit45"}), QStringList({"1800", "2000"}));

    bench.instrument().setLevel(17, 2500);
    bench.press("Button165");
    EXPECT_EQ(bench.text("Panel152"), "Превышение диапазона");
    EXPECT_EQ(bench.colour("Panel152"), Colour::Red);
    bench.press("Button155");
    EXPECT_EQ(bench.text("Panel158"), "Версия 1.1");
}

} // namespace
} // namespace zet::test
