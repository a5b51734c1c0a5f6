#include "Form1.h"

#include <QCoreApplication>
#include <array>
#include <cmath>

#include "CaptionButton.h"
#include "CommandFrame.h"
#include "TimingExperiments.h"
#include "support/NumberedFiles.h"
#include "support/Platform.h"
#include "support/RuntimeError.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

namespace {

constexpr int kTwipsPerInch = 1440;

}  // namespace

Form1::Form1(std::string applicationDirectory, std::string driveRoot, const SubstitutionTables& tables, QWidget* parent)
    : QWidget(parent),
      applicationDirectory_(std::move(applicationDirectory)),
      drives_(std::move(driveRoot)),
      tables_(tables),
      endProgram_([this] {
          close();
          QCoreApplication::exit(0);
      }) {
    BuildControls();
    ConnectCommands();
}

Form1::~Form1() { NumberedFiles::CloseOwnedBy(this); }

void Form1::BuildControls() {
    setWindowTitle("Form1");
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    const int dpi = logicalDpiX();
    const auto px = [dpi](int twips) {
        return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
    };
    setFixedSize(px(9990), px(8955));

    struct Placement {
        QWidget* control;
        const char* name;
        const char* text;
        int left, top, width, height, tabIndex;
    };
    RichTextBox1 = new RichTextArea(this);
    RichTextBox2 = new RichTextArea(this);
    const auto button = [this] { return new CaptionButton(this); };
    const auto box = [this] { return new QLineEdit(this); };
    Command11 = button(), Command12 = button(), Command4 = button(), Command16 = button(), Command13 = button();
    Command14 = button(), Command15 = button(), Command17 = button(), Command5 = button(), Command1 = button();
    Command2 = button(), Command3 = button(), Text1 = box(), Text2 = box(), Command6 = button();
    Command7 = button(), Command9 = button(), Command10 = button(), Command8 = button(), Text3 = box();
    Command18 = button(), Command19 = button(), Command20 = button(), Command21 = button();

    const std::array<Placement, 26> placements{{
        {RichTextBox1, "RichTextBox1", "", 360, 360, 9135, 3255, 0},
        {RichTextBox2, "RichTextBox2", "", 360, 3840, 9135, 2895, 19},
        {Command11, "Command11", "EncryptFile", 0, 6840, 1215, 495, 14},
        {Command12, "Command12", "DeEncryptFile", 1200, 6840, 1215, 495, 15},
        {Command4, "Command4", "Encrypt w/check", 3960, 6840, 1215, 495, 4},
        {Command16, "Command16", "2 to 1", 5160, 6840, 1215, 495, 20},
        {Command13, "Command13", "Clear Text", 6360, 6840, 1215, 495, 16},
        {Command14, "Command14", "CheckLength", 7560, 6840, 1215, 495, 17},
        {Command15, "Command15", "Truncate!", 8760, 6840, 1215, 495, 18},
        {Command17, "Command17", "Encrypt", 0, 7560, 1215, 495, 21},
        {Command5, "Command5", "DEENC", 1200, 7560, 1215, 495, 5},
        {Command1, "Command1", "Command1", 2520, 7560, 1215, 495, 1},
        {Command2, "Command2", "make New Key Array", 3720, 7560, 1215, 495, 2},
        {Command3, "Command3", "Time Press", 4920, 7560, 1215, 495, 3},
        {Text1, "Text1", "Text1", 6480, 7560, 1215, 495, 6},
        {Text2, "Text2", "Text2", 7680, 7560, 2295, 495, 7},
        {Command6, "Command6", "Speed test", 120, 8040, 1215, 495, 9},
        {Command7, "Command7", "ST2", 2160, 8040, 1215, 495, 10},
        {Command9, "Command9", "ST3", 3360, 8040, 1215, 495, 12},
        {Command10, "Command10", "ST4", 4560, 8040, 1215, 495, 13},
        {Command8, "Command8", "End", 6600, 8040, 1215, 495, 11},
        {Text3, "Text3", "Text3", 8160, 8040, 1215, 495, 8},
        {Command18, "Command18", "EncFile", 600, 8640, 1215, 375, 22},
        {Command19, "Command19", "DeEnc File", 2040, 8640, 1215, 255, 23},
        {Command20, "Command20", "Command20", 4080, 8640, 1215, 375, 24},
        {Command21, "Command21", "Command21", 5640, 8640, 1215, 375, 25},
    }};
    std::array<QWidget*, 26> byTabIndex{};
    for (const Placement& p : placements) {
        p.control->setObjectName(p.name);
        p.control->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height));
        if (auto* pushButton = qobject_cast<QPushButton*>(p.control)) pushButton->setText(p.text);
        if (auto* lineEdit = qobject_cast<QLineEdit*>(p.control)) lineEdit->setText(p.text);
        byTabIndex[static_cast<std::size_t>(p.tabIndex)] = p.control;
    }
    for (std::size_t i = 1; i < byTabIndex.size(); ++i) setTabOrder(byTabIndex[i - 1], byTabIndex[i]);
}

