#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "DrivePaths.h"
#include "RichTextArea.h"
#include "TableGenerator.h"
#include "cipher/SubstitutionTables.h"
#include "cipher/clsEncrypt.h"

namespace ciphora {

// The test bench of the cipher. Every button runs one short experiment on a
// fresh cipher object keyed with the fixed test key, or on the text areas,
// and shows the result in the window. The bench's files lie in the given
// application directory and drive root (see DrivePaths).
class Form1 : public QWidget {
public:
    static constexpr const char* kTestKey = "117032209004188";
    static constexpr const char* kSample = "The quick brown fox jumps over the lazy dog";

    Form1(std::string applicationDirectory, std::string driveRoot,
          const SubstitutionTables& tables = DefaultSubstitutionTables(), QWidget* parent = nullptr);
    ~Form1() override;

    std::int32_t lngTimePress() const { return lngTimePress_; }
    const TableGenerator& lngKGen() const { return generator_; }
    // What "End" does; by default it ends the application's event loop.
    void SetEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

    RichTextArea* RichTextBox1;
    RichTextArea* RichTextBox2;
    QPushButton* Command11;
    QPushButton* Command12;
    QPushButton* Command4;
    QPushButton* Command16;
    QPushButton* Command13;
    QPushButton* Command14;
    QPushButton* Command15;
    QPushButton* Command17;
    QPushButton* Command5;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command9;
    QPushButton* Command10;
    QPushButton* Command8;
    QLineEdit* Text3;
    QPushButton* Command18;
    QPushButton* Command19;
    QPushButton* Command20;
    QPushButton* Command21;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Steps;
    struct Frame;
    void RunCommand(std::string_view procedure, const Frame& frame, const std::function<void(Steps&)>& work);

    void BuildControls();
    void ConnectCommands();

    // The command frame, F1 to F8.
    void DisableControls();
    void ClearText2();
    void BusyPointer();
    void CreateCipher();
    void ShowFigures();
    void ReleaseCipher();
    void DefaultPointer();
    void EnableControls();

    // Interactive string and edit commands.
    void Encrypt();
    void Deencrypt();
    void EncryptWithCheck();
    void ClearText();
    void CheckLength();
    void Truncate();
    void TwoToOne();
    void End();
    void TimePress();
    void GeneratorCycle();
    // The table generator.
    void MakeNewKeyArray();
    // File commands.
    void EncryptFileCommand();
    void DeEncryptFileCommand();
    using FileOperation = std::int32_t (clsEncrypt::*)(const std::string&, const std::string&);
    void RunFileOperation(std::string_view procedure, bool enableAfter, FileOperation operation);
    void EncFile();
    void DeEncFile();
    void CopyBytes();
    // Timing commands.
    void RunTimingCommand(void (*experiment)(const std::function<void(double)>&));
    void AddTimingLine(double seconds);

    std::string InputOrSample() const;
    std::string AppFilePath(std::string_view literal) const;
    void SetText(QLineEdit* box, std::string_view text);

    std::string applicationDirectory_;
    DrivePaths drives_;
    SubstitutionTables tables_;
    std::unique_ptr<clsEncrypt> cipher_;
    std::int32_t lngTimePress_ = 0;
    TableGenerator generator_;
    std::function<void()> endProgram_;
};

// The report of "Encrypt w/check" when the deciphered text differs from the
// input within their common length: "Problem at <position> <input code>
// <deciphered code>"; empty when it does not.
std::string ProblemReport(std::string_view input, std::string_view deciphered);

}  // namespace ciphora
