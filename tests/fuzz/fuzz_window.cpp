// Fuzzes the main window over the scripted driver: an instrument type, page
// switches, and whatever the line delivers, with ticks in between and no clicks.
// Every frame written must be sealed, and carry only a code the tool sends
// without being asked (status, identification, a page's entry, focus and idle codes).
#include "ScriptedDriver.h"
#include "UnaskedCodes.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QTabWidget>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace zet;
using namespace zet::test;

namespace {

struct Window {
    ScriptedDriver driver;
    std::unique_ptr<TForm1> form;
    size_t checked = 0; // writes already checked

    Window()
    {
        driver.rows = {{"USB <-> Serial", "FT1"}};
        Platform p;
        p.message = [](MessageKind, const QString &) {};
        p.sleepMs = [](int) {};
        p.processEvents = [] {};
        p.now = [] { return QDateTime(QDate(2026, 1, 1), QTime(12, 0)); };
        form = std::make_unique<TForm1>(driver, p);
    }

    void checkWrites()
    {
        for (; checked < driver.writes.size(); ++checked) {
            const QByteArray &w = driver.writes[checked];
            if (w.size() != kFrameSize)
                abort();
            const auto *f = reinterpret_cast<const uint8_t *>(w.constData());
            if (checkByte(f) != f[7]) {
                std::fprintf(stderr, "unsealed frame\n");
                abort();
            }
            if (!sentWithoutClick(f[0], f[1])) {
                std::fprintf(stderr, "unasked code %d to address %d\n", f[1], f[0]);
                abort();
            }
        }
    }
};

const int kTypes[] = {1, 2, 3, 4, 5, 6, 7, 9, 10};

// Frames (valid, spoilt or loose bytes) put on the line over the whole run.
uint64_t g_frames = 0;
void reportFrames() { std::fprintf(stderr, "frames fuzzed: %llu\n", (unsigned long long)g_frames); }

struct Input {
    const uint8_t *data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    std::atexit(reportFrames);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One window for the whole run: building fourteen pages per input would cost
    // more than the input. Each input opens the converter afresh. It is never torn
    // down: at exit Qt's own globals may already be gone.
    static Window &w = *new Window;
    Input in{data, size};
    auto *list = w.form->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    list->setCurrentItem(list->topLevelItem(0));
    w.form->ListView1DblClick();
    w.driver.rx.clear();
    // The driver records every call and write: keep only this input's.
    w.driver.clearLog();
    w.checked = 0;
    const int type = kTypes[in.next() % std::size(kTypes)];
    w.driver.queueReply({0, 9, 0, 0, uint8_t(type), in.next(), in.next()});
    w.form->Timer2Timer();

    while (in.more()) {
        const uint8_t op = in.next() % 6;
        g_frames += op >= 3;
        switch (op) {
        case 0:
            w.form->Timer1Timer();
            w.checkWrites();
            break;
        case 1:
            w.form->Timer2Timer();
            break;
        case 2: { // a tab the user can click
            QTabWidget *tabs = w.form->pageControl();
            const int index = in.next() % page::Count;
            if (tabs->isTabVisible(index) && tabs->isTabEnabled(index))
                w.form->selectPage(index);
            break;
        }
        case 3: { // a valid frame
            Frame f{};
            for (int i = 0; i < 7; ++i)
                f[size_t(i)] = in.next();
            f[0] %= 32;
            // A re-identification names a known type: an unknown one ends the program.
            if (f[0] == 0 && f[1] == cmd::Identify)
                f[4] = uint8_t(kTypes[f[4] % std::size(kTypes)]);
            w.driver.queueReply(f);
            break;
        }
        case 4: // loose bytes
            for (uint8_t n = in.next() % 12; n > 0; --n)
                w.driver.rx.push_back(in.next());
            break;
        default: { // a frame with a wrong check byte
            Frame f{};
            for (int i = 0; i < 7; ++i)
                f[size_t(i)] = in.next();
            f[7] = uint8_t(checkByte(f) ^ (in.next() | 1));
            w.driver.queueFrame(f);
            break;
        }
        }
    }
    w.form->Timer1Timer();
    w.checkWrites();
    return 0;
}