void Form1::ConnectCommands() {
    const auto on = [this](QPushButton* button, void (Form1::*command)()) {
        connect(button, &QPushButton::clicked, this, [this, command] { (this->*command)(); });
    };
    on(Command17, &Form1::Encrypt);
    on(Command5, &Form1::Deencrypt);
    on(Command4, &Form1::EncryptWithCheck);
    on(Command13, &Form1::ClearText);
    on(Command14, &Form1::CheckLength);
    on(Command15, &Form1::Truncate);
    on(Command16, &Form1::TwoToOne);
    on(Command8, &Form1::End);
    on(Command3, &Form1::TimePress);
    on(Command1, &Form1::GeneratorCycle);
    on(Command2, &Form1::MakeNewKeyArray);
    on(Command11, &Form1::EncryptFileCommand);
    on(Command12, &Form1::DeEncryptFileCommand);
    on(Command18, &Form1::EncFile);
    on(Command19, &Form1::DeEncFile);
    on(Command20, &Form1::CopyBytes);
    connect(Command6, &QPushButton::clicked, this, [this] { RunTimingCommand(SpeedTest); });
    connect(Command7, &QPushButton::clicked, this, [this] { RunTimingCommand(SpeedTest2); });
    connect(Command9, &QPushButton::clicked, this, [this] { RunTimingCommand(SpeedTest3); });
    connect(Command10, &QPushButton::clicked, this, [this] { RunTimingCommand(SpeedTest4); });
    // Command21 does nothing.
}

// ---- The command frame ----

void Form1::DisableControls() {
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) control->setEnabled(false);
}

void Form1::EnableControls() {
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) control->setEnabled(true);
}

void Form1::ClearText2() { Text2->clear(); }

void Form1::BusyPointer() { CurrentPlatform().SetMousePointer(MousePointer::Busy); }

void Form1::DefaultPointer() { CurrentPlatform().SetMousePointer(MousePointer::Default); }

void Form1::CreateCipher() {
    cipher_ = std::make_unique<clsEncrypt>(tables_);
    cipher_->KKey(kTestKey);
}

void Form1::ShowFigures() {
    if (!cipher_) throw RuntimeError(kObjectNotSet);
    SetText(Text1, Decimal(cipher_->SecsPerMeg()));
    SetText(Text2, Decimal(cipher_->StringLen()));
    SetText(Text3, Decimal(cipher_->Sseconds()));
}

void Form1::ReleaseCipher() { cipher_.reset(); }

void Form1::RunCommand(std::string_view procedure, const Frame& frame, const std::function<void(Steps&)>& work) {
    Steps steps(procedure);
    if (frame.disable) {
        steps.Do([this] { DisableControls(); });
        steps.SkipFailures();
    }
    if (frame.clear) steps.Do([this] { ClearText2(); });
    if (frame.busy) steps.Do([this] { BusyPointer(); });
    if (frame.cipher) steps.Do([this] { CreateCipher(); });
    work(steps);
    if (frame.figures) steps.Do([this] { ShowFigures(); });
    if (frame.release) steps.Do([this] { ReleaseCipher(); });
    if (frame.pointer) steps.Do([this] { DefaultPointer(); });
    if (frame.enable) steps.Do([this] { EnableControls(); });
}

// ---- Helpers ----

std::string Form1::InputOrSample() const {
    const std::string text(TrimBlanks(RichTextBox1->Text()));
    return text.empty() ? std::string(kSample) : text;
}

std::string Form1::AppFilePath(std::string_view literal) const {
    std::string path = applicationDirectory_;
    path += kPathSeparator;
    for (char c : literal) path += c == '\\' ? kPathSeparator : c;
    return path;
}

void Form1::SetText(QLineEdit* box, std::string_view text) { box->setText(FromBytes(text)); }

std::string ProblemReport(std::string_view input, std::string_view deciphered) {
    const std::size_t common = std::min(input.size(), deciphered.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (input[i] != deciphered[i])
            return "Problem at " + Decimal(static_cast<long long>(i) + 1) + " " +
                   Decimal(static_cast<unsigned char>(input[i])) + " " +
                   Decimal(static_cast<unsigned char>(deciphered[i]));
    }
    return {};
}

}  // namespace ciphora
