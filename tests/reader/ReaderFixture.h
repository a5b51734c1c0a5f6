#pragma once

#include <gtest/gtest.h>

#include "common/TestPlatform.h"
#include "main/mdlMain.h"
#include "reader/clsFileRead.h"

namespace ciphora::testing {

// Arms the reader's error traps for the lifetime of this object.
class ArmedTraps {
public:
    ArmedTraps() { ErrTrapLevel = 1; }
    ~ArmedTraps() { ErrTrapLevel = 0; }
};

class ReaderTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return platform.directory.File(name); }
    void Write(const std::string& name, const std::string& contents) const { WriteFile(Path(name), contents); }

    // A reader opened on a file of the test directory.
    void Open(const std::string& name, const std::string& contents) {
        Write(name, contents);
        reader.DirectoryName(platform.directory.Path().string());
        reader.FileName(name);
        ASSERT_EQ(reader.OpenFile(), 0);
    }

    TestPlatform platform;
    clsFileRead reader;
};

}  // namespace ciphora::testing
