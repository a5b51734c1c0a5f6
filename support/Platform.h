#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace ciphora {

// The mouse pointer shapes the program switches between.
enum class MousePointer { Default, Busy };

// Every contact with the operating system goes through this interface, so
// that tests can replace the pieces they need (the event pump to count yields,
// the clocks to cross midnight, the beep to hear a lost log entry).
class Platform {
public:
    virtual ~Platform() = default;

    // The process command line as one text, without the program's own name.
    virtual std::string CommandLine() const;
    // The directory of the running executable, without a trailing separator
    // (except for the root directory itself).
    virtual std::string ApplicationDirectory() const;
    // Lets the user interface handle its pending events once.
    virtual void ProcessEvents();
    // Waits for the user's next input and handles it; where the program
    // waits for a key press. Without a user interface it only processes.
    virtual void WaitForEvents() { ProcessEvents(); }
    virtual void SetMousePointer(MousePointer shape);
    // Seconds since local midnight, single precision, as the time-of-day
    // timer has always delivered them.
    virtual float SecondsSinceMidnight() const;
    // A clock that never jumps; used for the cipher's run-time figures.
    virtual double MonotonicSeconds() const;
    virtual std::tm LocalTime() const;
    virtual void Beep();
    // Called with every message that reaches the log; the batch program
    // shows them on standard error.
    virtual void ShowLogMessage(std::string_view message);
};

// The platform in force; a plain default one until something is installed.
Platform& CurrentPlatform();

// Installs a platform for the lifetime of this object and restores the
// previous one afterwards.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

// The separator that stands where the program's path literals start with a
// backslash ("\input.txt"), and every character that separates the parts
// of a path on this system.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr std::string_view kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPathSeparators = "/";
#endif

// The local calendar time of a moment, as the system's time zone has it.
std::tm LocalCalendarTime(std::time_t moment);

// The module-level helpers the rest of the program calls.
inline void DoEvents() { CurrentPlatform().ProcessEvents(); }
inline float Timer() { return CurrentPlatform().SecondsSinceMidnight(); }
inline std::string AppPath() { return CurrentPlatform().ApplicationDirectory(); }

// Application directory followed directly by the separator and the name,
// joined as plain text like every path of the program.
std::string AppFile(std::string_view name);

}  // namespace ciphora
