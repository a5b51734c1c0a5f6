#include <cmath>
#include <cstdlib>

#include "BenchFixture.h"
#include "bench/CaptionButton.h"

namespace ciphora {
namespace {

using testing::BenchTest;

TEST_F(BenchTest, ControlsStandWhereTheLayoutPutsThem) {
    struct Control {
        const char* name;
        const char* text;
        int left, top, width, height;
    };
    const Control controls[] = {
        {"RichTextBox1", "", 360, 360, 9135, 3255},
        {"RichTextBox2", "", 360, 3840, 9135, 2895},
        {"Command11", "EncryptFile", 0, 6840, 1215, 495},
        {"Command4", "Encrypt w/check", 3960, 6840, 1215, 495},
        {"Command2", "make New Key Array", 3720, 7560, 1215, 495},
        {"Text2", "Text2", 7680, 7560, 2295, 495},
        {"Command8", "End", 6600, 8040, 1215, 495},
        {"Command19", "DeEnc File", 2040, 8640, 1215, 255},
        {"Command21", "Command21", 5640, 8640, 1215, 375},
    };
    const double scale = form.logicalDpiX() / 1440.0;
    const auto px = [scale](int twips) { return static_cast<int>(std::lround(twips * scale)); };
    EXPECT_EQ(form.windowTitle(), "Form1");
    EXPECT_EQ(form.size(), QSize(px(9990), px(8955)));
    for (const Control& c : controls) {
        auto* widget = form.findChild<QWidget*>(c.name);
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height))) << c.name;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text().toStdString(), c.text);
        }
        if (auto* box = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(box->text().toStdString(), c.text);
        }
    }
    EXPECT_EQ(form.findChildren<QPushButton*>().size(), 21);
    EXPECT_EQ(form.findChildren<QLineEdit*>().size(), 3);
}

// Run at 96 dpi and again at 144 dpi (CIPHORA_EXPECTED_DPI says which).
TEST_F(BenchTest, EveryButtonShowsItsWholeCaption) {
    if (const char* expected = std::getenv("CIPHORA_EXPECTED_DPI")) {
        ASSERT_EQ(form.logicalDpiX(), std::atoi(expected));
    }
    const QList<CaptionButton*> buttons = form.findChildren<CaptionButton*>();
    ASSERT_EQ(buttons.size(), 21);
    for (const CaptionButton* button : buttons) {
        EXPECT_EQ(button->Caption().replace('\n', ' '), button->text()) << "lines break at blanks only";
        EXPECT_TRUE(button->CaptionArea().contains(button->CaptionBounds()))
            << button->objectName().toStdString() << " \"" << button->text().toStdString() << "\" needs "
            << button->CaptionBounds().width() << "x" << button->CaptionBounds().height() << ", has "
            << button->CaptionArea().width() << "x" << button->CaptionArea().height();
    }
}

