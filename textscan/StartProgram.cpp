#include "textscan/StartProgram.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "textscan/Diagnostics.h"

extern char** environ;

namespace qx {

namespace {

constexpr std::size_t MaxCommandLine = 512;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks separate words, double quotes group (and are dropped); no other
// escapes. A pair of quotes alone is an empty word.
std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The program as given when it holds a "/", else the first executable match
// on PATH (an empty PATH entry is the current directory); empty when none.
std::string ResolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    const std::string dirs = path != nullptr ? path : "/bin:/usr/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end == start ? std::string(".") : dirs.substr(start, end - start);
        std::string candidate = dir + "/" + program;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

// After fork: tells the parent why the program did not start, then leaves.
[[noreturn]] void ReportFailure(int fd, int error) {
    const char* data = reinterpret_cast<const char*>(&error);
    std::size_t left = sizeof error;
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    ::_exit(127);
}

void CloseDescriptor(int fd) {
    // Retrying close after EINTR is wrong on Linux: the descriptor is gone.
    (void)::close(fd);
}

bool Launch(const std::string& path, std::vector<std::string>& words) {
    // Everything the children need is prepared here: after fork only
    // async-signal-safe calls are made.
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    char** const envp = environ;
    const char* const file = path.c_str();
    sigset_t emptyMask;
    sigemptyset(&emptyMask);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;

    const pid_t child = ::fork();
    if (child < 0) {
        CloseDescriptor(pipeFds[0]);
        CloseDescriptor(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        // Intermediate child: a new session, one more fork so the program is
        // adopted by init and never becomes our zombie, then leave at once.
        ::close(pipeFds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) ReportFailure(pipeFds[1], errno);
        if (grandchild == 0) {
            // No signal mask and no descriptors beyond the standard three are
            // handed on; the pipe's write end closes on a successful exec.
            ::sigprocmask(SIG_SETMASK, &emptyMask, nullptr);
#ifdef CLOSE_RANGE_CLOEXEC
            ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
            ::execve(file, argv.data(), envp);
            ReportFailure(pipeFds[1], errno);
        }
        ::_exit(0);
    }

    CloseDescriptor(pipeFds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    // End of file: the exec succeeded and closed the write end. An errno
    // value (or anything else) means the program did not start.
    int error = 0;
    char* data = reinterpret_cast<char*>(&error);
    std::size_t got = 0;
    bool failed = false;
    while (got < sizeof error) {
        const ssize_t n = ::read(pipeFds[0], data + got, sizeof error - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    CloseDescriptor(pipeFds[0]);
    return !failed && got == 0;
}

}  // namespace

bool StartProgram(std::string_view commandLine,
                  ShowMode /*showMode: window placement is the desktop's*/) {
    if (commandLine.empty() || commandLine.size() > MaxCommandLine) return false;
    if (commandLine.find('\0') != std::string_view::npos) return false;
    try {
        std::vector<std::string> words = SplitWords(commandLine);
        if (words.empty() || words.front().empty()) return false;
        const std::string path = ResolveProgram(words.front());
        if (path.empty()) return false;
        return Launch(path, words);
    } catch (...) {
        LogCaught(diagnostics::TextScan, "StartProgram");
        return false;
    }
}

}  // namespace qx
