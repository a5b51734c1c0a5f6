#include "clsFileRead.h"

#include "ErrorTrap.h"
#include "main/mdlMain.h"
#include "support/NumberedFiles.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"
#include "support/mdlFileExist.h"

namespace ciphora {

namespace {

constexpr std::size_t kChunkSize = 1024;
constexpr std::string_view kCrLf = "\r\n";
// The line readers resume this many characters after a delimiter's start.
constexpr std::size_t kDelimiterSkip = 2;

// What a blank LineDelimiter is replaced by.
std::string DefaultDelimiter(bool trimmedReader) { return trimmedReader ? "\r\n" : "\n\n"; }

bool TrapsArmed() { return ErrTrapLevel >= 1; }

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string After(const std::string& text, std::size_t position) {
    return position < text.size() ? text.substr(position) : std::string();
}

}  // namespace

clsFileRead::clsFileRead() : lineDelimiter_(kCrLf), fieldDelimiter_("\t") {}

clsFileRead::~clsFileRead() { NumberedFiles::CloseOwnedBy(this); }

void clsFileRead::AppendSeparator() {
    if (!IsBlank(directoryName_) && directoryName_.back() != kPathSeparator) directoryName_ += kPathSeparator;
}

std::int32_t clsFileRead::OpenFile() {
    DoEvents();
    ErrorTrap trap("OpenFile", TrapsArmed());
    AppendSeparator();
    fullPath_ = directoryName_ + fileName_;
    if (FileExist(fullPath_) == 0) {
        FWriteLog("clsFileRead.OpenFile-Not Found: " + fullPath_, "");
        return -1;
    }
    // Ten above the lowest free number, but never a number that another
    // reader's or command's file holds: closing that would hand its owner
    // this file's bytes. Our own previous file under it is closed.
    trap.Run([&] { fileNumber_ = NumberedFiles::FirstNumberFor(NumberedFiles::FreeFile() + 10, this); });
    trap.Run([&] { NumberedFiles::Close(fileNumber_); });
    trap.Run([&] { NumberedFiles::OpenForInput(fileNumber_, fullPath_, this); });
    return trap.Status(0);
}

std::int32_t clsFileRead::CloseFile() {
    DoEvents();
    NumberedFiles::Close(fileNumber_);
    return 0;
}

std::int32_t clsFileRead::ReadNext() {
    DoEvents();
    ErrorTrap trap("ReadNext", TrapsArmed());
    outPutString_.clear();

    bool atEnd = true;  // a trapped failure of the test goes on as at the end
    trap.Run([&] { atEnd = NumberedFiles::Eof(fileNumber_); });
    if (atEnd) {
        isEndOfFile_ = 1;
        isBinary_ = false;
        return trap.Status(-1);
    }

    std::string chunk;
    chunk.reserve(kChunkSize);
    std::size_t high = 0;
    while (chunk.size() < kChunkSize) {
        try {
            chunk += NumberedFiles::ReadChar(fileNumber_);
        } catch (const RuntimeError&) {
            // Reading past the end is how the last chunk ends.
            isEndOfFile_ = 1;
            outPutString_ = std::move(chunk);
            return -1;
        }
        if (static_cast<unsigned char>(chunk.back()) > 127) ++high;
    }
    isEndOfFile_ = 0;
    outPutString_ = std::move(chunk);
    DoEvents();
    isBinary_ = high > kChunkSize - high;
    return 0;
}

std::int32_t clsFileRead::ReadNextLine() { return ReadLine(LineStyle::AsItStands); }

std::int32_t clsFileRead::ReadNextLine1310() { return ReadLine(LineStyle::Trimmed); }

std::int32_t clsFileRead::ReadLine(LineStyle style) {
    const bool trimmed = style == LineStyle::Trimmed;
    DoEvents();
    lineString_.clear();
    if (isEndOfFile_ == 1 && IsBlank(outPutString_)) {
        isEndOfLine_ = 1;
        return 0;
    }
    if (IsBlank(outPutString_)) {
        std::string kept;
        if (!trimmed) {
            if (fileNumber_ == 0) {
                isEndOfLine_ = 1;
                isEndOfFile_ = 1;
                return 0;
            }
            kept = std::move(outPutString_);
        }
        const std::int32_t status = ReadNext();
        outPutString_ = kept + outPutString_;
        if (status > 0) return status;
        if (status == -1) {
            isEndOfLine_ = 1;
            // The trimmed reader hands out the chunk from the next call on.
            if (trimmed) return 0;
        }
    }
    if (IsBlank(lineDelimiter_)) lineDelimiter_ = DefaultDelimiter(trimmed);

    while (!Contains(outPutString_, lineDelimiter_)) {
        std::string kept = std::move(outPutString_);
        const std::int32_t status = ReadNext();
        if (status > 0) {
            lineString_ = std::move(kept);
            return status;
        }
        outPutString_ = kept + outPutString_;
        if (status == -1 && !Contains(outPutString_, lineDelimiter_)) {
            // The end of the file: what is left is the last line.
            lineString_ = trimmed ? std::string(TrimBlanks(outPutString_)) : std::move(outPutString_);
            outPutString_.clear();
            isEndOfLine_ = 1;
            if (trimmed) isEndOfFile_ = 1;
            return 0;
        }
    }

    const std::size_t position = outPutString_.find(lineDelimiter_);
    std::string line = outPutString_.substr(0, position);
    std::string rest = After(outPutString_, position + kDelimiterSkip);
    lineString_ = trimmed ? std::string(TrimBlanks(line)) : std::move(line);
    outPutString_ = trimmed ? std::string(TrimBlanks(rest)) : std::move(rest);
    return 0;
}

std::int32_t clsFileRead::ReadLineCrLf() {
    DoEvents();
    lineString_.clear();
    const auto length = static_cast<std::int64_t>(outPutString_.size());
    if (length == 0 || bigStringPointer_ > length) return 0;
    if (bigStringPointer_ < 1) bigStringPointer_ = 1;
    const auto start = static_cast<std::size_t>(bigStringPointer_ - 1);
    const std::size_t found = outPutString_.find(kCrLf, start);
    if (found != std::string::npos) {
        lineString_ = outPutString_.substr(start, found - start);
        bigStringPointer_ = static_cast<std::int32_t>(found + 1 + kCrLf.size());
    } else {
        lineString_ = outPutString_.substr(start);
        bigStringPointer_ = static_cast<std::int32_t>(length + 1);
    }
    return 0;
}

std::int32_t clsFileRead::LoadFileOutputStringNEW() { return 0; }

std::int32_t clsFileRead::LoadFileOSTILL990907() { return 0; }

std::int32_t clsFileRead::ReadNextTILL99907() { return 0; }

std::int32_t clsFileRead::ReadNextOLD() { return 0; }

}  // namespace ciphora
