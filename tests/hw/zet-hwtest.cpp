// zet-hwtest: the tool against a real converter and instrument. It lists the converters
// as the tool does (the kernel's usb-serial bus, the udev watcher), drives the real main
// window over Qt SerialPort with its real timers (double-click, identification, every
// page of the instrument, a reversible command) and checks what the engineer would see
// and what the instrument answered. With --unplug it also asks for the cable to be
// pulled out and plugged in again, and checks that the window closes the connection
// and rebuilds its list from the udev events alone.
//
// Exit status: 0 all checks passed, 1 a check failed, 2 bad arguments, 77 no converter
// (the run is skipped).

#include "app/Application.h"
#include "connection/PollCycle.h"
#include "link/DeviceWatcher.h"
#include "link/SerialPortDriver.h"
#include "pages/ModulePage.h"
#include "pages/PageTable.h"
#include "pages/TrendChart.h"
#include "platform/Platform.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

using namespace zet;

namespace {

constexpr int kSkipped = 77;

struct Options {
    QStringList ports;
    QString sysRoot = QStringLiteral("/sys");
    QString serial;              // the row to open; the first row when empty
    QString expectDescription;   // the row must show these, when given
    QString expectSerial;
    bool unplug = false;         // also pull the cable out and plug it in again
    bool expectRefused = false;  // opening must fail for lack of permission
    int timeScale = 1;           // waits are this many times longer (a slow machine)
};

const char kUsage[] =
    "Использование: zet-hwtest [ПАРАМЕТРЫ]\n"
    "Проверка программы с настоящим преобразователем FTDI и прибором: список устройств,\n"
    "открытие порта, опознание прибора, опрос каждой его страницы и команда «Режим теста»\n"
    "с возвратом в «Рабочий режим» на странице базового блока.\n"
    "\n"
    "  --unplug               затем попросить отключить кабель и подключить снова и\n"
    "                         проверить закрытие связи и новый список по событиям udev\n"
    "  --serial НОМЕР         открыть преобразователь с этим серийным номером\n"
    "                         (по умолчанию первый в списке)\n"
    "  --expect-description ТЕКСТ, --expect-serial ТЕКСТ\n"
    "                         строка списка должна показывать эти обозначение и номер\n"
    "  --expect-refused       открытие должно быть отклонено из-за прав доступа,\n"
    "                         а сообщение должно назвать порт и способ это исправить\n"
    "  --port ПУТЬ            добавить последовательный порт, который не является\n"
    "                         преобразователем FTDI (например, порт zet-sim)\n"
    "  --sysfs КАТАЛОГ        где искать преобразователи вместо /sys (для проверок)\n"
    "  --slow N               ждать в N раз дольше (медленная машина)\n"
    "  -h, --help             показать эту справку\n"
    "\n"
    "Код выхода: 0 все проверки прошли, 1 проверка не прошла, 2 неверные параметры,\n"
    "77 преобразователь не найден (проверка пропущена).\n";

void say(const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// Returns -1 to run, otherwise the exit status.
int parse(const QStringList &args, Options &o)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto value = [&](QString &out) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
                return false;
            out = args.at(++i);
            return true;
        };
        QString v;
        bool ok = true;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == QLatin1String("--unplug")) {
            o.unplug = true;
        } else if (a == QLatin1String("--expect-refused")) {
            o.expectRefused = true;
        } else if (a == QLatin1String("--port")) {
            ok = value(v);
            o.ports << v;
        } else if (a == QLatin1String("--sysfs")) {
            ok = value(o.sysRoot);
        } else if (a == QLatin1String("--serial")) {
            ok = value(o.serial);
        } else if (a == QLatin1String("--expect-description")) {
            ok = value(o.expectDescription);
        } else if (a == QLatin1String("--expect-serial")) {
            ok = value(o.expectSerial);
        } else if (a == QLatin1String("--slow")) {
            ok = value(v);
            o.timeScale = v.toInt(&ok);
            ok = ok && o.timeScale >= 1 && o.timeScale <= 100;
        } else {
            std::fprintf(stderr, "zet-hwtest: неизвестный параметр «%s»\n", qPrintable(a));
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "zet-hwtest: %s: нет значения или оно неверно\n", qPrintable(a));
            return 2;
        }
    }
    return -1;
}

// Valid replies per block and code, as the poll cycle read them.
class ReplyTally : public LineObserver {
public:
    void frameRead(const Frame &f, bool valid) override
    {
        if (valid)
            ++counts_[{f[0], f[1]}];
    }
    int count(int block, int code) const
    {
        const auto it = counts_.find({block, code});
        return it == counts_.end() ? 0 : it->second;
    }
    void clear() { counts_.clear(); }

private:
    std::map<std::pair<int, int>, int> counts_;
};

class Run {
public:
    Run(Options options, FtDriver &driver, DeviceChangeSource *watcher)
        : opt_(std::move(options)), form_(driver, platform(), watcher)
    {
        form_.pollCycle().addObserver(&tally_);
        list_ = form_.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    }

