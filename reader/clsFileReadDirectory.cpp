// Directory listings of clsFileRead.

#include <optional>

#include "ErrorTrap.h"
#include "clsFileRead.h"
#include "main/mdlMain.h"
#include "support/DirectorySearch.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

namespace {

constexpr std::int32_t kInitialCapacity = 100;
constexpr std::int32_t kGrowth = 50;
constexpr std::int32_t kDefaultLimit = 5000;

}  // namespace

std::int32_t clsFileRead::ReadDirFiles() {
    DoEvents();
    if (readDirFilesMaxNr_ == 0) readDirFilesMaxNr_ = kDefaultLimit;
    return ListDirectory("ReadDirFiles", false);
}

std::int32_t clsFileRead::ReadDirFiles100() {
    DoEvents();
    return ListDirectory("ReadDirFiles100", true);
}

std::int32_t clsFileRead::ListDirectory(std::string_view procedure, bool fixedSize) {
    ErrorTrap trap(procedure, ErrTrapLevel >= 1);
    dirCapacity_ = kInitialCapacity;
    trap.Run([&] {
        // The last character of an empty name cannot be taken.
        if (directoryName_.empty()) throw RuntimeError(kInvalidProcedureCall);
        if (directoryName_.back() != kPathSeparator) directoryName_ += kPathSeparator;
    });
    vntDirFileNames_ = NameListVariant::Array(dirCapacity_);
    if (IsBlank(dirFilePattern_)) dirFilePattern_ = "*.*";
    dirIndex_ = -1;

    std::optional<DirectorySearch> search;
    std::optional<std::string> name;
    trap.Run([&] {
        search.emplace(directoryName_ + dirFilePattern_);
        name = search->Next();
    });
    for (;;) {
        DoEvents();
        if (!name || IsBlank(*name)) break;
        ++dirIndex_;
        if (fixedSize && dirIndex_ > kInitialCapacity) break;
        if (!fixedSize && dirIndex_ >= readDirFilesMaxNr_) {
            FWriteLog("clsFileRead.ReadDirFiles-System trying to read more than " + std::to_string(readDirFilesMaxNr_) +
                          " files-voluntary exit!",
                      "");
            break;
        }
        if (dirIndex_ > dirCapacity_) {
            dirCapacity_ += kGrowth;
            vntDirFileNames_.Preserve(dirCapacity_);
        }
        vntDirFileNames_.Store(dirIndex_, *name);
        if (fixedSize) {
            if (!trap.Run([&] { name = search->Next(); })) name.reset();
        } else {
            // Once names are stored, a failing search ends the listing with
            // what it has.
            try {
                name = search->Next();
            } catch (const RuntimeError&) {
                break;
            }
        }
    }

    trap.Arm();
    trap.Run([&] {
        if (dirIndex_ > 0) {
            nrRowsDirArray_ = dirIndex_;
            vntDirFileNames_.Preserve(dirIndex_);
        } else if (dirIndex_ == 0) {
            nrRowsDirArray_ = 0;
            vntDirFileNames_.Preserve(1);
        } else if (!fixedSize) {
            nrRowsDirArray_ = 0;
            vntDirFileNames_ = NameListVariant::Null();
        }
        dirIndex_ = 0;
    });
    return trap.Status(0);
}

std::int32_t clsFileRead::ReadNextDirFile() {
    DoEvents();
    if (vntDirFileNames_.IsArray()) {
        fileName_.clear();
        if (dirIndex_ <= vntDirFileNames_.UBound()) {
            fileName_ = vntDirFileNames_[dirIndex_].value_or("");
            ++dirIndex_;
        }
    }
    return 0;
}

}  // namespace ciphora
