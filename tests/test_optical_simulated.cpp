// The optical pages against the simulated instrument, driven only through the
// window: ticks on a fake clock, clicks and typed values, checks on what the
// page shows and on the block's own state.

#include "OpticalBlockSim.h"
#include "SimHarness.h"

#include <QLineEdit>
#include <QListWidget>
#include <QLocale>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace zet::test {
namespace {

struct Bench : SimHarness {
    Bench(int deviceType, int block) : SimHarness(deviceType)
    {
        driver.instrument().setWander(false);
        EXPECT_TRUE(connect()) << deviceType;
        block_ = driver.instrument().optical(block);
    }
    // Up to six queued codes at 800 ms, and their answers.
    void press(const char *button)
    {
        click(button);
        run(6000);
    }
    void type(std::initializer_list<std::pair<const char *, const char *>> fields)
    {
        for (auto [name, value] : fields)
            form->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(value);
    }
    QString texts(std::initializer_list<const char *> names) const
    {
        QStringList out;
        for (const char *n : names)
            out << text(n);
        return out.join(' ');
    }
    double volts(const char *name) const { return QLocale().toDouble(text(name)); }
    const sim::OpticalSettings &ram() const { return block_->settings(); }
    const sim::OpticalSettings &saved() const { return block_->savedSettings(); }
    sim::OpticalBlockSim *block_ = nullptr;
};

TEST(SimulatedMethane100, CalibrateSetSaveReadBackAndWatchTheDiagnostics)
{
    Bench b(10, 11);
    b.select(page::OpticMethane100);
    b.run(6000);
    EXPECT_EQ(b.texts({"MaskEdit49", "MaskEdit26", "MaskEdit27", "MaskEdit28", "MaskEdit29"}),
              "480 4950 50 100 500");
    EXPECT_EQ(b.text("Edit13"), QString::number(b.ram().uZero));

    b.press("Button73");
    EXPECT_EQ(b.text("Panel73"), "Сенсор выключен");
    EXPECT_EQ(b.text("Panel148"), "2");
    b.press("Button71");
    EXPECT_EQ(b.text("Panel77"), "Версия 2.4");
    EXPECT_EQ(b.text("Panel73"), "Сенсор включен");
    EXPECT_EQ(b.text("Panel148"), "5"); // self-test after switch-on
    EXPECT_EQ(b.text("Panel147"), "Показания");

    b.type({{"MaskEdit27", "60"}});
    b.press("Button211");
    b.type({{"MaskEdit28", "120"}, {"MaskEdit29", "600"}});
    b.press("Button107");
    EXPECT_EQ(b.ram().threshold, (std::array<int16_t, 3>{60, 120, 600}));
    EXPECT_NE(b.saved().threshold, b.ram().threshold);
    b.press("Button108");
    EXPECT_EQ(b.saved().threshold, b.ram().threshold);
    b.type({{"MaskEdit27", ""}, {"MaskEdit28", ""}, {"MaskEdit29", ""}});
    b.press("Button109");
    EXPECT_EQ(b.texts({"MaskEdit27", "MaskEdit28", "MaskEdit29"}), "60 120 600");

    // Past the self-test the block measures against its zero: state "0", "Измерение".
    b.run(sim::OpticalBlockSim::kSelfTestMs);
    EXPECT_EQ(b.text("Panel148"), "0");
    EXPECT_EQ(b.text("Panel147"), "Измерение");
    const QListWidget *state = b.form->findChild<QListWidget *>("CheckListBox4");
    EXPECT_EQ(state->item(2)->checkState(), Qt::Checked);

    // Detector 2 calibrated with its own gas; the block holds state 10 ("40") a while.
    const int16_t uGas1 = b.ram().uGas[0];
    b.block_->setLevel(5000);
    b.type({{"MaskEdit26", "5000"}});
    b.click("Button212");
    b.run(4500);
    EXPECT_EQ(b.text("Panel148"), "10");
    b.run(3000);
    EXPECT_EQ(b.ram().calGas[1], 5000);
    EXPECT_EQ(b.ram().uGas[0], uGas1);
    b.press("Button213");
    EXPECT_EQ(b.texts({"Edit14", "Edit29"}), QString("%1 %2").arg(uGas1).arg(b.ram().uGas[1]));

    b.press("Button152");
    EXPECT_EQ(b.text("Edit26"), QString::number(b.block_->kelvin() - 273));
    EXPECT_TRUE(b.capture.messages.isEmpty());
}

TEST(SimulatedMethane5, FocusEntryFloatVoltagesAndCalibration)
{
    Bench b(6, 12);
    b.select(page::OpticMethane5);
    b.run(3000);
    EXPECT_EQ(b.text("MaskEdit25"), "") << "a tab click reads nothing back";
    b.form->page(page::OpticMethane5)->focusEnter();
    b.run(2000);
    EXPECT_EQ(b.text("Panel112"), "Версия 1.5");
    EXPECT_EQ(b.text("Panel107"), "Сенсор включен");

    b.press("Button102"); // zero point taken now
    b.press("Button116");
    const double perCount = sim::OpticalBlockSim::kVoltsPerCount;
    EXPECT_NEAR(b.volts("Edit16"), b.ram().uZero * perCount, 1e-6);
    EXPECT_NEAR(b.volts("Edit17"), b.ram().uGas[0] * perCount, 1e-6);

    b.block_->setLevel(300);
    b.type({{"MaskEdit25", "300"}});
    b.press("Button103");
    EXPECT_EQ(b.ram().calGas[0], 300);
    EXPECT_NEAR(b.volts("Edit17"), b.ram().uGas[0] * perCount, 1e-6);
    b.type({{"MaskEdit22", "70"}, {"MaskEdit23", "150"}, {"MaskEdit24", "700"}});
    b.press("Button114");
    b.press("Button104");
    b.press("Button111");
    EXPECT_EQ(b.saved().threshold, (std::array<int16_t, 3>{70, 150, 700}));
    EXPECT_EQ(b.saved().calGas[0], 300);
    b.type({{"MaskEdit25", ""}, {"MaskEdit22", ""}});
    b.press("Button112");
    EXPECT_EQ(b.texts({"MaskEdit25", "MaskEdit22", "MaskEdit23", "MaskEdit24"}), "300 70 150 700");
    EXPECT_TRUE(b.capture.messages.isEmpty());
}

} // namespace
} // namespace zet::test
