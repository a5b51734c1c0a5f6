#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ciphora {

// The run time's numbered files, shared by the whole process: numbers 1 to
// 511, each open for sequential text input, binary reading or appending.
// Every failure raises RuntimeError: 52 for a number that is not open or out
// of range, 62 for reading past the end, the mapped error for opens.
namespace NumberedFiles {

inline constexpr std::int32_t kHighestNumber = 511;

// The lowest number not in use (67 "Too many files" when all are taken).
std::int32_t FreeFile();

// The first number from `first` up that no file holds but `owner`'s own, so
// that one owner never takes over another's file. A number past the highest
// comes back as it is, for the open to refuse.
std::int32_t FirstNumberFor(std::int32_t first, const void* owner);

// Opens for reading, shared with other readers and writers. `owner` marks
// the object the file belongs to, for CloseOwnedBy.
void OpenForInput(std::int32_t number, const std::string& path, const void* owner = nullptr);
// Opens for appending with writes by others locked out; a missing file is
// created empty.
void OpenForAppend(std::int32_t number, const std::string& path, const void* owner = nullptr);

// Closing a number that is not open does nothing.
void Close(std::int32_t number);
// Closes every file that `owner` opened and that is still open under it.
void CloseOwnedBy(const void* owner);

bool Eof(std::int32_t number);
// Reads the next byte.
char ReadChar(std::int32_t number);
void Write(std::int32_t number, std::string_view bytes);

}  // namespace NumberedFiles

}  // namespace ciphora
