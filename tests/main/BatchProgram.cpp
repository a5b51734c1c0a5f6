#include "BatchProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace ciphora::testing {

BatchProgram::BatchProgram(const std::filesystem::path& base) : dir_(base) {
    std::filesystem::copy_file(CIPHORA_EXECUTABLE, dir_.Path() / "ciphora");
    std::filesystem::permissions(dir_.Path(), std::filesystem::perms::all);
}

Outcome BatchProgram::Run(const std::vector<std::string>& arguments, const RunOptions& options) const {
    const std::string program = dir_.File("ciphora");
    const std::string errors = scratch_.File("stderr");
    const std::string memory = scratch_.File("memory");
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(fd, 2);
        if (options.fileSizeLimit) {
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
        std::vector<const char*> argv;
        if (options.measureMemory) argv = {"/usr/bin/time", "-f", "%M", "-o", memory.c_str()};
        argv.push_back(program.c_str());
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        argv.push_back(nullptr);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    if (options.killAfter) {
        std::this_thread::sleep_for(*options.killAfter);
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(errors), 0};
    if (options.measureMemory) outcome.peakKiB = std::stol("0" + ReadFile(memory));
    return outcome;
}

std::vector<std::string> BatchProgram::LogMessages() const {
    std::vector<std::string> messages;
    const std::string log = Read("VbAppErrorLog.txt");
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = log.find("\"\r\n", start);
        if (end == std::string::npos) break;
        messages.push_back(log.substr(start + 1, end - start - 1 - 20));
        start = end + 3;
    }
    return messages;
}

std::vector<std::string> BatchProgram::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ciphora::testing
