#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "support/RuntimeError.h"

namespace ciphora {

// The error trap of one call of a reader procedure. While armed, a step that
// fails with a run-time error is logged as a trapped error of the procedure,
// its error number becomes the procedure's status, and the procedure goes on
// with its next step. Unarmed, the error passes to the caller.
class ErrorTrap {
public:
    ErrorTrap(std::string_view procedure, bool armed) : procedure_(procedure), armed_(armed) {}

    // Arms the trap whatever the program-wide level says, for the steps that
    // are always trapped.
    void Arm() { armed_ = true; }

    // Runs one step; false when it failed and was trapped.
    template <typename Step>
    bool Run(Step&& step) {
        try {
            step();
            return true;
        } catch (const RuntimeError& error) {
            if (!armed_) throw;
            Trap(error);
            return false;
        }
    }

    // The status to return: the number of the trapped error, if any.
    std::int32_t Status(std::int32_t status) const { return trapped_.value_or(status); }

private:
    void Trap(const RuntimeError& error);

    std::string_view procedure_;
    bool armed_;
    std::optional<std::int32_t> trapped_;
};

}  // namespace ciphora
