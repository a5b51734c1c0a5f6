// The bench's commands: string and edit commands, the generator cycle
// experiment, the table generator, file commands and timing commands.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLocale>
#include <cmath>
#include <cstdio>

#include "CommandFrame.h"
#include "Form1.h"
#include "support/NumberedFiles.h"
#include "support/Platform.h"
#include "support/RichTextBox.h"
#include "support/Text.h"

namespace ciphora {

namespace {

constexpr std::size_t kTruncateTo = 62000;
constexpr int kCopyLimit = 7870;
constexpr int kCycleSteps = 99999;
constexpr std::size_t kPendingChunk = 60000;
constexpr const char* kDornOutput = "d:\\dorn\\output.txt";
constexpr const char* kCycleOutput = "d:\\output.txt";

// One step of the generator cycle experiment: a value 0 <= x < 1.
double CycleStep(double x) {
    x = std::pow(3456.78, x + 1);
    x = std::floor(x * 100000) / 100000;
    x = x - 2.34821;
    x = x - std::floor(x);
    x = std::pow(5273.849, x + 1);
    x = std::floor(x * 100000) / 100000;
    return x - std::floor(x);
}

// Elapsed seconds as the platform writes a double: up to 15 significant
// digits, with the user's decimal separator.
std::string SecondsText(double seconds) {
    char text[40];
    const int length = std::snprintf(text, sizeof text, "%.15g", seconds);
    std::string result(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    const QString separator = QLocale().decimalPoint();
    if (separator.size() == 1 && separator[0] != QLatin1Char('.')) {
        const char local = separator[0].toLatin1();
        for (char& c : result)
            if (c == '.') c = local;
    }
    return result;
}

}  // namespace

// ---- String commands ----

void Form1::Encrypt() {
    RunCommand("Command17_Click", {true, true, true, true, false, true, true, true}, [this](Steps& steps) {
        steps.Do([this] { RichTextBox1->SetText(cipher_->EncryptString(InputOrSample())); });
        steps.Do([this] { ShowFigures(); });
        steps.Do([] { DoEvents(); });
    });
}

void Form1::Deencrypt() {
    RunCommand("Command5_Click", {true, false, true, true, true, true, true, true}, [this](Steps& steps) {
        steps.Do([this] {
            const std::string text = RichTextBox1->Text();
            RichTextBox1->SetText(cipher_->DeEncryptString(TrimBlanks(text)));
        });
    });
}

void Form1::EncryptWithCheck() {
    RunCommand("Command4_Click", {true, true, true, true, false, true, true, true}, [this](Steps& steps) {
        std::string input, cipherText, deciphered;
        steps.Do([&] {
            input = InputOrSample();
            cipherText = cipher_->EncryptString(input);
            RichTextBox2->SetText(cipherText);
        });
        steps.Do([this] { ShowFigures(); });
        steps.Do([&] { deciphered = cipher_->DeEncryptString(cipherText); });
        steps.Do([&] {
            if (input == deciphered) return;
            const std::string report = ProblemReport(input, deciphered);
            if (!report.empty()) SetText(Text2, report);
            DoEvents();
        });
    });
}

// ---- Edit commands ----

void Form1::ClearText() { RichTextBox1->SetText(""); }

void Form1::CheckLength() {
    const std::string text = RichTextBox1->Text();
    SetText(Text1, Decimal(static_cast<long long>(TrimBlanks(text).size())));
    Text1->repaint();
}

void Form1::Truncate() { RichTextBox1->SetText(RichTextBox1->Text().substr(0, kTruncateTo)); }

void Form1::TwoToOne() {
    RichTextBox1->SetText(RichTextBox2->Text());
    RichTextBox2->SetText("");
}

void Form1::End() { endProgram_(); }

void Form1::TimePress() { lngTimePress_ = 1; }

void Form1::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (!text.isEmpty()) lngTimePress_ = static_cast<unsigned char>(text[0].toLatin1());
    QWidget::keyPressEvent(event);
}

// ---- The generator cycle experiment ----

void Form1::GeneratorCycle() {
    RunCommand("Command1_Click", {false, false, true, false, false, false, true, false}, [this](Steps& steps) {
        steps.Do([this] {
            const double seed = 0.56743;
            double x = seed;
            std::string pending;
            for (int i = 1; i <= kCycleSteps; ++i) {
                DoEvents();
                DoEvents();
                x = CycleStep(x);
                if (seed - 0.00001 <= x && x <= seed + 0.00001) {
                    RichTextBox1->SetText(Decimal(i));
                    RichTextBox1->repaint();
                    break;
                }
                pending += Decimal(static_cast<long long>(std::floor(x * 256))) + ",";
                if (pending.size() > kPendingChunk) {
                    RichTextBox1->SetText(RichTextBox1->Text() + pending);
                    pending.clear();
                }
            }
            RichTextBox1->SetText(RichTextBox1->Text() + pending);
            RichTextBox1->show();
        });
        steps.Do([this] {
            RichTextBox saver;
            saver.Text(RichTextBox1->Text());
            saver.SaveFile(drives_.Map(kCycleOutput), rtfText);
        });
    });
}

// ---- The table generator ----

void Form1::MakeNewKeyArray() {
    Steps steps("Command2_Click");
    steps.SkipFailures();
    steps.Do([this] { Command3->setFocus(); });
    steps.Do([this] { DisableControls(); });
    steps.Do([this] {
        Command3->setEnabled(true);
        Command3->setFocus();
    });
    generator_.Clear();
    lngTimePress_ = 0;
    for (int stage = 0; stage < kStages; ++stage) {
        generator_.BeginStage(stage);
        for (;;) {
            while (lngTimePress_ == 0) {
                // A window closed while it waits gives up the run.
                if (!isVisible()) {
                    EnableControls();
                    return;
                }
                CurrentPlatform().WaitForEvents();
            }
            lngTimePress_ = 0;
            const TableGenerator::Press press = generator_.PressAt(Timer());
            if (press == TableGenerator::Press::StageComplete) break;
            if (press == TableGenerator::Press::Placed) {
                RichTextBox1->SetText(Decimal(generator_.Count()));
                RichTextBox1->repaint();
            }
        }
    }
    steps.Do([this] { Command3->setEnabled(false); });
    RichTextBox1->SetText("");
    RichTextBox1->hide();
    generator_.Finish();
    for (const std::string& line : generator_.Lines()) {
        DoEvents();
        RichTextBox1->SetText(RichTextBox1->Text() + line);
    }
    RichTextBox1->show();
    DoEvents();
    steps.Do([this] { EnableControls(); });
}

// ---- File commands ----

void Form1::EncryptFileCommand() { RunFileOperation("Command11_Click", true, &clsEncrypt::EncryptFile); }

void Form1::DeEncryptFileCommand() { RunFileOperation("Command12_Click", false, &clsEncrypt::DeEncryptFile); }

// The path typed into the upper area (or the fixed file) through the cipher's
// file operation into the fixed file, showing the operation's result.
void Form1::RunFileOperation(std::string_view procedure, bool enableAfter, FileOperation operation) {
    RunCommand(procedure, {false, false, true, true, true, true, true, enableAfter}, [this, operation](Steps& steps) {
        std::string input;
        std::int32_t result = 0;
        steps.Do([&] {
            const std::string typed(TrimBlanks(RichTextBox1->Text()));
            input = drives_.Map(typed.empty() ? kDornOutput : typed);
        });
        steps.Do([this] { RichTextBox1->SetText(""); });
        steps.Do([&] { result = ((*cipher_).*operation)(input, drives_.Map(kDornOutput)); });
        steps.Do([&] { RichTextBox1->SetText(Decimal(result)); });
    });
}

void Form1::EncFile() {
    RunCommand("Command18_Click", {true, true, true, true, false, true, true, true}, [this](Steps& steps) {
        steps.Do([this] {
            cipher_->FileNameIn(AppFilePath("input.txt"));
            cipher_->FileNameOut(AppFilePath("output.txt"));
        });
        steps.Do([this] { cipher_->EncryptFile(AppFilePath("input.txt"), AppFilePath("output.txt")); });
        steps.Do([] { DoEvents(); });
    });
}

void Form1::DeEncFile() {
    RunCommand("Command19_Click", {true, true, true, true, false, true, true, true}, [this](Steps& steps) {
        steps.Do([this] {
            cipher_->FileNameOut(AppFilePath("input\\input"));
            cipher_->FileNameIn(AppFilePath("output\\output"));
        });
        steps.Do([this] { cipher_->DeEncryptFile(AppFilePath("output\\output"), AppFilePath("input\\input")); });
        steps.Do([] { DoEvents(); });
    });
}

void Form1::CopyBytes() {
    RunCommand("Command20_Click", {true, true, true, false, false, false, true, true}, [this](Steps& steps) {
        std::int32_t input = 0, output = 0;
        steps.Do([&] {
            input = NumberedFiles::FreeFile();
            NumberedFiles::OpenForInput(input, AppFilePath("input\\input"), this);
        });
        steps.Do([&] {
            output = NumberedFiles::FreeFile();
            NumberedFiles::OpenForAppend(output, AppFilePath("output\\output"), this);
        });
        steps.Do([&] {
            for (int i = 0; i < kCopyLimit && !NumberedFiles::Eof(input); ++i) {
                const char byte = NumberedFiles::ReadChar(input);
                NumberedFiles::Write(output, std::string_view(&byte, 1));
                DoEvents();
            }
        });
        steps.Do([] { DoEvents(); });
        steps.Do([&] { NumberedFiles::Close(input); });
        steps.Do([&] { NumberedFiles::Close(output); });
    });
}

// ---- Timing commands ----

void Form1::RunTimingCommand(void (*experiment)(const std::function<void(double)>&)) {
    RunCommand("SpeedTest_Click", {false, false, true, false, false, false, true, false},
               [this, experiment](Steps& steps) {
                   steps.Do([this, experiment] { experiment([this](double seconds) { AddTimingLine(seconds); }); });
               });
}

void Form1::AddTimingLine(double seconds) {
    RichTextBox1->SetText(RichTextBox1->Text() + SecondsText(seconds) + "\r\n");
}

}  // namespace ciphora
