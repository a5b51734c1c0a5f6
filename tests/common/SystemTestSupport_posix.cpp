#include "SystemTestSupport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ciphora::testing {

int RunUnprivileged(const std::function<int()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
        _exit(work() & 0xFF);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

ReadersRefused::ReadersRefused(const std::string& path) : path_(path) { chmod(path_.c_str(), 0); }

ReadersRefused::~ReadersRefused() { chmod(path_.c_str(), 0644); }

HeldAsWriting::HeldAsWriting(const std::string& path) : handle_(open(path.c_str(), O_WRONLY)) {
    flock(static_cast<int>(handle_), LOCK_EX);
}

HeldAsWriting::~HeldAsWriting() { close(static_cast<int>(handle_)); }

void HideFile(const std::string&) {}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

std::string SystemWords(SystemFailure failure) {
    return failure == SystemFailure::NoSuchFile ? "No such file or directory" : "Permission denied";
}

}  // namespace ciphora::testing