    int failures() const { return failures_; }

    void check(bool good, const QString &what, const QString &detail = {})
    {
        if (good) {
            say(QStringLiteral("ок: ") + what);
        } else {
            ++failures_;
            say(QStringLiteral("ОШИБКА: ") + what + (detail.isEmpty() ? QString() : " — " + detail));
        }
    }

    // The row to open, or null when the list does not show it.
    QTreeWidgetItem *row() const
    {
        for (int i = 0; i < list_->topLevelItemCount(); ++i) {
            QTreeWidgetItem *r = list_->topLevelItem(i);
            if (opt_.serial.isEmpty() || r->text(2) == opt_.serial)
                return r;
        }
        return nullptr;
    }

    bool listed()
    {
        QTreeWidgetItem *r = row();
        if (!r) {
            check(false, QStringLiteral("преобразователь в списке устройств"),
                  QStringLiteral("строк в списке: %1").arg(list_->topLevelItemCount()));
            return false;
        }
        const QString shown = r->text(0) + " | " + r->text(1) + " | " + r->text(2);
        bool good = true;
        if (!opt_.expectDescription.isEmpty())
            good = good && r->text(1) == opt_.expectDescription;
        if (!opt_.expectSerial.isEmpty())
            good = good && r->text(2) == opt_.expectSerial;
        check(good, QStringLiteral("в списке: ") + shown,
              QStringLiteral("ожидалось обозначение «%1» и номер «%2»")
                  .arg(opt_.expectDescription, opt_.expectSerial));
        // The same converter is looked for after an unplug.
        if (opt_.serial.isEmpty())
            opt_.serial = r->text(2);
        return good;
    }

    // Double-clicks the row; true when the port is open.
    bool open()
    {
        QTreeWidgetItem *r = row();
        list_->setCurrentItem(r);
        r->setSelected(true);
        const qsizetype before = messages_.size();
        form_.ListView1DblClick();
        const QString expected = QStringLiteral("Открыт USB порт   ") + r->text(1) +
                                 QStringLiteral("   № ") + r->text(2);
        const bool good = form_.session().deviceOpen && messages_.size() == before &&
                          text("Panel1") == expected;
        check(good, QStringLiteral("порт открыт: «%1»").arg(text("Panel1")),
              messages_.mid(before).join(QStringLiteral(" / ")));
        return good;
    }

    // Opening must fail with the permission message, naming the port and a remedy.
    void refused(const QString &device)
    {
        QTreeWidgetItem *r = row();
        list_->setCurrentItem(r);
        r->setSelected(true);
        form_.ListView1DblClick();
        const QString message = messages_.join(QStringLiteral("\n"));
        check(!form_.session().deviceOpen, QStringLiteral("порт не открыт"));
        check(messages_.size() == 1, QStringLiteral("одно сообщение об ошибке"),
              QStringLiteral("сообщений: %1").arg(messages_.size()));
        check(message.contains(device) && message.contains(QStringLiteral("dialout")) &&
                  message.contains(QStringLiteral("70-zet-service.rules")),
              QStringLiteral("сообщение называет порт %1 и способы дать доступ").arg(device),
              message);
    }

    bool identified()
    {
        // Identification clears "Поиск прибора ..."; the type of an instrument identified
        // before the last unplug does not count.
        const bool good = waitFor(
            [&] { return text("Label1").isEmpty() && form_.session().deviceType != 0; }, 10000);
        check(good && form_.session().deviceOpen,
              QStringLiteral("прибор опознан: %1, «%2»")
                  .arg(form_.pageControl()->tabText(page::Base), text("Panel2")),
              QStringLiteral("надпись: «%1»").arg(text("Label1")));
        return good;
    }

    // Selects every page the instrument has and waits for its block's status replies and
    // a point on its chart.
    void pollPages()
    {
        QTabWidget *tabs = form_.pageControl();
        for (int index = page::Base; index < page::Count; ++index) {
            if (!tabs->isTabVisible(index))
                continue;
            const int block = pageRow(index).block;
            form_.selectPage(index);
            tally_.clear();
            ModulePage *p = form_.page(index);
            const auto charts = p->findChildren<TrendChart *>();
            auto charted = [&] {
                for (const TrendChart *c : charts)
                    if (c->ring().count() > 0)
                        return true;
                return charts.isEmpty();
            };
            const bool good = waitFor(
                [&] { return tally_.count(block, cmd::Status) >= 3 && charted(); }, 20000);
            const QLabel *silent = form_.findChild<QLabel *>(QStringLiteral("NoAnswer"));
            check(good && !silent->isVisible() && form_.session().deviceOpen,
                  QStringLiteral("страница «%1» опрошена: ответов блока %2 на опрос состояния: %3")
                      .arg(tabs->tabText(index))
                      .arg(block)
                      .arg(tally_.count(block, cmd::Status)),
                  silent->isVisible() ? QStringLiteral("«Нет ответа от прибора»") : QString());
        }
    }

