// fork and exec of the command-line program, with pipes for its output and a deadline; or a
// forked process that calls its entry function for command after command.
#include "cli_runner.h"

#include "command_line.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SONARIUM_TEST_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SONARIUM_TEST_LEAK_CHECK 1
#endif
#ifdef SONARIUM_TEST_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

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

// The exit status of a process in which LeakSanitizer found a leak.
constexpr int kLeakStatus = 23;

bool sendAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool receiveAll(int fd, void* data, std::size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(fd, bytes, size, 0);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The arguments of one command: their count, then each one's length and bytes.
bool sendArguments(int fd, const std::vector<std::string>& arguments) {
    std::string message;
    const auto put = [&message](std::uint32_t value) {
        message.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    put(static_cast<std::uint32_t>(arguments.size()));
    for (const std::string& a : arguments) {
        put(static_cast<std::uint32_t>(a.size()));
        message += a;
    }
    return sendAll(fd, message.data(), message.size());
}

bool receiveArguments(int fd, std::vector<std::string>& arguments) {
    std::uint32_t count = 0;
    if (!receiveAll(fd, &count, sizeof count))
        return false;
    arguments.assign(count, {});
    for (std::string& a : arguments) {
        std::uint32_t size = 0;
        if (!receiveAll(fd, &size, sizeof size))
            return false;
        a.resize(size);
        if (size > 0 && !receiveAll(fd, a.data(), size))
            return false;
    }
    return true;
}

std::string contentsOf(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return {};
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    const ssize_t n = ::pread(fd, text.data(), text.size(), 0);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

void empty(int fd) {
    if (::ftruncate(fd, 0) == 0)
        ::lseek(fd, 0, SEEK_SET);
}

// The forked process: stdout and stderr into the files in memory, then each command received
// runs as the program runs it (its output flushed as at the program's end), and its exit status
// goes back. Ends when the other side closes.
[[noreturn]] void serveCommands(int channel, int out, int err) {
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::setpgid(0, 0); // a command's own children are ended with it
    sonarium::prepareCommandLineProcess();
    std::vector<std::string> arguments;
    while (receiveArguments(channel, arguments)) {
        empty(STDOUT_FILENO);
        empty(STDERR_FILENO);
        std::clearerr(stdout);
        std::vector<char*> argv = argvOf("sonarium-cli", arguments);
        std::int32_t status =
            sonarium::runCommandLine(static_cast<int>(argv.size() - 1), argv.data()) & 0xff;
        std::fflush(stdout);
        std::fflush(stderr);
#ifdef SONARIUM_TEST_LEAK_CHECK
        if (__lsan_do_recoverable_leak_check() != 0)
            status = kLeakStatus;
#endif
        if (!sendAll(channel, &status, sizeof status))
            break;
    }
    ::_exit(0);
}

} // namespace

CliProcess::~CliProcess() {
    stop();
    for (int fd : {out_, err_})
        if (fd >= 0)
            ::close(fd);
}

bool CliProcess::start() {
    if (out_ < 0)
        out_ = ::memfd_create("sonarium-cli-stdout", MFD_CLOEXEC);
    if (err_ < 0)
        err_ = ::memfd_create("sonarium-cli-stderr", MFD_CLOEXEC);
    int channel[2];
    if (out_ < 0 || err_ < 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) != 0)
        return false;
    // What this process has buffered is not written a second time by the other.
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(channel[0]);
        serveCommands(channel[1], out_, err_);
    }
    ::close(channel[1]);
    if (pid_ < 0) {
        ::close(channel[0]);
        return false;
    }
    requests_ = channel[0];
    return true;
}

void CliProcess::stop() {
    if (requests_ >= 0)
        ::close(requests_); // the process ends when it reads the end
    requests_ = -1;
    if (pid_ > 0)
        ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

CliRun CliProcess::run(const std::vector<std::string>& arguments, double timeoutSeconds) {
    CliRun run;
    if (pid_ < 0 && !start())
        return run;
    const auto started = std::chrono::steady_clock::now();
    bool replied = false;
    if (sendArguments(requests_, arguments)) {
        pollfd reply = {requests_, POLLIN, 0};
        const int waitMs = static_cast<int>(timeoutSeconds * 1000);
        int ready = 0;
        do
            ready = ::poll(&reply, 1, waitMs);
        while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            run.timedOut = true;
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
        } else {
            std::int32_t status = 0;
            replied = receiveAll(requests_, &status, sizeof status);
            if (replied)
                run.status = status;
        }
    }
    run.out = contentsOf(out_);
    run.err = contentsOf(err_);
    if (!replied) {
        // Ended inside the command, or ended here after its time: started afresh next time.
        ::close(requests_);
        requests_ = -1;
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
        pid_ = -1;
        fillStatus(raw, run);
        run.endedInside = !run.timedOut;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return run;
}

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
