#pragma once

#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <functional>

#include "bench/Form1.h"
#include "common/TestPlatform.h"

namespace ciphora::testing {

// The window on a test platform: its application directory and drive root
// are temporary folders, and a test can act whenever the window waits.
class BenchTest : public ::testing::Test {
protected:
    class Platform : public TestPlatform {
    public:
        void WaitForEvents() override {
            ++waits;
            if (onWait) onWait();
        }
        std::function<void()> onWait;
        int waits = 0;
    };

    explicit BenchTest(const SubstitutionTables& tables = DefaultSubstitutionTables())
        : form(platform.directory.Path().string(), drives.Path().string(), tables) {
        form.SetEndProgram([this] { ++ends; });
        form.show();
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Every control enabled and the pointer back to the default.
    void ExpectSettled() {
        for (QWidget* control : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
        if (!platform.pointers.empty()) {
            EXPECT_EQ(platform.pointers.back(), MousePointer::Default);
        }
    }

    std::string AppPath(const std::string& relative) const { return platform.directory.File(relative); }
    std::string DrivePath(const std::string& relative) const { return drives.File(relative); }

    Platform platform;
    TempDir drives;
    Form1 form;
    int ends = 0;
};

}  // namespace ciphora::testing
