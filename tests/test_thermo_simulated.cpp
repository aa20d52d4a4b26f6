// The thermocatalytic, semiconductor and pressure pages against the simulated
// instrument, driven only through the window: ticks on a fake clock, clicks and
// typed values, checks on what the panels show.

#include "PgsSim.h"
#include "PressureSim.h"
#include "SimulatedDriver.h"
#include "ThermoBlockSim.h"
#include "pages/Format.h"
#include "pages/StatusPanels.h"
#include "ui/Multi_ZET.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace zet::test {
namespace {

class SimulatedBench {
public:
    explicit SimulatedBench(int deviceType) : driver_(deviceType, [this] { return nowMs_; })
    {
        driver_.instrument().setWander(false);
        Platform p;
        p.message = [this](MessageKind, const QString &text) { messages << text; };
        p.sleepMs = [](int) {};
        p.processEvents = [] {};
        p.now = [] { return QDateTime(QDate(2026, 1, 1), QTime(12, 0)); };
        form_ = std::make_unique<TForm1>(driver_, p);
    }

    // Lets `ms` of fake time pass in 50 ms steps, running each tick when it is due.
    void run(int ms)
    {
        for (int t = 0; t < ms; t += kStep) {
            nowMs_ += kStep;
            if (form_->timer2()->isActive() && nowMs_ >= nextRx_) {
                nextRx_ = nowMs_ + form_->timer2()->interval();
                form_->Timer2Timer();
            }
            if (form_->timer1()->isActive() && nowMs_ >= nextTx_) {
                nextTx_ = nowMs_ + form_->timer1()->interval();
                form_->Timer1Timer();
            }
        }
    }

    // Opens the simulator's converter row and waits for the identification.
    void connect()
    {
        auto *list = find<QTreeWidget>("ListView1");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        list->setCurrentItem(list->topLevelItem(0));
        form_->ListView1DblClick();
        nextTx_ = nowMs_;
        run(1000);
        ASSERT_EQ(form_->pageControl()->currentIndex(), page::Base);
    }

    void enter(int pageIndex)
    {
        ASSERT_TRUE(form_->pageControl()->isTabVisible(pageIndex));
        form_->selectPage(pageIndex);
        run(3000);
    }

