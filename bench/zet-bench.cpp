// The benchmark: zet-bench [--seconds N] [--runs N] [--samples N]
// Prints one Markdown table: chart sample with repaint (the project's way and clear
// plus append), the receive tick of every page kind, one journal line written to
// SQLite and to PostgreSQL, start-up to first paint and peak memory against zet-floor,
// and the whole application's CPU polling and idle.
#include "AppRun.h"
#include "JournalWrite.h"
#include "Measure.h"
#include "Spawn.h"

#include "connection/PageIndex.h"
#include "platform/Platform.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace zet::bench;

struct Options {
    int seconds = 30;   // CPU measurements
    int runs = 15;      // start-up runs of each program
    int samples = 2000; // chart samples and receive ticks
};

void usage(FILE *out)
{
    std::fputs(
        "usage: zet-bench [--seconds N] [--runs N] [--samples N]\n"
        "Prints one table of measurements (offscreen by itself when there is no display).\n"
        "  --seconds N  length of each CPU measurement (default 30)\n"
        "  --runs N     start-up runs of the tool and of zet-floor, alternating (default 15)\n"
        "  --samples N  chart samples and receive ticks per row (default 2000); a tenth\n"
        "               of it (at least 20) journal lines\n",
        out);
}

struct Row {
    std::string measure, method, result, goal;
};

