#include "ProgressMeter.h"

#include <cstdio>

namespace ciphora {

namespace {
constexpr double kQuietFor = 1.0;
constexpr double kRedrawEvery = 0.2;
}  // namespace

ProgressMeter::ProgressMeter(std::optional<std::uint64_t> total, Clock clock, Show show, Columns columns)
    : total_(total),
      clock_(std::move(clock)),
      show_(std::move(show)),
      columns_(std::move(columns)),
      started_(clock_()) {}

std::string ProgressMeter::Amount(double bytes) {
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < std::size(kUnits)) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    const int length = std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void ProgressMeter::Update(std::uint64_t done) {
    const double now = clock_();
    const double elapsed = now - started_;
    if (elapsed < kQuietFor || (lastShown_ >= 0 && now - lastShown_ < kRedrawEvery)) return;
    lastShown_ = now;
    const std::string amount = "ciphora: " + Amount(static_cast<double>(done));
    const std::string percent = total_ && *total_ > 0 ? "  " + std::to_string(done * 100 / *total_) + "%" : "";
    const std::string speed = "  " + Amount(static_cast<double>(done) / elapsed) + "/s";
    std::string line = amount + percent + speed;
    // The last column stays free, or the terminal would wrap the line and
    // each update would stand on its own; the speed goes first, then the
    // percentage, then whatever does not fit.
    if (const std::optional<std::size_t> columns = columns_ ? columns_() : std::nullopt) {
        const std::size_t room = *columns > 1 ? *columns - 1 : 0;
        if (line.size() > room) line = amount + percent;
        if (line.size() > room) line = amount;
        if (line.size() > room) line.resize(room);
    }
    // A shorter line covers what is left of the longer one before it.
    if (line.size() < width_) line.append(width_ - line.size(), ' ');
    width_ = line.size();
    show_("\r" + line);
}

std::string ProgressMeter::Wipe() const {
    if (lastShown_ < 0) return {};
    return "\r" + std::string(width_, ' ') + "\r";
}

void ProgressMeter::Finish() {
    if (lastShown_ >= 0) show_(Wipe());
}

}  // namespace ciphora
