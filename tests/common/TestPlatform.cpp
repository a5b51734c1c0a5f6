#include "TestPlatform.h"

#include <fstream>
#include <random>
#include <sstream>

namespace ciphora::testing {

TempDir::TempDir(const std::filesystem::path& base) {
    std::random_device random;
    const auto parent = base.empty() ? std::filesystem::temp_directory_path() : base;
    for (;;) {
        path_ = parent / ("ciphora-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return Utf8Text(path_ / Utf8Path(name)); }

std::filesystem::path Utf8Path(std::string_view text) { return std::u8string(text.begin(), text.end()); }

std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

TestPlatform::TestPlatform() : installed_(*this) {
    localTime.tm_year = 126;
    localTime.tm_mon = 11;
    localTime.tm_mday = 10;
    localTime.tm_hour = 9;
    localTime.tm_min = 5;
    localTime.tm_sec = 7;
}

namespace {
template <typename T>
T Next(std::deque<T>& readings) {
    if (readings.empty()) return T{};
    const T reading = readings.front();
    if (readings.size() > 1) readings.pop_front();
    return reading;
}
}  // namespace

float TestPlatform::SecondsSinceMidnight() const { return Next(timerReadings); }

double TestPlatform::MonotonicSeconds() const { return Next(monotonicReadings); }

std::string TestPlatform::Log() const { return ReadFile(directory.Path() / "VbAppErrorLog.txt"); }

std::vector<std::string> TestPlatform::LogMessages() const {
    // Each entry is "<message> dd.mm.yyyy hh:mm:ss" in quotes, ended by CR LF.
    std::vector<std::string> messages;
    const std::string log = Log();
    std::size_t start = 0;
    while (start < log.size()) {
        const std::size_t end = log.find("\"\r\n", start);
        if (end == std::string::npos) break;
        const std::string entry = log.substr(start + 1, end - start - 1);
        messages.push_back(entry.size() >= 20 ? entry.substr(0, entry.size() - 20) : entry);
        start = end + 3;
    }
    return messages;
}

}  // namespace ciphora::testing

namespace ciphora::testing {

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

}  // namespace ciphora::testing
