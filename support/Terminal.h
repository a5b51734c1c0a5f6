#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The terminal the program runs in, where there is one. One implementation
// per operating system.
namespace ciphora::Terminal {

// Whether standard error goes to a terminal, where a person watches it.
bool StandardErrorIsTerminal();

// The width of that terminal in columns, where it tells.
std::optional<std::size_t> StandardErrorColumns();

// Sets what goes to standard error when Ctrl-C (or another signal that ends
// the process) ends the run before it is done, such as the wipe of a
// progress line; empty for nothing.
void SetWipeOnInterrupt(std::string_view text);

// Shows `prompt` on the terminal and reads one line there without showing
// what is typed; the program's standard input and output are not touched.
// Suspended (Ctrl-Z) and resumed, it turns echo off again and asks anew; a
// signal that ends the process gives the terminal back first. Nothing when
// there is no terminal or it ends before a line does.
std::optional<std::string> ReadSecret(std::string_view prompt);

}  // namespace ciphora::Terminal
