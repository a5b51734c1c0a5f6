#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ciphora {

// The options form of the command line, for a command line whose first
// argument begins with "-":
//   ciphora -e|-d [-k KEYFILE] [-o OUTPUT] [-q] [--log FILE] [INPUT]
//   ciphora -e|-d -i [-k KEYFILE] [-f] [--keep] [-r] [-S SUFFIX] FILE...
//   ciphora -t [-k KEYFILE] [-r] [-S SUFFIX] [FILE...]
//   ciphora --new-key FILE
//   ciphora -h|--help,  ciphora -V|--version
struct Options {
    enum class Action { Encipher, Decipher, Test, NewKey, Help, Version };
    Action action = Action::Help;
    std::string input = "-";            // "-": standard input
    std::vector<std::string> inputs;    // every operand, for -i and -t
    std::optional<std::string> output;  // none: standard output
    std::optional<std::string> keyFile;
    std::optional<std::string> logFile;
    std::string newKeyFile;  // of --new-key; "-": standard output
    bool quiet = false;
    bool inPlace = false;    // -i: each FILE to FILE.cph beside it, or back
    bool force = false;      // -f: an existing target is replaced
    bool keep = false;       // --keep: the source stays
    bool recursive = false;  // -r: folders are walked
    std::string suffix = ".cph";
};

// The options, or the message that refuses the command line.
struct ParsedOptions {
    std::optional<Options> options;
    std::string refusal;
};

// Reads the arguments after the program's name, GNU style: short options may
// be bundled, long ones take "--name value" or "--name=value", and "--" ends
// the options.
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// The text of --help, at most 80 columns wide.
std::string HelpText();

// The version, then the cipher kernel in use and the ones this processor has.
std::string VersionText(std::string_view version);

}  // namespace ciphora
