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
#include "support/AtomicFileWriter.h"
#include "support/ByteStreams.h"
#include "support/Platform.h"
#include "support/Terminal.h"
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

// Messages on standard error, and in the log when one was asked for.
class Messages {
public:
    explicit Messages(const Options& options) : logFile_(options.logFile), quiet_(options.quiet) {}

    void Error(const std::string& message) { Say(message); }
    void Warning(const std::string& message) {
        if (!quiet_) Say("warning: " + message);
    }
    // A log that failed once it was open: exit status 74.
    bool LogFailed() const { return logFailed_; }

private:
    void Say(const std::string& message) {
        ShowOnStandardError("ciphora: " + message + "\n");
        if (!logFile_) return;
        try {
            FWriteLog(message, *logFile_);
        } catch (const RuntimeError&) {
            logFailed_ = true;
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

std::string ReadKeyFile(const std::string& path) {
    SystemFile file = SystemFile::OpenForReading(path);
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
        try {
            return StripLineBreak(ReadKeyFile(*options.keyFile));
        } catch (const RuntimeError& error) {
            messages.Error("cannot read the key file " + *options.keyFile + ": " + error.Description());
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
};

Failure OpenInput(const Options& options, Input& input, Messages& messages) {
    if (options.input == "-") {
        input.name = "standard input";
        input.source = std::make_unique<StreamSource>(SystemFile::StandardInput());
        return std::nullopt;
    }
    input.name = options.input;
    try {
        SystemFile file = SystemFile::OpenForReading(options.input);
        if (file.IsOrdinary()) {
            input.file.emplace(std::move(file));
            input.source = std::make_unique<FileSource>(*input.file);
        } else {
            input.source = std::make_unique<StreamSource>(std::move(file));
        }
        return std::nullopt;
    } catch (const RuntimeError& error) {
        messages.Error("cannot open " + input.name + ": " + error.Description());
        const bool missing = error.Number() == kFileNotFound || error.Number() == kPathNotFound;
        return missing ? kExitNoInput : kExitDataError;
    }
}

// Reductions, counted, with the index of the first.
struct Reductions {
    std::uint64_t count = 0;
    std::uint64_t first = 0;
};

int Run(const Options& options, Messages& messages) {
    const std::optional<CipherKey> key = ObtainKey(options, messages);
    if (!key) return kExitUsage;
    Input input;
    if (const Failure failure = OpenInput(options, input, messages)) return *failure;

    std::unique_ptr<AtomicFileWriter> file;
    std::unique_ptr<StreamSink> standardOutput;
    try {
        if (options.output)
            file = std::make_unique<AtomicFileWriter>(*options.output);
        else
            standardOutput = std::make_unique<StreamSink>(SystemFile::StandardOutput());
    } catch (const WriteFailure& failure) {
        messages.Error("cannot write " + *options.output + ": " + failure.Description());
        return kExitCantCreate;
    }
    ByteSink& output = file ? static_cast<ByteSink&>(*file) : *standardOutput;
    const std::string outputName = options.output ? *options.output : "standard output";

    const bool showProgress = !options.quiet && Terminal::StandardErrorIsTerminal();
    ProgressMeter meter(
        input.source->Size(), [] { return CurrentPlatform().MonotonicSeconds(); }, ShowOnStandardError);
    const StreamProgress progress = [&](std::uint64_t done) {
        if (showProgress) meter.Update(done);
    };
    const CipherKernel kernel(DefaultSubstitutionTables(), *key);
    Reductions reductions;
    const auto tally = [&reductions](int, std::uint64_t index) {
        if (reductions.count++ == 0) reductions.first = index;
    };
    // What standard output received so far is all there will be.
    const auto incomplete = [&] { return standardOutput ? "; the output is incomplete" : ""; };
    try {
        if (options.action == Options::Action::Encipher)
            EncipherStream(kernel, *input.source, output, progress);
        else
            DecipherStream(kernel, *input.source, output, tally, progress);
        if (file)
            file->Commit();
        else
            standardOutput->Close();
    } catch (const ReadFailure& failure) {
        meter.Finish();
        messages.Error("cannot read " + input.name + ": " + failure.Description() + incomplete());
        return kExitDataError;
    } catch (const WriteFailure& failure) {
        meter.Finish();
        messages.Error("cannot write " + outputName + ": " + failure.Description() + incomplete());
        return kExitCantCreate;
    }
    meter.Finish();
    if (reductions.count > 0)
        messages.Warning(std::to_string(reductions.count) +
                         " code(s) above 255 reduced by 256, the first of them code " +
                         std::to_string(reductions.first));
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
    return messages.LogFailed() && status == kExitDone ? kExitIoError : status;
}

}  // namespace ciphora