std::string fmt(const char *format, double a, double b = 0, double c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string ms(const Timing &t) { return fmt("%.3f ms", t.medianMs); }

struct PageKind {
    const char *name;
    int deviceType;
    int index;
};

const PageKind kPageKinds[] = {
    {"base unit", 10, zet::page::Base},
    {"pump", 10, zet::page::Pump},
    {"thermocatalytic (TKS)", 1, zet::page::Tks},
    {"TKS+PGS, two charts", 2, zet::page::TksPgs},
    {"semiconductor (PGS)", 4, zet::page::Pgs},
    {"optical methane 100 %", 10, zet::page::OpticMethane100},
    {"electrochemical (oxygen)", 10, zet::page::Oxygen},
    {"pressure", 10, zet::page::Pressure},
};

std::vector<Row> inProcess(const Options &o)
{
    std::vector<Row> rows;
    const Timing project = chartSample(o.samples, ChartWay::Project);
    const Timing replace = chartSample(o.samples, ChartWay::LibraryReplace);
    // Some 20 ms a sample: a tenth of the samples is plenty.
    const Timing naive = chartSample(std::max(50, o.samples / 10), ChartWay::LibraryClearAppend);
    const std::string chartMethod = "Chart1's look at 766 x 236, shown; posted events and the "
                                    "window's update request after each sample; median of ";
    auto against = [&](const Timing &t) {
        return ms(t) + fmt(" (%.1fx the project's)", t.medianMs / project.medianMs);
    };
    auto method = [&](const char *way, const Timing &t) {
        return std::string(way) + "; " + chartMethod + std::to_string(t.count);
    };
    rows.push_back({"Chart sample + repaint", method("TrendChart::addSample", project), ms(project),
                    "<= 0.25 ms"});
    rows.push_back({"Chart sample + repaint, library series replace()",
                    method("a line series in the chart, replace() with the 200 points", replace),
                    against(replace), ""});
    rows.push_back({"Chart sample + repaint, library series clear + append",
                    method("the same series, clear() then 200 append()", naive), against(naive),
                    ""});
    for (const PageKind &k : kPageKinds) {
        const Timing t = receiveTick(k.deviceType, k.index, o.samples / 4);
        rows.push_back({std::string("Receive tick, ") + k.name,
                        "Timer2Timer with one reply of the simulated type-" +
                            std::to_string(k.deviceType) +
                            " instrument waiting: read, check, decode, chart; median of " +
                            std::to_string(t.count),
                        ms(t), ""});
    }
    const int lines = std::max(20, o.samples / 10);
    const std::string journalMethod =
        "JournalStore::append to its confirmed signal, one line a transaction committed and "
        "synced; ";
    auto journalRow = [&](const char *measure, const std::string &where, const JournalTiming &j) {
        rows.push_back({measure, journalMethod + where + "; median of " + std::to_string(j.timing.count),
                        j.error.empty() ? ms(j.timing) : "not measured: " + j.error, ""});
    };
    journalRow("Journal line written, SQLite",
               "a file in a scratch folder, write-ahead log, synchronous=FULL",
               journalLineSqlite(lines));
    journalRow("Journal line written, PostgreSQL",
               "a PostgreSQL 15 server started for the run on 127.0.0.1, fsync on",
               journalLinePostgres(lines));
    int written = 0;
    const JournalTiming slow = receiveTickOnSlowStore(o.samples / 4, 200, &written);
    rows.push_back({"Receive tick, thermocatalytic (TKS), journal store held 200 ms a commit",
                    "Timer2Timer as above on the simulated type-1 instrument, a save clicked every "
                    "4th tick and journalled while another writer holds the SQLite journal 200 ms "
                    "at a time; " + std::to_string(written) + " lines confirmed; median of " +
                        std::to_string(slow.timing.count),
                    slow.error.empty() ? ms(slow.timing) : "not measured: " + slow.error,
                    "as without the journal"});
    double leaving = 0;
    const JournalTiming kept = stateKeptOnLeaving(40, &leaving);
    char plain[32];
    std::snprintf(plain, sizeof plain, "%.2f ms", leaving);
    rows.push_back({"Page left with its block's state to keep",
                    "TForm1::selectPage from the thermocatalytic page to the device list after a "
                    "save was answered there: the chart's picture and the queue to the store (its "
                    "PNG is made in the store's thread); median of " + std::to_string(kept.timing.count),
                    kept.error.empty() ? ms(kept.timing) : "not measured: " + kept.error,
                    std::string("as leaving with nothing to keep: ") + plain});
    const JournalTiming window = journalWindowOpening(100000);
    rows.push_back({"Journal window opening 100 000 lines",
                    "JournalWindow::showInstrument to the lines loaded, filtered and painted, "
                    "one instrument's 100 000 lines in a SQLite journal; median of " +
                        std::to_string(window.timing.count),
                    window.error.empty() ? ms(window.timing) : "not measured: " + window.error,
                    "< 1000 ms"});
    return rows;
}

std::vector<Row> children(const Options &o, const std::string &self, const std::string &floor)
{
    std::vector<double> appMs, floorMs, appMb, floorMb;
    for (int i = 0; i < o.runs; ++i) {
        const ChildRun a = runChild({self, "--app", "first-paint"});
        const ChildRun f = runChild({floor});
        if (a.ok && a.firstPaintMs > 0) {
            appMs.push_back(a.firstPaintMs);
            appMb.push_back(a.peakRssMb);
        }
        if (f.ok && f.firstPaintMs > 0) {
            floorMs.push_back(f.firstPaintMs);
            floorMb.push_back(f.peakRssMb);
        }
    }
    std::vector<Row> rows;
    const double am = median(appMs), fm = median(floorMs);
    const double amb = median(appMb), fmb = median(floorMb);
    const std::string runs = "median of " + std::to_string(appMs.size()) + " and " +
                             std::to_string(floorMs.size()) + " runs, alternating";
    rows.push_back({"Start-up to first paint",
                    "spawn to the end of the window's first paint: the tool as it starts "
                    "without options vs zet-floor (792 x 573 window, tab widget, one chart "
                    "view); " +
                        runs,
                    fmt("%.0f ms vs %.0f ms (%.2fx)", am, fm, am / fm), "<= 1.15x"});
    rows.push_back({"Peak memory at first paint",
                    "peak resident set (VmHWM) at the first paint, same runs",
                    fmt("%.1f MB vs %.1f MB (%.2fx)", amb, fmb, amb / fmb), ""});
    // CPU costs are a few wake-ups a second, easily swayed by the rest of the machine: the
    // programs take turns, and each row is the median of its turns.
    const int rounds = 3;
    const std::string turn = std::to_string(std::max(1, o.seconds / rounds));
    const std::string turns =
        std::to_string(rounds) + " turns of " + turn + " s each, taken in turn, median";
    std::vector<double> polling, barePolling;
    bool identified = true;
    for (int i = 0; i < rounds; ++i) {
        const ChildRun poll = runChild({self, "--app", "poll", turn});
        identified = identified && valueAfter(poll.output, "type") == 10;
        polling.push_back(valueAfter(poll.output, "cpu"));
        barePolling.push_back(valueAfter(runChild({floor, "--bare-poll", turn}).output, "cpu"));
    }
    rows.push_back({"CPU while polling",
                    "the whole tool polling the simulated type-10 instrument on the base page, "
                    "real timers, CPU time of all its threads / wall time; against a loop "
                    "without the toolkit that only wakes when the two ticks would; " +
                        turns,
                    identified ? fmt("%.2f %% vs %.2f %% (bare wake-ups) of a core",
                                     median(polling), median(barePolling))
                               : "not identified",
                    "<= 0.3 %"});
    std::vector<double> tool, timer, bare;
    for (int i = 0; i < rounds; ++i) {
        tool.push_back(valueAfter(runChild({self, "--app", "idle", turn}).output, "cpu"));
        timer.push_back(valueAfter(runChild({floor, "--idle", turn}).output, "cpu"));
        bare.push_back(valueAfter(runChild({floor, "--bare-idle", turn}).output, "cpu"));
    }
    rows.push_back({"CPU idle",
                    "the whole tool with no converter open, against zet-floor running one "
                    "empty 100 ms timer (the receive tick's period) and against a loop "
                    "without the toolkit that only wakes every 100 ms; " +
                        turns,
                    fmt("%.3f %% vs %.3f %% (empty timer) vs %.3f %% (bare wake-ups) of a core",
                        median(tool), median(timer), median(bare)),
                    "<= 0.05 %"});
    return rows;
}

int intArg(const char *text)
{
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 1 || v > 100000) {
        std::fprintf(stderr, "zet-bench: not a count: %s\n", text);
        std::exit(2);
    }
    return int(v);
}

} // namespace

