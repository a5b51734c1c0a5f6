#include "OptionsMode.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "Options.h"
#include "ProgressMeter.h"
#include "Version.h"
#include "cipher/CipherKernel.h"
#include "cipher/FileStreams.h"
#include "main/mdlMain.h"
#include "support/ByteStreams.h"
#include "support/ConsolePlatform.h"
#include "support/OutputFile.h"
#include "support/Platform.h"
#include "support/Terminal.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

namespace {

constexpr const char* kKeyVariable = "CIPHORA_KEY";
// A key file is fifteen digits and a line break; anything much longer is not one.
constexpr std::size_t kLongestKeyFile = 1024;

void ShowOnStandardError(std::string_view text) {
    // Nothing is left to tell when standard error fails.
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stderr));
    static_cast<void>(std::fflush(stderr));
}

// Messages on standard error, and in the log when one was asked for. A log
// that cannot be written is said once, and ends the run with status 74.
class Messages {
public:
    explicit Messages(const Options& options) : logFile_(options.logFile), quiet_(options.quiet) {}

    void Error(const std::string& message) { Say(message); }
    void Warning(const std::string& message) {
        if (!quiet_) Say("warning: " + message);
    }
    bool LogFailed() const { return logFailed_; }

private:
    void Say(const std::string& message) {
        ShowOnStandardError("ciphora: " + message + "\n");
        if (!logFile_ || logFailed_) return;
        try {
            AppendLogEntry(message, *logFile_);
        } catch (const RuntimeError& error) {
            logFailed_ = true;
            ShowOnStandardError("ciphora: cannot write the log " + ShownName(*logFile_) + ": " + error.SystemText() +
                                "\n");
        }
    }

    std::optional<std::string> logFile_;
    bool quiet_;
    bool logFailed_ = false;
};

// The outcome of one step: nothing, or the exit status it ends the run with.
using Failure = std::optional<int>;

std::string StripLineBreak(std::string text) {
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    else if (text.ends_with('\n'))
        text.pop_back();
    return text;
}

// A key file is read up to just past the longest key file there is.
std::string ReadKeyFile(SystemFile file) {
    std::string text(kLongestKeyFile + 1, '\0');
    std::size_t size = 0;
    while (const std::size_t got = file.Read(text.data() + size, text.size() - size)) {
        size += got;
        if (size == text.size()) break;
    }
    text.resize(size);
    return text;
}

// The key text from -k FILE, else CIPHORA_KEY, else the terminal.
std::optional<std::string> KeyText(const Options& options, Messages& messages) {
    if (options.keyFile) {
        const bool fromStandardInput = *options.keyFile == "-";
        try {
            return StripLineBreak(ReadKeyFile(fromStandardInput ? SystemFile::StandardInput()
                                                                : SystemFile::OpenForReading(*options.keyFile)));
        } catch (const RuntimeError& error) {
            messages.Error("cannot read the key " +
                           (fromStandardInput ? "from standard input" : "file " + ShownName(*options.keyFile)) + ": " +
                           error.SystemText());
            return std::nullopt;
        }
    }
    if (const char* variable = std::getenv(kKeyVariable)) return std::string(variable);
    std::optional<std::string> typed = Terminal::ReadSecret("Key: ");
    if (!typed) {
        messages.Error("no key: give -k KEYFILE, set CIPHORA_KEY, or run ciphora on a terminal");
        return std::nullopt;
    }
    // A key that enciphers is typed twice, so that a slip does not lock the text away.
    if (options.action == Options::Action::Encipher && Terminal::ReadSecret("Key again: ") != typed) {
        messages.Error("the two keys typed differ");
        return std::nullopt;
    }
    return typed;
}

std::optional<CipherKey> ObtainKey(const Options& options, Messages& messages) {
    const std::optional<std::string> text = KeyText(options, messages);
    if (!text) return std::nullopt;
    std::optional<CipherKey> key = ReadCommandLineKey(*text);
    if (!key) messages.Error("the key must be fifteen digits: five groups of three, each from 001 to 255");
    return key;
}

// The input: a file of known size, or a stream read to its end.
struct Input {
    std::string name;
    std::optional<ReadOnlyFile> file;
    std::unique_ptr<ByteSource> source;
    // Of an input file, for the output made from it: what is private stays so.
    std::optional<unsigned> permissionBits;
};

Failure OpenInput(const Options& options, Input& input, Messages& messages) {
    if (options.input == "-") {
        input.name = "standard input";
        input.source = std::make_unique<StreamSource>(SystemFile::StandardInput());
        return std::nullopt;
    }
    input.name = ShownName(options.input);
    try {
        SystemFile file = SystemFile::OpenForReading(options.input);
        if (file.IsOrdinary()) {
            input.permissionBits = file.PermissionBits();
            input.file.emplace(std::move(file));
            input.source = std::make_unique<FileSource>(*input.file);
        } else {
            input.source = std::make_unique<StreamSource>(std::move(file));
        }
        return std::nullopt;
    } catch (const RuntimeError& error) {
        messages.Error("cannot open " + input.name + ": " + error.SystemText());
        const bool missing = error.Number() == kFileNotFound || error.Number() == kPathNotFound;
        return missing ? kExitNoInput : kExitDataError;
    }
}

