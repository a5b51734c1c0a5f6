#pragma once

// Included by the Windows sources of the platform layer only.

#include <windows.h>

namespace ciphora {

// A handle of the system, closed when it goes out of scope; one that failed
// to open (INVALID_HANDLE_VALUE) holds nothing.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() {
        if (IsOpen()) ::CloseHandle(handle_);
    }

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace ciphora
