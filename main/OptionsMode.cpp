#include "OptionsMode.h"

#include <cstdio>
#include <optional>

#include "CipherPass.h"
#include "InPlaceFiles.h"
#include "KeySource.h"
#include "Messages.h"
#include "Options.h"
#include "TestMode.h"
#include "Version.h"
#include "main/mdlMain.h"
#include "support/ConsolePlatform.h"
#include "support/OutputFile.h"
#include "support/Platform.h"
#include "support/Text.h"

namespace ciphora {

namespace {

// The output of one input: the file -o names, else standard output ("-"
// names it too).
class Output {
public:
    Output(const std::optional<std::string>& path, const NewFileTraits& traits) {
        if (!path || *path == "-") {
            standardOutput_.emplace(SystemFile::StandardOutput());
            return;
        }
        name_ = ShownName(*path);
        file_.emplace(*path, traits);
    }
    const std::string& Name() const { return name_; }
    ByteSink& Sink() { return file_ ? file_->Sink() : *standardOutput_; }
    PositionedSink* Positioned() { return file_ ? file_->Positioned() : nullptr; }
    // Whether what was written stays, whatever happens after.
    bool InPlace() const { return standardOutput_ || !file_->Replaces(); }
    void Finish() {
        if (file_)
            file_->Commit();
        else
            standardOutput_->Close();
    }

private:
    std::string name_ = "standard output";
    std::optional<OutputFile> file_;
    std::optional<StreamSink> standardOutput_;
};

// The key file as output would lose the key, and the text with it.
bool OutputIsTheKeyFile(const Options& options) {
    return options.keyFile && options.output && *options.keyFile != "-" && *options.output != "-" &&
           NameTheSameFile(*options.keyFile, *options.output);
}

int StatusOfOpening(const RuntimeError& error) {
    return error.Number() == kFileNotFound || error.Number() == kPathNotFound ? kExitNoInput : kExitDataError;
}

// One input (a file or standard input) into one output.
int RunSingle(const Options& options, Messages& messages) {
    if (OutputIsTheKeyFile(options)) {
        messages.Error("the output " + ShownName(*options.output) + " is the key file; it would lose the key");
        return kExitUsage;
    }
    const std::optional<CipherKey> key = ObtainKey(options, messages);
    if (!key) return kExitUsage;
    const std::string inputName = options.input == "-" ? "standard input" : ShownName(options.input);
    std::optional<CipherInput> input;
    try {
        input.emplace(options.input, options.action == Options::Action::Decipher);
    } catch (const ReadFailure& failure) {
        messages.Error("cannot read " + inputName + ": " + failure.SystemText());
        return kExitDataError;
    } catch (const RuntimeError& error) {
        messages.Error("cannot open " + inputName + ": " + error.SystemText());
        return StatusOfOpening(error);
    }
    std::optional<Output> output;
    try {
        output.emplace(options.output, input->Traits(false));
    } catch (const WriteFailure& failure) {
        messages.Error("cannot write " + ShownName(*options.output) + ": " + failure.SystemText());
        return kExitCantCreate;
    }

    RunProgress progress(options, input->Source().Size());
    const CipherKernel kernel(DefaultSubstitutionTables(), *key);
    // What an output written in place received so far is all there will be.
    const auto incomplete = [&] { return output->InPlace() ? "; the output is incomplete" : ""; };
    PassReport report;
    try {
        report =
            RunPass(kernel, options.action,
                    {input->Source(), input->Positioned(), output->Sink(), output->Positioned()}, progress.From(0));
        output->Finish();
    } catch (const NoCipherText& failure) {
        progress.Finish();
        messages.Error("cannot read " + inputName + ": " + failure.SystemText());
        return kExitDataError;
    } catch (const ReadFailure& failure) {
        progress.Finish();
        messages.Error("cannot read " + inputName + ": " + failure.SystemText() + incomplete());
        return kExitDataError;
    } catch (const WriteFailure& failure) {
        progress.Finish();
        if (IsReaderGone(failure.SystemError())) {
            EndAsTheReaderLeft();
            return kExitDone;
        }
        messages.Error("cannot write " + output->Name() + ": " + failure.SystemText() + incomplete());
        return kExitCantCreate;
    }
    progress.Finish();
    WarnAbout(report, "", messages);
    return kExitDone;
}

int Run(const Options& options, Messages& messages) {
    switch (options.action) {
        case Options::Action::NewKey: return WriteNewKey(options.newKeyFile, messages);
        case Options::Action::Test: return RunTest(options, messages);
        case Options::Action::Encipher:
        case Options::Action::Decipher:
            return options.inPlace ? RunInPlace(options, messages) : RunSingle(options, messages);
        case Options::Action::Help:
        case Options::Action::Version: break;
    }
    return kExitUsage;
}

}  // namespace

bool IsOptionsCommandLine(const std::vector<std::string>& arguments) {
    return !arguments.empty() && arguments.front().starts_with('-');
}

int RunOptions(const std::vector<std::string>& arguments) {
    // Messages go to standard error here, each once, and to no log beside
    // the program.
    Platform quiet;
    const ScopedPlatform installed(quiet);

    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.options) {
        ShowOnStandardError("ciphora: " + parsed.refusal + "\n");
        return kExitUsage;
    }
    const Options& options = *parsed.options;
    if (options.action == Options::Action::Help || options.action == Options::Action::Version) {
        const std::string text = options.action == Options::Action::Help ? HelpText() : VersionText(kVersion);
        const bool shown = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
        return shown ? kExitDone : kExitIoError;
    }
    Messages messages(options.logFile, options.quiet);
    const int status = Run(options, messages);
    return messages.LogFailed() ? kExitIoError : status;
}

}  // namespace ciphora