// The output: the file -o names, else standard output ("-" names it too).
class Output {
public:
    std::string name = "standard output";

    void Open(const Options& options, std::optional<unsigned> newFileMode) {
        if (!options.output || *options.output == "-") {
            standardOutput_.emplace(SystemFile::StandardOutput());
            return;
        }
        name = ShownName(*options.output);
        file_.emplace(*options.output, newFileMode);
    }
    ByteSink& Sink() { return file_ ? file_->Sink() : *standardOutput_; }
    // Whether what was written stays, whatever happens after.
    bool InPlace() const { return standardOutput_ || (file_ && !file_->Replaces()); }
    void Finish() {
        if (file_)
            file_->Commit();
        else
            standardOutput_->Close();
    }

private:
    std::optional<OutputFile> file_;
    std::optional<StreamSink> standardOutput_;
};

Failure OpenOutput(const Options& options, const Input& input, Output& output, Messages& messages) {
    try {
        output.Open(options, input.permissionBits);
        return std::nullopt;
    } catch (const WriteFailure& failure) {
        messages.Error("cannot write " + output.name + ": " + failure.SystemText());
        return kExitCantCreate;
    }
}

// The codes above 255, counted once each however often they are reduced,
// with the index of the first.
class ReducedCodes {
public:
    void Add(std::uint64_t index) {
        if (count_ > 0 && index == last_) return;
        if (count_++ == 0) first_ = index;
        last_ = index;
    }
    std::uint64_t Count() const { return count_; }
    std::uint64_t First() const { return first_; }

private:
    std::uint64_t count_ = 0;
    std::uint64_t first_ = 0;
    std::uint64_t last_ = 0;
};

// The key file as output would lose the key, and the text with it.
bool OutputIsTheKeyFile(const Options& options) {
    return options.keyFile && options.output && *options.keyFile != "-" && *options.output != "-" &&
           NameTheSameFile(*options.keyFile, *options.output);
}

int Run(const Options& options, Messages& messages) {
    if (OutputIsTheKeyFile(options)) {
        messages.Error("the output " + ShownName(*options.output) + " is the key file; it would lose the key");
        return kExitUsage;
    }
    const std::optional<CipherKey> key = ObtainKey(options, messages);
    if (!key) return kExitUsage;
    Input input;
    if (const Failure failure = OpenInput(options, input, messages)) return *failure;

    Output output;
    if (const Failure failure = OpenOutput(options, input, output, messages)) return *failure;

    const bool showProgress = !options.quiet && Terminal::StandardErrorIsTerminal();
    ProgressMeter meter(
        input.source->Size(), [] { return CurrentPlatform().MonotonicSeconds(); }, ShowOnStandardError,
        Terminal::StandardErrorColumns);
    const StreamProgress progress = [&](std::uint64_t done) {
        if (!showProgress) return;
        meter.Update(done);
        // Ctrl-C leaves no progress line behind either.
        Terminal::SetWipeOnInterrupt(meter.Wipe());
    };
    const CipherKernel kernel(DefaultSubstitutionTables(), *key);
    ReducedCodes reduced;
    const auto tally = [&reduced](int, std::uint64_t index) { reduced.Add(index); };
    // What an output written in place received so far is all there will be.
    const auto incomplete = [&] { return output.InPlace() ? "; the output is incomplete" : ""; };
    DecipherSummary deciphered;
    try {
        if (options.action == Options::Action::Encipher) {
            EncipherStream(kernel, *input.source, output.Sink(), progress);
        } else {
            deciphered = DecipherStream(kernel, *input.source, output.Sink(), tally, progress);
            // Not a single code: an empty plain text would only lose a file.
            if (deciphered.plainLength == 0 && deciphered.cipherLength > 0) {
                meter.Finish();
                messages.Error("cannot read " + input.name + ": it is no cipher text, not a code in it");
                return kExitDataError;
            }
        }
        output.Finish();
    } catch (const ReadFailure& failure) {
        meter.Finish();
        messages.Error("cannot read " + input.name + ": " + failure.SystemText() + incomplete());
        return kExitDataError;
    } catch (const WriteFailure& failure) {
        meter.Finish();
        if (IsReaderGone(failure.SystemError())) {
            EndAsTheReaderLeft();
            return kExitDone;
        }
        messages.Error("cannot write " + output.name + ": " + failure.SystemText() + incomplete());
        return kExitCantCreate;
    }
    meter.Finish();
    if (deciphered.unfinishedDigits > 0)
        messages.Warning("the cipher text ends inside a code, after " + std::to_string(deciphered.unfinishedDigits) +
                         " of its 3 digits");
    if (reduced.Count() > 0)
        messages.Warning(std::to_string(reduced.Count()) +
                         " code(s) above 255 reduced by 256, the first of them code " +
                         std::to_string(reduced.First()));
    return kExitDone;
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
    Messages messages(options);
    const int status = Run(options, messages);
    return messages.LogFailed() ? kExitIoError : status;
}

}  // namespace ciphora
