// The LMP91000 front end of the electrochemical pages against the simulated
// instrument: registers read, changed, written and read back through the window,
// and a write the block refuses while its registers are protected.

#include "ElectroBlockSim.h"
#include "SimHarness.h"
#include "pages/Widgets.h"

#include <QRadioButton>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace zet::test {
namespace {

struct Case {
    int type, index, block;
    const char *read, *write, *status, *concentration, *tia, *bias;
};

// R_TIA and Смещение of each page.
const Case kCases[] = {
    {10, page::HydrogenSulphide, 24, "Button129", "Button130", "Panel124", "Panel133",
     "RadioGroup18", "RadioGroup22"},
    {7, page::Oxygen, 22, "Button74", "Button75", "Panel79", "Panel83", "RadioGroup2",
     "RadioGroup6"},
};

TEST(SimulatedFrontEnd, ReadChangeWriteReadBackAndAProtectedWriteRefused)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.type);
        SimHarness s(c.type);
        s.driver.instrument().setWander(false);
        ASSERT_TRUE(s.connect());
        sim::ElectroBlockSim &block = *s.driver.instrument().electro(c.block);
        s.select(c.index);
        s.run(3000);
        EXPECT_FALSE(s.text(c.concentration).isEmpty());
        auto group = [&](const char *name) {
            return s.form->findChild<RadioGroup *>(QString::fromLatin1(name));
        };
        const std::array<uint8_t, 3> factory = block.frontEnd();
        EXPECT_EQ(group(c.tia)->itemIndex(), (factory[0] >> 2) & 7) << "from the version reply";

        s.click(c.read);
        s.run(1000);
        EXPECT_EQ(s.text(c.status), "Статус: Запись разрешена");
        group(c.tia)->button(6)->click();   // 120,0 кОм
        group(c.bias)->button(13)->click(); // 24%
        s.click(c.write);
        s.run(1000);
        const std::array<uint8_t, 3> written = {uint8_t((factory[0] & 0x03) | 6 << 2),
                                                uint8_t((factory[1] & 0xF0) | 13), factory[2]};
        EXPECT_EQ(block.frontEnd(), written);
        group(c.tia)->setItemIndex(0);
        group(c.bias)->setItemIndex(0);
        s.click(c.read);
        s.run(1000);
        EXPECT_EQ(group(c.tia)->itemIndex(), 6);
        EXPECT_EQ(group(c.bias)->itemIndex(), 13);

        block.setWriteProtected(true);
        group(c.tia)->button(1)->click();
        s.click(c.write);
        s.run(1000);
        EXPECT_EQ(s.text(c.status), "Статус: Запись защищена");
        EXPECT_EQ(block.frontEnd(), written);
        EXPECT_EQ(group(c.tia)->itemIndex(), 6) << "the page shows what the block kept";
        EXPECT_TRUE(s.capture.messages.isEmpty());
    }
}

} // namespace
} // namespace zet::test
