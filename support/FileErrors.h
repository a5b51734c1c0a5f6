#pragma once

#include "RuntimeError.h"

namespace ciphora {

// A failure while reading an input file.
class ReadFailure : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
    explicit ReadFailure(const RuntimeError& error) : RuntimeError(error) {}
};

// A failure while writing an output file.
class WriteFailure : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
    explicit WriteFailure(const RuntimeError& error) : RuntimeError(error) {}
};

}  // namespace ciphora
