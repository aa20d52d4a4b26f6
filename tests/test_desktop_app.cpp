// The tool as a desktop program: its command line, where an installed copy finds its
// pictures, its icon, and chart axes that follow the user's locale.
#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "pages/TrendChart.h"
#include "platform/Platform.h"

#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLocale>
#include <gtest/gtest.h>

using namespace zet;

namespace {

using Action = CommandLine::Action;

struct ArgsCase {
    QStringList args; // after the program name
    Action action;
    int demoType;
    QStringList ports;
    const char *text; // a part of the printed text; "" when nothing is printed
};

TEST(CommandLine, OptionsValuesAndRefusals)
{
    const ArgsCase cases[] = {
        {{}, Action::Run, 0, {}, ""},
        {{"--demo"}, Action::Run, 10, {}, ""},
        {{"--demo", "3"}, Action::Run, 3, {}, ""},
        {{"--demo=3"}, Action::Run, 3, {}, ""},
        {{"--demo", "8"}, Action::Run, 8, {}, ""},
        {{"--demo", "--port", "/dev/ttyACM0"}, Action::Run, 10, {"/dev/ttyACM0"}, ""},
        {{"--port", "/dev/pts/4", "--port=/dev/ttyS0", "--demo=1"},
         Action::Run,
         1,
         {"/dev/pts/4", "/dev/ttyS0"},
         ""},
        {{"--demo", "0"},
         Action::Fail,
         0,
         {},
         "zet-service: --demo: тип прибора должен быть числом от 1 до 10, а не «0»\n"},
        {{"--demo", "11"}, Action::Fail, 0, {}, "а не «11»"},
        {{"--demo=x"}, Action::Fail, 0, {}, "а не «x»"},
        {{"--demo="}, Action::Fail, 0, {}, "а не «»"},
        {{"--port"}, Action::Fail, 0, {}, "--port: не указан путь к порту"},
        {{"--port="}, Action::Fail, 0, {}, "--port: не указан путь к порту"},
        {{"--bogus"}, Action::Fail, 0, {}, "неизвестный параметр «--bogus»"},
        {{"--demo", "3", "5"}, Action::Fail, 0, {}, "неизвестный параметр «5»"},
        {{"--version"}, Action::Print, 0, {}, "zet-service 1.0\n"},
        {{"-v"}, Action::Print, 0, {}, "zet-service 1.0\n"},
        {{"--help"}, Action::Print, 0, {}, "Использование: zet-service"},
        {{"--demo=0", "-h"}, Action::Fail, 0, {}, "а не «0»"},
        {{"-h", "--demo=0"}, Action::Print, 0, {}, "Использование: zet-service"},
        {{"--list", "--doctor"}, Action::Fail, 0, {}, "--list и --doctor вместе не указываются"},
        {{"--journal"}, Action::Fail, 0, {}, "--journal: не указано место журнала"},
        {{"--journal-csv", "1234"}, Action::Fail, 0, {}, "укажите заводской номер и файл"},
        {{"--journal-csv", "ЗЕТ", "a.csv"}, Action::Fail, 0, {}, "числом, а не «ЗЕТ»"},
    };
    for (const ArgsCase &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine got = parseCommandLine(QStringList{"zet-service"} + c.args);
        EXPECT_EQ(got.action, c.action);
        EXPECT_EQ(got.exitCode, c.action == Action::Fail ? 2 : 0);
        EXPECT_TRUE(got.text.contains(QString::fromUtf8(c.text))) << got.text.toStdString();
        if (c.action == Action::Fail) {
            EXPECT_TRUE(got.text.startsWith("zet-service: ") &&
                        got.text.endsWith("Справка: zet-service --help\n"))
                << got.text.toStdString();
        }
        if (c.action == Action::Run) {
            EXPECT_EQ(got.demoType, c.demoType);
            EXPECT_EQ(got.ports, c.ports);
            EXPECT_TRUE(got.text.isEmpty());
        }
    }
}

TEST(CommandLine, BeforeTheToolkitTakesItsOptionsOnlyOurOwnAreJudged)
{
    const QStringList args = {"zet-service", "-platform", "offscreen", "--demo", "4"};
    const CommandLine passed = parseCommandLine(args, UnknownArguments::PassOver);
    EXPECT_EQ(passed.action, Action::Run);
    EXPECT_EQ(passed.demoType, 4);
    EXPECT_EQ(parseCommandLine(args).action, Action::Fail);
    EXPECT_EQ(
        parseCommandLine({"zet-service", "-style", "x", "--demo=99"}, UnknownArguments::PassOver)
            .action,
        Action::Fail);
}

TEST(CommandLine, HelpListsEveryInstrumentTypeAndWhatTypeEightDoes)
{
    const QString help = usageText();
    for (const char *line : {"   1  База ЗЕТ-71: Блок ТКС\n", "   4  База ЗЕТ-73: Блок ПГС\n",
                             "   7  База ЗЕТ-74: Кислород\n",
                             "   8  неизвестный прибор: программа сообщит об этом и закроется",
                             "  10  База ЗЕТ 75: Оптика метан 100%, Оптика CO2 2,5%,"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(line))) << line;
    for (const char *option :
         {"--port ПУТЬ", "--demo [ТИП]", "--demo=ТИП", "--list", "--doctor", "--help", "--version"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option;
    for (const QString &line : help.split('\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST(InstalledTree, PicturesAreLookedForBesideTheProgramThenInItsShareFolder)
{
    EXPECT_EQ(pictureDirectories("/home/u/opt/zet/bin"),
              (QStringList{"/home/u/opt/zet/bin", "/home/u/opt/zet/share/zet-service"}));
    EXPECT_EQ(pictureDirectories("/usr/bin"), (QStringList{"/usr/bin", "/usr/share/zet-service"}));
}

TEST(AppIcon, DrawnAtDesktopSizesWithAClearBackground)
{
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << "corner left clear";
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << "the instrument itself";
    }
}

// The labels the chart draws on its axes, once laid out.
QStringList axisLabels(TrendChart &chart)
{
    chart.resize(360, 440);
    chart.grab();
    QStringList labels;
    for (QGraphicsItem *item : chart.scene()->items())
        if (auto *text = dynamic_cast<QGraphicsTextItem *>(item))
            if (!text->toPlainText().isEmpty())
                labels << text->toPlainText();
    return labels;
}

TEST(TrendChartAxes, NumbersFollowTheLocaleLikeThePanels)
{
    // Chart 3 runs from -10 to 2500: its inner ticks fall on halves.
    const QLocale saved;
    {
        TrendChart russian(3);
        const QStringList labels = axisLabels(russian);
        EXPECT_TRUE(labels.contains("617,5")) << labels.join(' ').toStdString();
        EXPECT_TRUE(labels.contains("1872,5")) << "no digit grouping";
        EXPECT_TRUE(labels.contains("-10"));
        EXPECT_TRUE(labels.contains("200")) << "sample axis";
    }
    QLocale::setDefault(QLocale::c());
    {
        TrendChart c(3);
        const QStringList labels = axisLabels(c);
        EXPECT_TRUE(labels.contains("617.5")) << labels.join(' ').toStdString();
    }
    QLocale::setDefault(saved);
}

} // namespace
