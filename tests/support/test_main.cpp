// Test entry: one QApplication for the whole binary, Qt warnings made visible and
// fatal for our own code, and a fixed locale so number texts are predictable.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

static void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    std::fprintf(stderr, "[qt %d] %s\n", int(type), qPrintable(msg));
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qInstallMessageHandler(messageHandler);
    // The service journal of every test goes to a scratch folder, never the user's.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