    // Test mode and back on the base page: the instrument's own status shows each.
    void testModeRoundTrip()
    {
        form_.selectPage(page::Base);
        auto press = [&](const char *button, const char *panel) {
            form_.findChild<QPushButton *>(QString::fromLatin1(button))->click();
            const QString want = QString::fromUtf8(panel);
            const bool good = waitFor([&] { return text("Panel7") == want; }, 10000);
            check(good, QStringLiteral("«%1»: прибор сообщает «%2»")
                            .arg(form_.findChild<QPushButton *>(QString::fromLatin1(button))->text(),
                                 text("Panel7")));
        };
        press("Button3", "Режим теста");
        press("Button4", "Режим теста не активен");
    }

    // The cable is pulled out while the page is polled, then plugged in again.
    bool unplugAndReplug()
    {
        const qsizetype before = messages_.size();
        say(QStringLiteral(">>> ОТКЛЮЧИТЕ кабель преобразователя от USB (ждём до %1 с)")
                .arg(60 * opt_.timeScale));
        const bool closed = waitFor([&] { return !form_.session().deviceOpen; }, 60000);
        check(closed && !form_.timer1()->isActive(), QStringLiteral("связь закрыта"));
        if (!closed)
            return false;
        // The list is rebuilt after the device-change wait; the converter is gone from it.
        const bool rebuilt = waitFor(
            [&] { return text("Panel1") == QStringLiteral("Список обновлен!") && !row(); }, 30000);
        check(rebuilt, QStringLiteral("список перестроен без преобразователя: «%1»").arg(text("Panel1")));
        check(messages_.size() - before <= 1,
              QStringLiteral("не больше одного сообщения (%1)").arg(messages_.size() - before),
              messages_.mid(before).join(QStringLiteral(" / ")));
        say(QStringLiteral(">>> ПОДКЛЮЧИТЕ кабель преобразователя снова (ждём до %1 с)")
                .arg(60 * opt_.timeScale));
        // Nothing but the udev event rebuilds the list: no click on "Обновить".
        const bool back = waitFor([&] { return row() != nullptr; }, 60000);
        check(back, QStringLiteral("список перестроен по событию udev, без нажатия кнопки"));
        return back && listed();
    }

    QString text(const char *name) const
    {
        const QLabel *l = form_.findChild<QLabel *>(QString::fromLatin1(name));
        return l ? l->text() : QString();
    }

private:
    Platform platform()
    {
        Platform p = Platform::desktop();
        // A message is printed, not shown: nobody may be at the screen.
        p.message = [this](MessageKind, const QString &text) {
            messages_ << text;
            say(QStringLiteral("сообщение: ") + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        };
        return p;
    }

    bool waitFor(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > qint64(timeoutMs) * opt_.timeScale)
                return false;
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return true;
    }

    Options opt_;
    QStringList messages_;
    ReplyTally tally_;
    TForm1 form_;
    QTreeWidget *list_ = nullptr;
    int failures_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    Options opt;
    if (const int status = parse(raw, opt); status >= 0)
        return status;
    offscreenWithoutDisplay();
    QApplication app(argc, argv);
    prepareApplication();

    const QString sysRoot = opt.sysRoot;
    const std::vector<SerialPortDriver::Row> converters =
        SerialPortDriver::converterRows(SerialPortDriver::sysfsPorts(sysRoot));
    if (converters.empty() && opt.ports.isEmpty()) {
        say(QStringLiteral("ПРОПУСК: преобразователь FTDI не найден: на шине usb-serial (%1/bus/"
                           "usb-serial/devices) нет порта с кодом производителя 0403. Подключите "
                           "кабель прибора; «zet-service --doctor» объяснит, почему его не видно.")
                .arg(sysRoot));
        return kSkipped;
    }
    SerialPortDriver driver(opt.ports, true, [sysRoot] {
        return SerialPortDriver::sysfsPorts(sysRoot);
    });
    UdevDeviceWatcher watcher;
    if (opt.unplug && !watcher.isWatching()) {
        say(QStringLiteral("ОШИБКА: udev недоступен: без его событий список не обновится сам"));
        return 1;
    }
    Run run(opt, driver, &watcher);
    if (!run.listed())
        return 1;
    if (opt.expectRefused) {
        // The port behind the row, which the permission message must name.
        const QByteArray key = run.row()->text(2).toUtf8();
        QString device;
        for (const SerialPortDriver::Row &r :
             SerialPortDriver::listRows(SerialPortDriver::sysfsPorts(sysRoot), opt.ports))
            if (r.serial == key)
                device = r.location;
        run.refused(device);
        return run.failures() == 0 ? 0 : 1;
    }
    if (run.open() && run.identified()) {
        run.pollPages();
        run.testModeRoundTrip();
        if (opt.unplug && run.unplugAndReplug() && run.open() && run.identified())
            run.pollPages();
    }
    say(run.failures() == 0 ? QStringLiteral("Все проверки прошли.")
                            : QStringLiteral("Проверок не прошло: %1.").arg(run.failures()));
    return run.failures() == 0 ? 0 : 1;
}
