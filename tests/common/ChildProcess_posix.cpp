#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "TestPlatform.h"

namespace ciphora::testing {

std::vector<std::string> EmulatorCommand() {
    std::vector<std::string> words;
#ifdef CIPHORA_TEST_EMULATOR
    const std::string joined = CIPHORA_TEST_EMULATOR;
    for (std::size_t start = 0; start <= joined.size();) {
        const std::size_t end = std::min(joined.find('|', start), joined.size());
        words.push_back(joined.substr(start, end - start));
        start = end + 1;
    }
#endif
    return words;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildOptions& options)
    : options_(options) {
    if (options.measureMemory) memoryReport_ = options.errorsPath + ".memory";
    const std::vector<std::string> emulator = EmulatorCommand();
    const pid_t child = fork();
    if (child == 0) {
        const auto redirect = [](const std::string& path, int flags, int target) {
            if (path.empty()) return;
            const int fd = open(path.c_str(), flags, 0666);
            dup2(fd, target);
            close(fd);
        };
        redirect(options.inputPath, O_RDONLY, 0);
        redirect(options.outputPath, O_WRONLY | O_CREAT | O_TRUNC, 1);
        redirect(options.errorsPath, O_WRONLY | O_CREAT | O_TRUNC, 2);
        for (const auto& [name, value] : options.environment) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        if (options.fileSizeLimit) {
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
        std::vector<const char*> argv;
        if (options.measureMemory) argv = {"/usr/bin/time", "-f", "%M", "-o", memoryReport_.c_str()};
        for (const std::string& word : emulator) argv.push_back(word.c_str());
        argv.push_back(program.c_str());
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        argv.push_back(nullptr);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    process_ = child;
    id_ = static_cast<unsigned long>(child);
}

ChildProcess::~ChildProcess() { Wait(); }

void ChildProcess::Kill() {
    if (!exit_) kill(static_cast<pid_t>(process_), SIGKILL);
}

ChildExit ChildProcess::Wait() {
    if (exit_) return *exit_;
    int status = 0;
    waitpid(static_cast<pid_t>(process_), &status, 0);
    ChildExit result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), std::nullopt};
    if (options_.measureMemory) {
        const long reported = std::stol("0" + ReadFile(memoryReport_));
        if (reported > 0) result.peakKiB = reported;
    }
    exit_ = result;
    return result;
}

}  // namespace ciphora::testing
