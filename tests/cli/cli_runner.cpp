// fork and exec of the command-line program, with pipes for its output and a deadline.
#include "cli_runner.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonarium::test {

namespace {

std::vector<char*> argvOf(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

void fillStatus(int raw, CliRun& run) {
    if (WIFEXITED(raw))
        run.status = WEXITSTATUS(raw);
    else if (WIFSIGNALED(raw))
        run.signal = WTERMSIG(raw);
}

CliRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                  double timeoutSeconds, const std::string& cwd = {}) {
    CliRun run;
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return run;
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        ::close(out[1]);
        ::close(err[1]);
        ::setpgid(0, 0);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv = argvOf(program, arguments);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (elapsed > timeoutSeconds) {
            run.timedOut = true;
            ::kill(-pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0)
            ::close(f.fd);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    fillStatus(raw, run);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return run;
}

} // namespace

CliRun runCli(const std::vector<std::string>& arguments, double timeoutSeconds,
              const std::string& cwd) {
    return runProgram(SONARIUM_CLI_PATH, arguments, timeoutSeconds, cwd);
}

CliRun runCliShell(const std::string& shellArguments, double timeoutSeconds) {
    return runProgram("/bin/sh", {"-c", "exec '" SONARIUM_CLI_PATH "' " + shellArguments},
                      timeoutSeconds);
}

CliRun runProgramForTests(const std::string& program, const std::vector<std::string>& arguments,
                          double timeoutSeconds) {
    return runProgram(program, arguments, timeoutSeconds);
}

pid_t startCli(const std::vector<std::string>& arguments) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        const std::string program = SONARIUM_CLI_PATH;
        std::vector<char*> argv = argvOf(program, arguments);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

CliRun waitCli(pid_t pid) {
    CliRun run;
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    fillStatus(raw, run);
    return run;
}

} // namespace sonarium::test
