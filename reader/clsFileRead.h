#pragma once

#include <cstdint>
#include <string>

#include "NameListVariant.h"

namespace ciphora {

// A general-purpose reader for text files, one object per file. Inputs come
// from properties set beforehand, results are left in properties, and every
// operation returns a Long status: 0 done, -1 end of file, file not found or
// nothing to do, a positive value the number of a run-time error caught by
// the operation's error trap. The traps are armed while ErrTrapLevel is 1 or
// more; unarmed, a run-time error passes to the caller as RuntimeError.
//
// End of file in the line readers: when the last read meets the end of the
// file and the text left over holds no delimiter, that text is handed out
// whole as the last line, once, and the buffer is emptied; IsEndOfLine is set
// (ReadNextLine1310 also sets IsEndOfFile). The next call finds the end state:
// an empty line with IsEndOfLine set.
//
// A reader closes the files it opened when it is destroyed.
class clsFileRead {
public:
    clsFileRead();
    ~clsFileRead();
    clsFileRead(const clsFileRead&) = delete;
    clsFileRead& operator=(const clsFileRead&) = delete;

    void IsBinary(bool vData) { isBinary_ = vData; }
    bool IsBinary() const { return isBinary_; }
    void ReadDirFilesMaxNr(std::int32_t vData) { readDirFilesMaxNr_ = vData; }
    std::int32_t ReadDirFilesMaxNr() const { return readDirFilesMaxNr_; }
    void VntDirFileNames(NameListVariant vData) { vntDirFileNames_ = std::move(vData); }
    const NameListVariant& VntDirFileNames() const { return vntDirFileNames_; }
    void NrRowsDirArray(std::int32_t vData) { nrRowsDirArray_ = vData; }
    std::int32_t NrRowsDirArray() const { return nrRowsDirArray_; }
    void DirFilePattern(std::string vData) { dirFilePattern_ = std::move(vData); }
    const std::string& DirFilePattern() const { return dirFilePattern_; }
    void BigStringPointer(std::int32_t vData) { bigStringPointer_ = vData; }
    std::int32_t BigStringPointer() const { return bigStringPointer_; }

    // Hands out the next line of OutPutString from BigStringPointer on.
    std::int32_t ReadLineCrLf();
    // Disabled: logs a warning.
    std::int32_t ReadNextRtbChunk();
    // Hands out the next name of the listing into FileName.
    std::int32_t ReadNextDirFile();
    // Lists DirectoryName + DirFilePattern, at most ReadDirFilesMaxNr names.
    std::int32_t ReadDirFiles();
    // Lists into a fixed array of 101 entries.
    std::int32_t ReadDirFiles100();
    std::int32_t LoadFileOutputStringNEW();
    // Loads the whole file DirectoryName + FileName into OutPutString.
    std::int32_t LoadFileOutputString();
    std::int32_t LoadFileOSTILL990907();
    // Tries to load the file and reports whether that worked.
    std::int32_t LoadFileRtb();

    void DirectoryName(std::string vData) { directoryName_ = std::move(vData); }
    const std::string& DirectoryName() const { return directoryName_; }
    void FieldDelimiter(std::string vData) { fieldDelimiter_ = std::move(vData); }
    const std::string& FieldDelimiter() const { return fieldDelimiter_; }
    void IsEndOfLine(std::uint8_t vData) { isEndOfLine_ = vData; }
    std::uint8_t IsEndOfLine() const { return isEndOfLine_; }
    void LineDelimiter(std::string vData) { lineDelimiter_ = std::move(vData); }
    const std::string& LineDelimiter() const { return lineDelimiter_; }
    void FieldString(std::string vData) { fieldString_ = std::move(vData); }
    const std::string& FieldString() const { return fieldString_; }

    // Cuts the next field off LineString into FieldString.
    std::int32_t ReadNextField();

    void LineString(std::string vData) { lineString_ = std::move(vData); }
    const std::string& LineString() const { return lineString_; }

    // The next line, up to LineDelimiter, as it stands.
    std::int32_t ReadNextLine();
    // The next line, trimmed of blanks.
    std::int32_t ReadNextLine1310();
    std::int32_t CloseFile();
    std::int32_t OpenFile();

    void OutPutString(std::string vData) { outPutString_ = std::move(vData); }
    const std::string& OutPutString() const { return outPutString_; }

    // The next chunk of up to 1024 characters into OutPutString.
    std::int32_t ReadNext();
    std::int32_t ReadNextTILL99907();
    std::int32_t ReadNextOLD();
    // Removes a length prefix from FieldString.
    std::int32_t StripLength();

    void IsEndOfFile(std::uint8_t vData) { isEndOfFile_ = vData; }
    std::uint8_t IsEndOfFile() const { return isEndOfFile_; }
    void FileName(std::string vData) { fileName_ = std::move(vData); }
    const std::string& FileName() const { return fileName_; }

    // Reads the whole file into OutPutString through a staging block.
    std::int32_t ReadComplete();

private:
    // The line cut of ReadNextLine and ReadNextLine1310.
    enum class LineStyle { AsItStands, Trimmed };
    std::int32_t ReadLine(LineStyle style);
    std::int32_t ListDirectory(std::string_view procedure, bool fixedSize);
    void AppendSeparator();
    std::string WholePath() const { return directoryName_ + fileName_; }

    std::string fileName_;
    std::uint8_t isEndOfFile_ = 0;
    std::string outPutString_;
    std::string lineString_;
    std::string fieldString_;
    std::string lineDelimiter_;
    std::uint8_t isEndOfLine_ = 0;
    std::string fieldDelimiter_;
    std::int32_t fileNumber_ = 0;
    std::string directoryName_;
    std::int32_t dirIndex_ = 0;
    std::int32_t dirCapacity_ = 0;
    std::int32_t bigStringPointer_ = 0;
    std::string fullPath_;
    std::string dirFilePattern_;
    std::int32_t nrRowsDirArray_ = 0;
    NameListVariant vntDirFileNames_ = NameListVariant::Empty();
    std::int32_t readDirFilesMaxNr_ = 0;
    bool isBinary_ = false;
};

}  // namespace ciphora