    void click(const char *name)
    {
        auto *b = find<QPushButton>(name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
        run(2500);
    }

    void type(std::initializer_list<std::pair<const char *, const char *>> fields)
    {
        for (auto [name, text] : fields)
            find<QLineEdit>(name)->setText(QString::fromUtf8(text));
    }

    QString text(const char *name) const
    {
        if (auto *l = find<QLabel>(name))
            return l->text();
        if (auto *e = find<QLineEdit>(name))
            return e->text();
        if (auto *g = find<QGroupBox>(name))
            return g->title();
        ADD_FAILURE() << "no widget " << name;
        return {};
    }
    QStringList texts(std::initializer_list<const char *> names) const
    {
        QStringList out;
        for (const char *n : names)
            out << text(n);
        return out;
    }
    Colour colour(const char *name) const { return panelColour(find<QLabel>(name)); }

    sim::Instrument &instrument() { return driver_.instrument(); }
    QStringList messages;

private:
    static constexpr int kStep = 50;

    template <typename T> T *find(const char *name) const
    {
        return form_->findChild<T *>(QString::fromLatin1(name));
    }

    qint64 nowMs_ = 0;
    qint64 nextTx_ = 0;
    qint64 nextRx_ = 0;
    sim::SimulatedDriver driver_;
    std::unique_ptr<TForm1> form_;
};

TEST(SimulatedTks, SetSaveResetAndReadBackThroughThePage)
{
    SimulatedBench bench(1);
    bench.connect();
    bench.enter(page::Tks);
    const sim::ThermoBlockSim &block = *bench.instrument().thermo(3);

    EXPECT_EQ(bench.text("Panel28"), "Версия 1.3");
    EXPECT_EQ(bench.text("Panel21"), "Сенсор включен");
    EXPECT_EQ(bench.text("GroupBox12"), "МЕТАН");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"250", "50", "100", "500"}));
    EXPECT_EQ(bench.text("Edit5"), "  1250");
    EXPECT_EQ(bench.text("Edit6"), "  1300");
    EXPECT_TRUE(bench.text("Panel29").endsWith("  мВ"));

    // New calibration gas and thresholds, applied and saved.
    bench.type({{"MaskEdit1", "300"}, {"MaskEdit2", "60"}});
    bench.click("Button27");
    bench.type({{"MaskEdit3", "120"}, {"MaskEdit4", "600"}});
    bench.click("Button32");
    EXPECT_EQ(block.settings().calGas, 300);
    EXPECT_EQ(block.settings().switchOff, 600);
    bench.type({{"MaskEdit1", ""}, {"MaskEdit2", ""}, {"MaskEdit3", ""}, {"MaskEdit4", ""}});
    bench.click("Button28");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"300", "60", "120", "600"}));
    bench.click("Button25");
    EXPECT_EQ(block.savedSettings().calGas, 300);

    // Unsaved changes are undone by the reset, which reads everything back.
    bench.type({{"MaskEdit1", "111"}, {"MaskEdit2", "22"}});
    bench.click("Button27");
    EXPECT_EQ(block.settings().calGas, 111);
    bench.click("Button24");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"300", "60", "120", "600"}));

    // Propane has its own parameters; the defaults button follows the gas.
    bench.click("Button23");
    EXPECT_EQ(bench.text("GroupBox12"), "ПРОПАН");
    EXPECT_EQ(bench.texts({"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}),
              QStringList({"100", "20", "40", "200"}));
    bench.type({{"MaskEdit1", "9"}});
    bench.click("Button29");
    EXPECT_EQ(bench.text("MaskEdit1"), "100");
    EXPECT_TRUE(bench.messages.isEmpty());
}

TEST(SimulatedTks, SwitchingSetUpModeAndAlarms)
{
    SimulatedBench bench(1);
    bench.connect();
    bench.enter(page::Tks);
    const sim::ThermoBlockSim &block = *bench.instrument().thermo(3);

    bench.click("Button16");
    EXPECT_EQ(bench.text("Panel22"), "Режим настройки");
    EXPECT_EQ(bench.colour("Panel22"), Colour::Yellow);
    EXPECT_EQ(bench.text("Edit7"), " XXXX");
    bench.click("Button25"); // saving ends set-up mode on this block
    EXPECT_EQ(bench.text("Panel22"), "Рабочий режим");
    EXPECT_NE(bench.text("Edit7"), " XXXX");

    // Gas above every threshold.
    bench.instrument().setLevel(3, 700);
    bench.click("Button28");
    EXPECT_EQ(bench.text("Panel27"), "Превышение порога 1");
    EXPECT_EQ(bench.colour("Panel27"), Colour::Red);
    EXPECT_EQ(bench.text("Panel25"), "Превышение порога откл.");

    bench.click("Button15");
    EXPECT_EQ(bench.text("Panel21"), "Сенсор выключен");
    EXPECT_EQ(bench.colour("Panel21"), Colour::Red);
    EXPECT_EQ(bench.text("Panel27"), "");
    EXPECT_EQ(bench.text("Edit7"), " XXXX");

    // Zero adjustment refuses a switched-off sensor: the calibration stays.
    const int16_t uAir = block.settings().uAir;
    bench.instrument().setLevel(3, 0);
    bench.click("Button26");
    EXPECT_EQ(block.settings().uAir, uAir);

    bench.click("Button14");
    EXPECT_EQ(bench.text("Panel21"), "Сенсор включен");
    bench.click("Button26");
    EXPECT_NE(block.settings().uAir, uAir);
    EXPECT_EQ(bench.text("Edit5"), valueText(block.settings().uAir / 10.0));
}

TEST(SimulatedTksPgs, BothHalvesAndThresholdsThroughThePage)
{
    SimulatedBench bench(2);
    bench.connect();
    bench.enter(page::TksPgs);
    const sim::ThermoBlockSim &block = *bench.instrument().thermo(20);

    EXPECT_EQ(bench.text("Panel42"), "Версия 2.1");
    EXPECT_EQ(bench.text("GroupBox19"), "МЕТАН");
    EXPECT_EQ(bench.text("Panel45"), "Сенсор включен");
    EXPECT_EQ(bench.text("Panel56"), "Сенсор включен");
    EXPECT_EQ(bench.text("Panel57"), "Сенсор в норме");
    EXPECT_FALSE(bench.text("Panel52").isEmpty());
    EXPECT_FALSE(bench.text("Panel53").isEmpty());

    bench.click("Button56");
    EXPECT_EQ(bench.text("Panel56"), "Сенсор выключен");
    EXPECT_EQ(bench.colour("Panel56"), Colour::Red);
    EXPECT_EQ(bench.text("Panel45"), "Сенсор включен");
    bench.click("Button55");
    EXPECT_EQ(bench.text("Panel56"), "Сенсор включен");

    // The idle poll alternates 12 and 21 all along: the set commands still carry
    // the typed values to the block.
    for (int round = 0; round < 4; ++round) {
        bench.type({{"MaskEdit5", "260"}, {"MaskEdit6", "55"}});
        bench.click("Button47");
        EXPECT_EQ(block.settings().calGas, 260) << round;
        EXPECT_EQ(block.settings().threshold1, 55) << round;
        bench.type({{"MaskEdit7", "110"}, {"MaskEdit8", "520"}});
        bench.click("Button48");
        EXPECT_EQ(block.settings().threshold2, 110) << round;
        EXPECT_EQ(block.settings().switchOff, 520) << round;
    }
    bench.click("Button49");
    bench.type({{"MaskEdit5", "1"}, {"MaskEdit6", "2"}});
    bench.click("Button47");
    bench.click("Button54");
    EXPECT_EQ(bench.texts({"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"}),
              QStringList({"260", "55", "110", "520"}));

    bench.type({{"MaskEdit5", ""}});
    bench.click("Button53");
    EXPECT_EQ(bench.text("MaskEdit5"), "260");
    EXPECT_TRUE(bench.messages.isEmpty());
}

TEST(SimulatedPgs, ThresholdsTakenFromTheSensorSaveAndReset)
{
    SimulatedBench bench(4);
    bench.connect();
    bench.enter(page::Pgs);
    const sim::PgsSim &block = *bench.instrument().pgs();
    EXPECT_EQ(bench.text("Panel40"), "Версия 1.2");
    EXPECT_EQ(bench.text("GroupBox14"), "МЕТАН");
    EXPECT_EQ(bench.text("Panel38"), "");

    bench.click("Button40");
    EXPECT_EQ(bench.text("Panel38"), QString::number(block.thresholds().first));
    EXPECT_EQ(bench.text("Panel39"), QString::number(block.thresholds().second));

    // The block takes threshold 1 from the converter value at the present gas level.
    bench.instrument().setLevel(8, 15);
    bench.click("Button38");
    const int16_t taken = block.thresholds().first;
    EXPECT_EQ(bench.text("Panel38"), QString::number(taken));
    bench.click("Button33");

    bench.instrument().setLevel(8, 30);
    bench.click("Button38");
    EXPECT_NE(block.thresholds().first, taken);
    bench.click("Button34");
    bench.click("Button40");
    EXPECT_EQ(bench.text("Panel38"), QString::number(taken));

    bench.click("Button41");
    EXPECT_EQ(bench.text("GroupBox14"), "ПРОПАН");
    EXPECT_EQ(bench.text("Panel38"), QString::number(block.thresholds().first));
    bench.click("Button36");
    EXPECT_EQ(bench.text("Panel32"), "Сенсор выключен");
    EXPECT_EQ(bench.text("Panel41"), " XXXX");
}

TEST(SimulatedPressure, CalibrationPointsSaveAndReset)
{
    SimulatedBench bench(10);
    bench.connect();
    bench.enter(page::Pressure);
    EXPECT_EQ(bench.text("Panel158"), "");
    EXPECT_EQ(bench.texts({"MaskEdit42", "MaskEdit45"}), QStringList({"1800", "2000"}));
    EXPECT_EQ(bench.text("Edit27"), "  300");
    EXPECT_EQ(bench.text("Edit28"), "  2100");

    bench.type({{"MaskEdit42", "1500"}, {"MaskEdit45", "1900"}});
    bench.click("Button157");
    bench.type({{"MaskEdit42", ""}, {"MaskEdit45", ""}});
    bench.click("Button165");
    EXPECT_EQ(bench.texts({"MaskEdit42", "MaskEdit45"}), QStringList({"1500", "1900"}));
    bench.click("Button163"); // not saved: back to the factory values
    EXPECT_EQ(bench.texts({"MaskEdit42", "MaskEdit45"}), QStringList({"1800", "2000"}));

    bench.instrument().setLevel(17, 2500);
    bench.click("Button165");
    EXPECT_EQ(bench.text("Panel152"), "Превышение диапазона");
    EXPECT_EQ(bench.colour("Panel152"), Colour::Red);
    bench.click("Button155");
    EXPECT_EQ(bench.text("Panel158"), "Версия 1.1");
}

} // namespace
} // namespace zet::test
