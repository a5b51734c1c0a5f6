#pragma once

// The command frame of the bench's commands, shared by the files that hold
// them.

#include <new>
#include <string>
#include <string_view>

#include "Form1.h"
#include "support/RuntimeError.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

// The shortest decimal text of a whole number.
inline std::string Decimal(long long value) { return std::to_string(value); }

// Which steps of the command frame a command uses: F1 to F4 before its own
// work, F5 to F8 after it.
struct Form1::Frame {
    bool disable = false;  // F1; from here on a failing step is skipped
    bool clear = false;    // F2
    bool busy = false;     // F3
    bool cipher = false;   // F4
    bool figures = false;  // F5
    bool release = false;  // F6
    bool pointer = false;  // F7
    bool enable = false;   // F8
};

// Runs the steps of one command. Once the controls are disabled, a step that
// fails is logged as a trapped error of the command and skipped, so that the
// controls are always enabled again; before that a failure ends the command,
// and is logged the same way.
class Form1::Steps {
public:
    explicit Steps(std::string_view procedure) : procedure_(procedure) {}

    template <typename Step>
    void Do(Step&& step) {
        if (ended_) return;
        try {
            step();
        } catch (const RuntimeError& error) {
            Failed(error.Number());
        } catch (const std::bad_alloc&) {
            Failed(kOutOfMemory);
        }
    }
    void SkipFailures() { skipping_ = true; }

private:
    void Failed(std::int32_t number) {
        LogTrappedError("Form1", procedure_, number);
        if (!skipping_) ended_ = true;
    }

    std::string_view procedure_;
    bool skipping_ = false;
    bool ended_ = false;
};

}  // namespace ciphora
