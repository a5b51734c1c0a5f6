#pragma once

#include <optional>
#include <string>
#include <string_view>

// The terminal the program runs in, where there is one. One implementation
// per operating system.
namespace ciphora::Terminal {

// Whether standard error goes to a terminal, where a person watches it.
bool StandardErrorIsTerminal();

// Shows `prompt` on the terminal and reads one line there without showing
// what is typed; the program's standard input and output are not touched.
// Nothing when there is no terminal or it ends before a line does.
std::optional<std::string> ReadSecret(std::string_view prompt);

}  // namespace ciphora::Terminal
