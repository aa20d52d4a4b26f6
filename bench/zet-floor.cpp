// The floor for start-up and memory: what any Qt Widgets program with this window's
// size, a tab widget and one chart view costs. Runs to its first paint and exits.
#include "FirstPaint.h"

#include <QApplication>
#include <QChartView>
#include <QTabWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(792, 573);
    auto *tabs = new QTabWidget(&window);
    tabs->setGeometry(0, 0, 792, 573);
    tabs->addTab(new QChartView, QStringLiteral("Chart"));
    zet::bench::FirstPaint done(&window);
    window.show();
    return app.exec();
}
