// zet-sim: serves the simulated instrument on a pseudo-terminal, so that the
// tool's real serial path can be exercised end to end:
//   zet-sim --type 10          -> "zet-sim: instrument type 10 on /dev/pts/5"
//   zet-service --port /dev/pts/5
// or joins a Unix stream socket instead (--socket PATH), such as the character device of
// a virtual machine's emulated USB-serial converter.

#include "FaultInjector.h"
#include "FrameAssembler.h"
#include "Instrument.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace zet;
using namespace zet::sim;

namespace {

// After a switch-off, the first request following this much silence finds the
// instrument switched on again (the engineer pressed its power button).
constexpr int64_t kPowerOnSilenceMs = 2000;
// With --next-type, the first request after this much silence (longer than any pause of
// a connected tool, shorter than its wait after a device change) reaches the next
// instrument: the converter was plugged into another one meanwhile.
constexpr int64_t kNextInstrumentSilenceMs = 4000;

struct Options {
    int type = 10;
    long serial = -1;
    uint32_t seed = 1;
    bool steady = false;
    bool verbose = false;
    int minDelayMs = 10;
    int maxDelayMs = 40;
    int linkErrorPercent = 0;
    std::string socketPath; // serve on this Unix socket instead of a pseudo-terminal
    int nextType = 0;       // the instrument found after a long silence; 0: none
    FaultPlan faults;
};

void usage(FILE *out)
{
    std::fputs("usage: zet-sim [options]\n"
               "Serves a simulated instrument on a pseudo-terminal and prints its path.\n"
               "  --type N           device type 1..10 (default 10)\n"
               "  --serial N         instrument serial number 0..65535\n"
               "  --seed N           seed for noise, delays and faults (default 1)\n"
               "  --steady           no wandering gas levels or battery flags\n"
               "  --delay MIN-MAX    reply delay in ms (default 10-40)\n"
               "  --drop-every N     drop every N-th reply\n"
               "  --corrupt-every N  spoil the check byte of every N-th reply\n"
               "  --stray-every N    add a stray byte to every N-th reply\n"
               "  --lose-every N     lose one byte of every N-th reply\n"
               "  --late-every N     delay every N-th reply by --late-ms (default 500)\n"
               "  --late-ms N\n"
               "  --link-errors P    P percent of the optical blocks' replies report a\n"
               "                     broken link to their sensor module (default 0)\n"
               "  --socket PATH      join the Unix stream socket PATH (a virtual machine's\n"
               "                     serial character device) instead of a pseudo-terminal;\n"
               "                     ends when the other side closes it\n"
               "  --next-type N      after 4 s without requests (the converter unplugged),\n"
               "                     an instrument of type N answers (default: none)\n"
               "  --verbose          log requests and replies on stderr\n"
               "After a switch-off the instrument stays silent until requests resume after\n"
               "two seconds of quiet. On the multiplexer bench the base unit takes the sensor\n"
               "type the bench window sends and carries that type's blocks; sockets 8, 16,\n"
               "24 and 32 are empty, and the sensor blocks are silent while one is selected.\n",
               out);
}

bool parseLong(std::string_view text, long lo, long hi, long &value)
{
    const std::string s(text);
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || errno != 0 || *end != '\0' || v < lo || v > hi)
        return false;
    value = v;
    return true;
}

