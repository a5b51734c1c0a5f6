#include "ErrorTrap.h"

#include "support/mdlFWriteLog.h"

namespace ciphora {

void ErrorTrap::Trap(const RuntimeError& error) {
    trapped_ = error.Number();
    LogTrappedError("clsFileRead", procedure_, error.Number(), error.Description());
}

}  // namespace ciphora
