// Whole-file loading of clsFileRead.

#include <charconv>

#include "ErrorTrap.h"
#include "clsFileRead.h"
#include "main/mdlMain.h"
#include "support/Platform.h"
#include "support/RichTextBox.h"
#include "support/mdlFWriteLog.h"
#include "support/mdlFileExist.h"

namespace ciphora {

namespace {

constexpr std::size_t kStagingBlock = 60000;
constexpr std::size_t kFlushAbove = 58000;
constexpr float kSlowLoadSeconds = 1.0f;

std::string SecondsText(float seconds) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, seconds);
    return std::string(text, result.ptr);
}

// Loads through a fresh hidden host; the number of the load error, or 0.
std::int32_t LoadInto(RichTextBox& box, const std::string& path) {
    try {
        box.LoadFile(path, rtfText);
        return 0;
    } catch (const RuntimeError& error) {
        return error.Number();
    }
}

}  // namespace

std::int32_t clsFileRead::LoadFileOutputString() {
    DoEvents();
    bigStringPointer_ = 1;
    const std::string path = WholePath();
    outPutString_.clear();
    frmRichTextBox host;

    std::int32_t loadError = 0;
    if (FileExist(path) == 1) {
        const float started = Timer();
        loadError = LoadInto(host.RichTextBox1, path);
        if (Timer() - started > kSlowLoadSeconds)
            FWriteLog("clsFileRead.LoadFileOutputString-Time to Load: " + SecondsText(Timer() - started), "");
    } else {
        FWriteLog("clsFileRead.LoadFileOutputString-File not exist: " + path, "");
    }

    ErrorTrap trap("LoadFileOutputString", true);
    if (loadError == 0) {
        trap.Run([&] { outPutString_ = host.RichTextBox1.Text(); });
    } else {
        trap.Run([&] {
            FWriteLog("clsFileRead.LoadFileOutputString-Error .LoadFile: " + path + " " + std::to_string(loadError) +
                          " " + ErrorDescription(loadError),
                      "");
        });
        outPutString_.clear();
    }
    return trap.Status(0);
}

std::int32_t clsFileRead::ReadComplete() {
    DoEvents();
    const std::int32_t opened = OpenFile();
    if (opened != 0) return opened;

    // Chunks are staged in a block that is appended to the result only when
    // well filled, instead of once per chunk.
    std::string block(kStagingBlock, ' ');
    std::size_t fill = 0;
    std::string result;
    outPutString_.clear();
    while (isEndOfFile_ == 0) {
        DoEvents();
        const std::int32_t status = ReadNext();
        if (status != 0 && status != -1) {
            outPutString_.clear();
            CloseFile();
            return status;
        }
        block.replace(fill, outPutString_.size(), outPutString_);
        fill += outPutString_.size();
        outPutString_.clear();
        if (status == -1 || fill > kFlushAbove) {
            result.append(block, 0, fill);
            block.assign(kStagingBlock, ' ');
            fill = 0;
        }
        if (status == -1) break;
    }
    outPutString_ = std::move(result);
    CloseFile();
    return 0;
}

std::int32_t clsFileRead::LoadFileRtb() {
    DoEvents();
    const std::string path = WholePath();
    frmRichTextBox host;
    host.RichTextBox1.Text("");
    const std::int32_t loadError = LoadInto(host.RichTextBox1, path);
    outPutString_.clear();
    if (loadError == 0) return 0;
    LogTrappedError("clsFileRead", "LoadFileRtb", loadError, ErrorDescription(loadError));
    return loadError;
}

std::int32_t clsFileRead::ReadNextRtbChunk() {
    FWriteLog("DANGER!! - this function is now disabled!!!", "");
    return 0;
}

}  // namespace ciphora