// Returns 0 to run, otherwise the exit code.
int parse(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return -1;
        }
        if (arg == "--steady") {
            o.steady = true;
            continue;
        }
        if (arg == "--verbose" || arg == "-v") {
            o.verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "zet-sim: %s needs a value\n", argv[i]);
            return 2;
        }
        const std::string_view val = argv[++i];
        long v = 0;
        bool ok = true;
        if (arg == "--type") {
            ok = parseLong(val, 0, 255, v);
            o.type = int(v);
        } else if (arg == "--serial") {
            ok = parseLong(val, 0, 65535, v);
            o.serial = v;
        } else if (arg == "--seed") {
            ok = parseLong(val, 0, 0xFFFFFFFFl, v);
            o.seed = uint32_t(v);
        } else if (arg == "--delay") {
            const auto dash = val.find('-');
            long lo = 0, hi = 0;
            ok = dash != std::string_view::npos && parseLong(val.substr(0, dash), 0, 10000, lo) &&
                 parseLong(val.substr(dash + 1), lo, 10000, hi);
            o.minDelayMs = int(lo);
            o.maxDelayMs = int(hi);
        } else if (arg == "--late-ms") {
            ok = parseLong(val, 0, 60000, v);
            o.faults.lateMs = int(v);
        } else if (arg == "--next-type") {
            ok = parseLong(val, 1, 255, v);
            o.nextType = int(v);
        } else if (arg == "--socket") {
            ok = !val.empty() && val.size() < sizeof(sockaddr_un::sun_path);
            o.socketPath = std::string(val);
        } else if (arg == "--link-errors") {
            ok = parseLong(val, 0, 100, v);
            o.linkErrorPercent = int(v);
        } else {
            FaultRule *rule = arg == "--drop-every"      ? &o.faults.drop
                              : arg == "--corrupt-every" ? &o.faults.corrupt
                              : arg == "--stray-every"   ? &o.faults.stray
                              : arg == "--lose-every"    ? &o.faults.lose
                              : arg == "--late-every"    ? &o.faults.late
                                                         : nullptr;
            if (!rule) {
                std::fprintf(stderr, "zet-sim: unknown option %s\n", argv[i - 1]);
                usage(stderr);
                return 2;
            }
            ok = parseLong(val, 1, 1000000, v);
            rule->every = int(v);
        }
        if (!ok) {
            std::fprintf(stderr, "zet-sim: bad value for %s: %s\n", argv[i - 1], argv[i]);
            return 2;
        }
    }
    return 0;
}

int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void logBytes(const char *dir, const uint8_t *data, size_t n)
{
    std::fprintf(stderr, "%s", dir);
    for (size_t i = 0; i < n; ++i)
        std::fprintf(stderr, " %02X", data[i]);
    std::fprintf(stderr, "\n");
}

bool writeAll(int fd, const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 100);
                continue;
            }
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// A connected Unix stream socket, or -1 with the reason on stderr. The other side may
// still be starting: it is tried for a few seconds.
int connectSocket(const std::string &path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    int err = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0)
            return fd;
        err = errno;
        ::close(fd);
        if (err != ENOENT && err != ECONNREFUSED)
            break;
        ::poll(nullptr, 0, 50);
    }
    std::fprintf(stderr, "zet-sim: cannot join %s: %s\n", path.c_str(), std::strerror(err));
    return -1;
}

struct Pending {
    int64_t dueMs;
    std::vector<uint8_t> bytes;
};

class Server {
public:
    Server(const Options &o, int master)
        : opt_(o), master_(master),
          instrument_(makeInstrument(o, o.type)),
          faults_(uint64_t(o.seed) * 7919 + 17), delayRng_(uint64_t(o.seed) * 104729 + 3)
    {
        faults_.setPlan(o.faults);
        lastAdvanceMs_ = nowMs();
    }

    static std::unique_ptr<Instrument> makeInstrument(const Options &o, int type)
    {
        auto instrument = std::make_unique<Instrument>(
            type, uint16_t(o.serial >= 0 ? o.serial : 1000 + type), o.seed);
        instrument->setWander(!o.steady);
        instrument->setOpticalLinkErrors(o.linkErrorPercent / 100.0);
        return instrument;
    }

    int timeoutMs() const
    {
        if (pending_.empty())
            return 200;
        return int(std::max<int64_t>(0, pending_.front().dueMs - nowMs()));
    }

    // False once the other side has closed the line for good (end of file).
    bool receive()
    {
        uint8_t buf[256];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n == 0)
                return false;
            if (n < 0)
                return true;
            const int64_t t = nowMs();
            advance(t);
            for (const Frame &request : assembler_.feed(buf, size_t(n), t))
                answer(request, t);
        }
    }

    void flush()
    {
        const int64_t t = nowMs();
        while (!pending_.empty() && pending_.front().dueMs <= t) {
            const auto &bytes = pending_.front().bytes;
            if (opt_.verbose)
                logBytes("<-", bytes.data(), bytes.size());
            writeAll(master_, bytes);
            pending_.pop_front();
        }
        advance(t);
    }

