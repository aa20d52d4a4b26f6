#include "Spawn.h"

#include "FirstPaint.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

extern char **environ;

namespace zet::bench {

double valueAfter(const std::string &output, const std::string &key)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(key + " ", 0) == 0)
            return std::stod(line.substr(key.size() + 1));
    return -1;
}

ChildRun runChild(const std::vector<std::string> &argv)
{
    ChildRun run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const long long start = monotonicNs();
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed) {
        close(out[0]);
        return run;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (const double kb = valueAfter(run.output, "peak_kb"); kb > 0)
        run.peakRssMb = kb / 1024.0;
    const double painted = valueAfter(run.output, "painted");
    if (painted > 0)
        run.firstPaintMs = (painted - double(start)) / 1e6;
    return run;
}

} // namespace zet::bench
