#include <random>
#include <regex>
#include <set>

#include "BenchFixture.h"

namespace ciphora {
namespace {

using testing::BenchTest;

// Reads the generator's lines back into tables, checking their form.
SubstitutionTables ParseLines(const std::string& text, int& lines) {
    SubstitutionTables tables;
    const std::regex line(R"((lngKE|lngKD)\((\d+),(\d+)\) = (\d+)\r\n)");
    lines = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it, ++lines) {
        const auto& match = *it;
        const int a = std::stoi(match[2]), stage = std::stoi(match[3]), value = std::stoi(match[4]);
        ByteTable& table = match[1] == "lngKE" ? tables.lngKE : tables.lngKD;
        table(a, stage) = static_cast<Byte>(value);
    }
    return tables;
}

TEST_F(BenchTest, TheGeneratorBuildsFivePermutationsFromPresses) {
    std::mt19937 random(5);
    int presses = 0;
    platform.onWait = [&] {
        // Each wait is answered by one press at a random moment of the second.
        platform.timerReadings = {static_cast<float>(40000 + presses) + static_cast<float>(random() % 256) / 256.0f};
        ++presses;
        Click(form.Command3);
        for (QWidget* control : form.findChildren<QPushButton*>())
            if (control != form.Command3) {
                ASSERT_FALSE(control->isEnabled());
            }
    };
    Click(form.Command2);

    EXPECT_GE(presses, 1270);
    int lines = 0;
    const std::string text = form.RichTextBox1->Text();
    const SubstitutionTables tables = ParseLines(text, lines);
    EXPECT_EQ(lines, 2560);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2560);
    EXPECT_TRUE(text.starts_with("lngKE(0,0) = "));
    for (int stage = 0; stage < kStages; ++stage) {
        std::set<int> values;
        for (int v = 0; v < 256; ++v) {
            values.insert(tables.lngKE(v, stage));
            EXPECT_EQ(tables.lngKD(tables.lngKE(v, stage), stage), v);
            EXPECT_EQ(tables.lngKE(v, stage), form.lngKGen().lngKGen(v, stage));
        }
        EXPECT_EQ(values.size(), 256u) << "stage " << stage;
    }
    EXPECT_TRUE(form.RichTextBox1->isVisible());
    ExpectSettled();

    clsEncrypt cipher(tables);
    cipher.KKey(Form1::kTestKey);
    const std::string plain = testing::RandomBytes(5000, 8);
    EXPECT_EQ(cipher.DeEncryptString(cipher.EncryptString(plain)), plain);
    EXPECT_NE(cipher.EncryptString(plain), clsEncrypt().EncryptString(plain));
}

TEST(TableGenerator, PressesPlaceWasteAndFillAsDescribed) {
    TableGenerator generator;
    generator.Clear();
    generator.BeginStage(0);
    // r = 250: cells 250..255 fill one after the other, then the press is wasted.
    const float at250 = 100.0f + 250.0f / 256.0f;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(generator.PressAt(at250), TableGenerator::Press::Placed);
    EXPECT_EQ(generator.PressAt(at250), TableGenerator::Press::Wasted);
    EXPECT_EQ(generator.Count(), 6);
    // r = 253 reaches only 253..255, all taken: no wrap-around to 0.
    EXPECT_EQ(generator.PressAt(100.0f + 253.0f / 256.0f), TableGenerator::Press::Wasted);
    EXPECT_EQ(generator.lngKGen(250, 0), 1);
    EXPECT_EQ(generator.lngKGen(255, 0), 6);

    for (int cell = 0; generator.Count() < 253; ++cell) generator.PressAt(100.0f + static_cast<float>(cell) / 256.0f);
    EXPECT_EQ(generator.PressAt(0.0f), TableGenerator::Press::StageComplete);
    std::set<int> values;
    for (int v = 0; v < 256; ++v) values.insert(generator.lngKGen(v, 0));
    EXPECT_EQ(values.size(), 256u);
    EXPECT_EQ(*values.rbegin(), 256);
}

TEST(TableGenerator, LateTimerReadingsAreEvenButStillReachOddCells) {
    TableGenerator generator;
    generator.Clear();
    generator.BeginStage(1);
    // After 65,536 seconds a single-precision reading moves in steps of 1/128.
    const float late = 70000.0f + 3.0f / 256.0f;
    EXPECT_EQ(generator.PressAt(late), TableGenerator::Press::Placed);
    EXPECT_EQ(generator.PressAt(late), TableGenerator::Press::Placed);
    int placedEven = -1, placedOdd = -1;
    for (int v = 0; v < 256; ++v) {
        if (generator.lngKGen(v, 1) == 1) placedEven = v;
        if (generator.lngKGen(v, 1) == 2) placedOdd = v;
    }
    EXPECT_EQ(placedEven % 2, 0);
    EXPECT_EQ(placedOdd, placedEven + 1);
}

}  // namespace
}  // namespace ciphora
