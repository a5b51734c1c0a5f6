#pragma once

#include "support/Platform.h"

namespace ciphora {

// The bench window's platform: events are handled by Qt's event loop, the
// busy pointer is an override cursor, and the log and the bench's files live
// in the given application directory.
class QtPlatform : public Platform {
public:
    explicit QtPlatform(std::string applicationDirectory);
    ~QtPlatform() override;

    std::string ApplicationDirectory() const override { return applicationDirectory_; }
    void ProcessEvents() override;
    void WaitForEvents() override;
    void SetMousePointer(MousePointer shape) override;
    void Beep() override;

private:
    std::string applicationDirectory_;
    bool busy_ = false;
};

}  // namespace ciphora
