#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace ciphora::testing {

// Runs `work` in a child process without root's right to ignore file
// permissions (as "nobody" when the tests run as root) and returns what it
// returned, or -1 when the child failed.
inline int RunUnprivileged(const std::function<int()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
        _exit(work() & 0xFF);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

}  // namespace ciphora::testing
