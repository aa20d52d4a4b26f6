#pragma once
// The application as the program starts it, run by the benchmark as a child process.

namespace zet::bench {

enum class AppRun {
    FirstPaint, // start as `zet-service` does and exit at the first paint
    Poll,       // open the simulated type-10 instrument and poll it; print "cpu <percent>"
    Idle,       // nothing open; print "cpu <percent>"
};

int runApp(int argc, char **argv, AppRun what, int seconds);

} // namespace zet::bench
