#include <QLocale>

#include "BenchFixture.h"

namespace ciphora {
namespace {

using testing::BenchTest;

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(BenchTest, EachTimingCommandAddsItsLines) {
    const std::pair<QPushButton*, std::size_t> commands[] = {
        {form.Command6, 11}, {form.Command7, 1}, {form.Command9, 1}, {form.Command10, 1}};
    form.RichTextBox1->SetText("earlier");
    std::size_t expected = 0;
    for (auto [button, lines] : commands) {
        Click(button);
        expected += lines;
        EXPECT_EQ(Lines(form.RichTextBox1->Text()), expected);
        ExpectSettled();
    }
    EXPECT_TRUE(form.RichTextBox1->Text().starts_with("earlier"));
    EXPECT_TRUE(form.RichTextBox1->Text().ends_with("\r\n"));
}

TEST_F(BenchTest, FiguresComeFromTheTimerInTheUsersNumberFormat) {
    platform.timerReadings = {100.0f, 101.5f};
    form.RichTextBox1->SetText("");
    Click(form.Command7);
    EXPECT_EQ(form.RichTextBox1->Text(), "1.5\r\n");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    platform.timerReadings = {200.0f, 200.25f};
    Click(form.Command9);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(form.RichTextBox1->Text(), "1.5\r\n0,25\r\n");
}

TEST_F(BenchTest, TheCycleExperimentSavesItsList) {
    std::filesystem::create_directories(drives.Path() / "d");
    Click(form.Command1);
    const std::string text = form.RichTextBox1->Text();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(testing::ReadFile(DrivePath("d/output.txt")), text);
    // Numbers 0..255, each followed by a comma, perhaps after a step count.
    EXPECT_EQ(text.find_first_not_of("0123456789,"), std::string::npos);
    EXPECT_EQ(text.back(), ',');
    EXPECT_TRUE(form.RichTextBox1->isVisible());
    ExpectSettled();
    EXPECT_EQ(platform.pointers, (std::vector<MousePointer>{MousePointer::Busy, MousePointer::Default}));
}

}  // namespace
}  // namespace ciphora