private:
    void advance(int64_t t)
    {
        instrument_->advance(t - lastAdvanceMs_);
        lastAdvanceMs_ = t;
    }

    void answer(const Frame &request, int64_t t)
    {
        if (opt_.verbose)
            logBytes("->", request.data(), request.size());
        if (nextType_ != 0 && lastRequestMs_ != 0 &&
            t - lastRequestMs_ >= kNextInstrumentSilenceMs) {
            instrument_ = makeInstrument(opt_, nextType_);
            assembler_.clear();
            std::fprintf(stderr, "zet-sim: the next instrument, type %d, is connected\n", nextType_);
            nextType_ = 0;
        }
        if (instrument_->poweredOff() && t - lastRequestMs_ >= kPowerOnSilenceMs) {
            instrument_->powerUp();
            if (opt_.verbose)
                std::fprintf(stderr, "zet-sim: instrument switched on again\n");
        }
        lastRequestMs_ = t;
        const int type = instrument_->deviceType();
        const auto reply = instrument_->handle(request);
        if (opt_.verbose && instrument_->deviceType() != type)
            std::fprintf(stderr, "zet-sim: the bench selected instrument type %d\n",
                         instrument_->deviceType());
        if (!reply)
            return;
        if (instrument_->poweredOff() && opt_.verbose)
            std::fprintf(stderr, "zet-sim: instrument switched off\n");
        auto outcome = faults_.apply(*reply);
        if (outcome.bytes.empty())
            return;
        const int64_t due = std::max(t + delayRng_.range(opt_.minDelayMs, opt_.maxDelayMs) +
                                         outcome.extraDelayMs,
                                     pending_.empty() ? int64_t(0) : pending_.back().dueMs + 1);
        pending_.push_back({due, std::move(outcome.bytes)});
    }

    const Options &opt_;
    int master_;
    std::unique_ptr<Instrument> instrument_;
    int nextType_ = opt_.nextType;
    FaultInjector faults_;
    FrameAssembler assembler_;
    Rng delayRng_;
    std::deque<Pending> pending_;
    int64_t lastAdvanceMs_ = 0;
    int64_t lastRequestMs_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    if (const int rc = parse(argc, argv, opt); rc != 0)
        return rc < 0 ? 0 : rc;

    int master = -1, slave = -1;
    char name[256] = {};
    if (!opt.socketPath.empty()) {
        master = connectSocket(opt.socketPath);
        if (master < 0)
            return 1;
        std::snprintf(name, sizeof name, "%s", opt.socketPath.c_str());
    } else if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "zet-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    if (slave >= 0) {
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::tcgetattr(master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master, TCSANOW, &raw);
    }
    // Our own slave descriptor stays open, so the master never sees a hang-up while
    // the tool closes and reopens the port.
    const int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);

    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    const int sfd = ::signalfd(-1, &stop, SFD_CLOEXEC);

    std::printf("zet-sim: instrument type %d on %s\n", opt.type, name);
    std::fflush(stdout);

    Server server(opt, master);
    for (;;) {
        pollfd fds[2] = {{master, POLLIN, 0}, {sfd, POLLIN, 0}};
        const int n = ::poll(fds, sfd >= 0 ? 2 : 1, server.timeoutMs());
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0 && sfd >= 0 && (fds[1].revents & POLLIN))
            break;
        if (n > 0 && (fds[0].revents & POLLIN)) {
            if (!server.receive())
                break;
        }
        else if (n > 0 && (fds[0].revents & (POLLHUP | POLLERR))) {
            if (slave < 0)
                break; // the socket's other side has gone for good
            ::poll(nullptr, 0, 50); // nobody on the other side yet
        }
        server.flush();
    }
    ::close(master);
    if (slave >= 0)
        ::close(slave);
    if (sfd >= 0)
        ::close(sfd);
    return 0;
}
