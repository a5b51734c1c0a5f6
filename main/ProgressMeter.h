#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ciphora {

// A one-line progress display, as pv and zstd show it: bytes done, the
// percentage when the whole size is known, and the speed, as much of it as
// the terminal's width holds. It appears only once the work has lasted a
// second, is redrawn at most five times a second, and is wiped at the end.
class ProgressMeter {
public:
    using Clock = std::function<double()>;                        // seconds, never going back
    using Show = std::function<void(std::string_view)>;           // writes to the terminal
    using Columns = std::function<std::optional<std::size_t>()>;  // the terminal's width, where known

    ProgressMeter(std::optional<std::uint64_t> total, Clock clock, Show show, Columns columns = {});

    void Update(std::uint64_t done);
    // Wipes the line, if one was shown.
    void Finish();
    // What wipes the line shown now; empty when none is.
    std::string Wipe() const;

    // "12.5 MiB" and the like.
    static std::string Amount(double bytes);

private:
    std::optional<std::uint64_t> total_;
    Clock clock_;
    Show show_;
    Columns columns_;
    double started_;
    double lastShown_ = -1;
    std::size_t width_ = 0;  // of what the terminal shows
};

}  // namespace ciphora