int main(int argc, char **argv)
{
    zet::offscreenWithoutDisplay();
    // The application as a child of the benchmark.
    if (argc >= 3 && std::strcmp(argv[1], "--app") == 0) {
        const std::string what = argv[2];
        const int seconds = argc > 3 ? intArg(argv[3]) : 0;
        if (what == "first-paint")
            return runApp(argc, argv, AppRun::FirstPaint, 0);
        if (what == "poll")
            return runApp(argc, argv, AppRun::Poll, seconds);
        if (what == "idle")
            return runApp(argc, argv, AppRun::Idle, seconds);
        return 2;
    }
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            usage(stdout);
            return 0;
        }
        if (i + 1 >= argc || (a != "--seconds" && a != "--runs" && a != "--samples")) {
            usage(stderr);
            return 2;
        }
        const int v = intArg(argv[++i]);
        (a == "--seconds" ? o.seconds : a == "--runs" ? o.runs : o.samples) = v;
    }
    std::vector<Row> rows;
    {
        QApplication app(argc, argv);
        rows = inProcess(o);
        const std::string dir = QCoreApplication::applicationDirPath().toStdString();
        const std::string self = QCoreApplication::applicationFilePath().toStdString();
        const std::vector<Row> more = children(o, self, dir + "/zet-floor");
        rows.insert(rows.end(), more.begin(), more.end());
    }
    std::printf("| Measure | Method | Result | Goal |\n|---|---|---|---|\n");
    for (const Row &r : rows)
        std::printf("| %s | %s | %s | %s |\n", r.measure.c_str(), r.method.c_str(),
                    r.result.c_str(), r.goal.c_str());
    return 0;
}
