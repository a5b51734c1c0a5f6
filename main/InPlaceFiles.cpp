#include "InPlaceFiles.h"

#include <optional>
#include <string>
#include <vector>

#include "CipherPass.h"
#include "KeySource.h"
#include "main/mdlMain.h"
#include "support/FileTree.h"
#include "support/OutputFile.h"
#include "support/Platform.h"
#include "support/TemporaryNames.h"
#include "support/Text.h"

namespace ciphora {

namespace {

// A file to encipher or decipher, and what it becomes.
struct Job {
    std::string source;
    std::string target;
    std::uint64_t size = 0;
};

// Gathers the jobs of a run, saying what it skips or refuses.
class JobList {
public:
    JobList(const Options& options, Messages& messages) : options_(options), messages_(messages) {}

    // A name from the command line: links are followed there.
    void AddOperand(const std::string& path) {
        const PathInfo info = LookAt(path, true);
        if (info.kind == PathKind::Folder && options_.recursive) return AddFolder(path);
        if (info.kind == PathKind::Missing) return RefuseMissing(path);
        if (info.kind == PathKind::Folder) return Refuse(path, "is a folder; -r walks folders", kExitDataError);
        if (info.kind != PathKind::File) return Refuse(path, "is not a regular file", kExitDataError);
        AddFile(path, info.size);
    }

    std::vector<Job>& Jobs() { return jobs_; }
    int Status() const { return status_; }
    void Fail(int status) {
        if (status_ == kExitDone) status_ = status;
    }

private:
    void Refuse(const std::string& path, const std::string& why, int status) {
        messages_.FileError(ShownName(path), why);
        Fail(status);
    }
    // In the system's words, which the attempt to open it gives.
    void RefuseMissing(const std::string& path) {
        try {
            SystemFile::OpenForReading(path);
        } catch (const RuntimeError& error) {
            return Refuse(path, error.SystemText(), kExitNoInput);
        }
        Refuse(path, "vanished", kExitNoInput);
    }
    void Skip(const std::string& path, const std::string& why) {
        messages_.FileError(ShownName(path), why + "; skipped");
    }

    // Inside a folder, only ordinary files are taken; links are not followed.
    void AddFolder(const std::string& folder) {
        WalkFolder(
            folder,
            [this](const std::string& path, PathInfo info) {
                if (IsTemporaryName(SplitPath(path).name))
                    Skip(path, "is the temporary file of a write under way or cut short");
                else if (info.kind == PathKind::File)
                    AddFile(path, info.size);
                else
                    Skip(path, info.kind == PathKind::Link ? "is a link" : "is not a regular file");
            },
            [this](const std::string& path, const RuntimeError& error) {
                Refuse(path, error.SystemText(), kExitDataError);
            });
    }

    void AddFile(const std::string& path, std::uint64_t size) {
        const bool suffixed = path.size() > options_.suffix.size() && path.ends_with(options_.suffix);
        // The key and the log are never enciphered away.
        for (const std::optional<std::string>& kept : {options_.keyFile, options_.logFile})
            if (kept && *kept != "-" && NameTheSameFile(*kept, path)) return Skip(path, "is the key file or the log");
        if (options_.action == Options::Action::Encipher) {
            if (suffixed) return Skip(path, "already ends in " + ShownName(options_.suffix));
            jobs_.push_back({path, path + options_.suffix, size});
            return;
        }
        if (!suffixed)
            return Refuse(path, "does not end in " + ShownName(options_.suffix) + "; not deciphered", kExitDataError);
        jobs_.push_back({path, path.substr(0, path.size() - options_.suffix.size()), size});
    }

    const Options& options_;
    Messages& messages_;
    std::vector<Job> jobs_;
    int status_ = kExitDone;
};

// Does one job; the exit status of its failure, or kExitDone.
int DoJob(const Job& job, const Options& options, const CipherKernel& kernel, RunProgress& progress,
          std::uint64_t before, Messages& messages) {
    const std::string source = ShownName(job.source);
    const std::string target = ShownName(job.target);
    if (!options.force && LookAt(job.target, false).kind != PathKind::Missing) {
        messages.FileError(target, "exists; -f replaces it");
        return kExitCantCreate;
    }
    const bool deciphering = options.action == Options::Action::Decipher;
    std::optional<CipherInput> input;
    try {
        input.emplace(job.source, deciphering);
    } catch (const RuntimeError& error) {
        messages.FileError(source, error.SystemText());
        return error.Number() == kFileNotFound ? kExitNoInput : kExitDataError;
    }
    PassReport report;
    try {
        // As gzip does: the new file has its source's bits and time.
        OutputFile output(job.target, input->Traits(true));
        report =
            RunPass(kernel, options.action, {input->Source(), input->Positioned(), output.Sink(), output.Positioned()},
                    progress.From(before));
        output.Commit();
    } catch (const ReadFailure& failure) {
        progress.Finish();
        messages.FileError(source, failure.SystemText());
        return kExitDataError;
    } catch (const WriteFailure& failure) {
        progress.Finish();
        messages.FileError(target, failure.SystemText());
        return kExitCantCreate;
    }
    progress.Finish();
    WarnAbout(report, source + ": ", messages);
    if (options.keep) return kExitDone;
    // Bytes that do not look like text may come of a wrong key: the cipher
    // text stays, or it would be lost.
    if (!report.looksLikeText) {
        messages.FileError(source, "kept, as what it deciphered to does not look like text");
        return kExitDone;
    }
    try {
        RemoveFile(job.source);
    } catch (const RuntimeError& error) {
        messages.FileError(source, "cannot remove it: " + error.SystemText());
        return kExitCantCreate;
    }
    return kExitDone;
}

}  // namespace

int RunInPlace(const Options& options, Messages& messages) {
    const std::optional<CipherKey> key = ObtainKey(options, messages);
    if (!key) return kExitUsage;
    JobList list(options, messages);
    for (const std::string& operand : options.inputs) list.AddOperand(operand);

    std::uint64_t total = 0;
    for (const Job& job : list.Jobs()) total += job.size;
    RunProgress progress(options, total);
    const CipherKernel kernel(DefaultSubstitutionTables(), *key);
    std::uint64_t before = 0;
    for (const Job& job : list.Jobs()) {
        list.Fail(DoJob(job, options, kernel, progress, before, messages));
        before += job.size;
    }
    return list.Status();
}

}  // namespace ciphora