TEST_F(BenchTest, EncryptThenDeencryptBringsTheTextBack) {
    form.RichTextBox1->SetText("  Hello, bench!\r\nSecond line  ");
    Click(form.Command17);
    const std::string cipherText = form.RichTextBox1->Text();
    EXPECT_EQ(cipherText.substr(0, 3).find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(form.Text2->text(), "26");
    ExpectSettled();
    Click(form.Command5);
    EXPECT_EQ(form.RichTextBox1->Text(), "Hello, bench!\r\nSecond line");
    ExpectSettled();
}

TEST_F(BenchTest, EncryptOfABlankAreaTakesTheSampleSentence) {
    form.RichTextBox1->SetText("    ");
    Click(form.Command17);
    clsEncrypt cipher;
    cipher.KKey(Form1::kTestKey);
    EXPECT_EQ(form.RichTextBox1->Text(), cipher.EncryptString(Form1::kSample));

    form.RichTextBox1->SetText("\r\n\r\n");
    Click(form.Command17);
    EXPECT_EQ(form.RichTextBox1->Text(), cipher.EncryptString("\r\n\r\n"));
}

TEST_F(BenchTest, EncryptWithCheckOnTheSampleReportsNothing) {
    form.RichTextBox1->SetText("");
    Click(form.Command4);
    clsEncrypt cipher;
    cipher.KKey(Form1::kTestKey);
    EXPECT_EQ(form.RichTextBox2->Text(), cipher.EncryptString(Form1::kSample));
    EXPECT_EQ(form.RichTextBox1->Text(), "");
    EXPECT_EQ(form.Text2->text(), "43");
    EXPECT_NE(form.Text1->text(), "Text1");
    EXPECT_NE(form.Text3->text(), "Text3");
    ExpectSettled();
}

TEST(ProblemReport, NamesTheFirstDifferenceWithinTheCommonLength) {
    EXPECT_EQ(ProblemReport("abcdAf", "abcdBf"), "Problem at 5 65 66");
    EXPECT_EQ(ProblemReport("abc", "abcd"), "");
    EXPECT_EQ(ProblemReport("abcd", "abc"), "");
    EXPECT_EQ(ProblemReport("same", "same"), "");
    EXPECT_EQ(ProblemReport("\xff", "\x01"), "Problem at 1 255 1");
}

// Tables whose deciphering stage 0 is not the inverse of enciphering.
SubstitutionTables BrokenTables() {
    SubstitutionTables tables = DefaultSubstitutionTables();
    for (int v = 0; v < 256; ++v) tables.lngKD(v, 0) = static_cast<Byte>(tables.lngKD(v, 0) + 1);
    return tables;
}

class BrokenBenchTest : public BenchTest {
protected:
    BrokenBenchTest() : BenchTest(BrokenTables()) {}
};

TEST_F(BrokenBenchTest, EncryptWithCheckReportsTheFirstDifference) {
    form.RichTextBox1->SetText("AB");
    Click(form.Command4);
    EXPECT_EQ(form.Text2->text(), "Problem at 1 65 66");
    ExpectSettled();
}

TEST_F(BenchTest, EditCommands) {
    form.RichTextBox1->SetText(std::string(62001, 'x'));
    Click(form.Command15);
    EXPECT_EQ(form.RichTextBox1->Text().size(), 62000u);
    form.RichTextBox1->SetText("0123456789");
    Click(form.Command15);
    EXPECT_EQ(form.RichTextBox1->Text(), "0123456789");

    form.RichTextBox1->SetText("  ab  ");
    Click(form.Command14);
    EXPECT_EQ(form.Text1->text(), "2");

    form.RichTextBox2->SetText("");
    Click(form.Command16);
    EXPECT_EQ(form.RichTextBox1->Text(), "");
    form.RichTextBox2->SetText("second");
    Click(form.Command16);
    EXPECT_EQ(form.RichTextBox1->Text(), "second");
    EXPECT_EQ(form.RichTextBox2->Text(), "");

    Click(form.Command13);
    EXPECT_EQ(form.RichTextBox1->Text(), "");
    Click(form.Command21);
    Click(form.Command8);
    EXPECT_EQ(ends, 1);
}

TEST_F(BenchTest, TimePressAndKeysSetTheFlag) {
    EXPECT_EQ(form.lngTimePress(), 0);
    Click(form.Command3);
    EXPECT_EQ(form.lngTimePress(), 1);
    form.setFocus();
    QTest::keyClick(&form, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(form.lngTimePress(), 97);
}

TEST_F(BenchTest, TypedTextComesBackWithCrLf) {
    form.RichTextBox1->setFocus();
    QTest::keyClicks(form.RichTextBox1, "ab");
    QTest::keyClick(form.RichTextBox1, Qt::Key_Return);
    QTest::keyClicks(form.RichTextBox1, "c");
    EXPECT_EQ(form.RichTextBox1->Text(), "ab\r\nc");
}

TEST(WindowText, ConvertsWithLatin1AndQuestionMarksForTheRest) {
    EXPECT_EQ(ToBytes(QString::fromUtf8("caf\u00e9 \u20ac")), "caf\xe9 ?");
    EXPECT_EQ(FromBytes("\xe9\xff"), QString::fromUtf8("\u00e9\u00ff"));
}

}  // namespace
}  // namespace ciphora
