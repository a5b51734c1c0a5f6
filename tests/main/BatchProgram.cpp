#include "BatchProgram.h"

#include <algorithm>
#include <thread>

#include "common/ChildProcess.h"

namespace ciphora::testing {

std::string WithPlainLineEnds(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
    return plain;
}

const std::string BatchProgram::kExecutableName = CIPHORA_EXECUTABLE_NAME;

BatchProgram::BatchProgram(const std::filesystem::path& base) : dir_(base) {
    std::filesystem::copy_file(CIPHORA_EXECUTABLE, dir_.Path() / kExecutableName);
    std::filesystem::permissions(dir_.Path(), std::filesystem::perms::all);
}

Outcome BatchProgram::Run(const std::vector<std::string>& arguments, const RunOptions& options) const {
    ChildOptions child;
    child.inputPath = options.standardInput.empty() ? scratch_.File("nothing") : options.standardInput;
    if (options.standardInput.empty()) WriteFile(Utf8Path(child.inputPath), "");
    child.outputPath = options.standardOutput.empty() ? scratch_.File("stdout") : options.standardOutput;
    child.errorsPath = scratch_.File("stderr");
    child.environment = {{"CIPHORA_KEY", std::nullopt}};
    child.environment.insert(child.environment.end(), options.environment.begin(), options.environment.end());
    child.fileSizeLimit = options.fileSizeLimit;
    child.unprivileged = options.unprivileged;
    child.measureMemory = options.measureMemory;
    // The options form reads separate arguments; the described form's
    // command line is given as it is typed.
    child.quoteArguments = !arguments.empty() && arguments.front().starts_with('-');
    ChildProcess program(dir_.File(kExecutableName), arguments, child);
    if (options.killAfter) {
        std::this_thread::sleep_for(*options.killAfter);
        program.Kill();
    }
    const ChildExit exit = program.Wait();
    const std::string output = options.standardOutput.empty() ? ReadFile(Utf8Path(child.outputPath)) : "";
    return {exit.status, WithPlainLineEnds(ReadFile(Utf8Path(child.errorsPath))), exit.peakKiB, output};
}

std::vector<std::string> BatchProgram::LogMessages() const {
    std::vector<std::string> messages;
    const std::string log = Read("VbAppErrorLog.txt");
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = log.find("\"\r\n", start);
        if (end == std::string::npos) break;
        messages.push_back(log.substr(start + 1, end - start - 1 - 20));
        start = end + 3;
    }
    return messages;
}

std::vector<std::string> BatchProgram::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
        names.push_back(Utf8Text(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ciphora::testing
