#include "Options.h"

#include <getopt.h>

#include <algorithm>

#include "cipher/KernelPaths.h"

namespace ciphora {

namespace {

constexpr char kShortOptions[] = ":edtk:o:qhVifrS:";
enum LongOnly : int { kLogOption = 256, kKeyOption, kKeepOption, kNewKeyOption };
constexpr option kLongOptions[] = {
    {"encrypt", no_argument, nullptr, 'e'},
    {"decrypt", no_argument, nullptr, 'd'},
    {"test", no_argument, nullptr, 't'},
    {"new-key", required_argument, nullptr, kNewKeyOption},
    {"in-place", no_argument, nullptr, 'i'},
    {"force", no_argument, nullptr, 'f'},
    {"keep", no_argument, nullptr, kKeepOption},
    {"recursive", no_argument, nullptr, 'r'},
    {"suffix", required_argument, nullptr, 'S'},
    {"key-file", required_argument, nullptr, 'k'},
    {"output", required_argument, nullptr, 'o'},
    {"quiet", no_argument, nullptr, 'q'},
    {"log", required_argument, nullptr, kLogOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    // Named only to be refused: without it, "--key" would abbreviate --key-file.
    {"key", optional_argument, nullptr, kKeyOption},
    {nullptr, 0, nullptr, 0},
};

ParsedOptions Refused(std::string message) { return {std::nullopt, std::move(message) + " (see ciphora --help)"}; }

// The option a refusal names, as it was given: the long one just scanned,
// or the short letter.
std::string Culprit(const std::vector<char*>& argv) {
    const std::string scanned = optind > 0 ? argv[static_cast<std::size_t>(optind - 1)] : "";
    if (scanned.starts_with("--") || optopt == 0) return scanned.substr(0, scanned.find('='));
    return std::string("-") + static_cast<char>(optopt);
}

bool Ciphers(const Options& options) {
    return options.action == Options::Action::Encipher || options.action == Options::Action::Decipher;
}

// What the options, read one by one, cannot mean together.
std::optional<std::string> Conflict(const Options& options) {
    const bool standardInput =
        options.inputs.empty() || std::find(options.inputs.begin(), options.inputs.end(), "-") != options.inputs.end();
    const bool inPlace = options.inPlace && Ciphers(options);
    if (options.inPlace && !Ciphers(options)) return "-i goes with -e or -d";
    if (inPlace && options.output) return "-i writes each file beside its input; it takes no -o";
    if (inPlace && standardInput) return "-i needs files to write beside; standard input has no name";
    if (!inPlace && (options.force || options.keep)) return "-f and --keep go with -i";
    if (options.recursive && !inPlace && options.action != Options::Action::Test) return "-r goes with -i or -t";
    if (options.suffix.empty() || options.suffix.find_first_of("/\\") != std::string::npos)
        return "the suffix must be a name's ending, not empty";
    if (Ciphers(options) && !options.inPlace && options.inputs.size() > 1)
        return "one input at most; -i enciphers or deciphers many files in place";
    if (options.action == Options::Action::NewKey && !options.inputs.empty()) return "--new-key takes no input";
    if (options.keyFile == "-" && standardInput && (Ciphers(options) || options.action == Options::Action::Test))
        return "the key and the input cannot both come from standard input";
    return std::nullopt;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    // getopt_long takes the program's name first and moves the operands
    // behind the options, so it gets a copy.
    std::vector<std::string> copies{"ciphora"};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(copies.size() + 1);
    for (std::string& copy : copies) argv.push_back(copy.data());
    argv.push_back(nullptr);

    Options options;
    std::optional<Options::Action> action;
    const auto choose = [&](Options::Action chosen) {
        if (action && *action != chosen) return false;
        action = chosen;
        return true;
    };
    optind = 0;  // a fresh scan, whatever scanned before
    opterr = 0;
    for (;;) {
        optopt = 0;
        const int found =
            getopt_long(static_cast<int>(argv.size() - 1), argv.data(), kShortOptions, kLongOptions, nullptr);
        if (found == -1) break;
        switch (found) {
            case 'e':
            case 'd':
            case 't':
            case kNewKeyOption:
            case 'h':
            case 'V': {
                const Options::Action chosen = found == 'e'             ? Options::Action::Encipher
                                               : found == 'd'           ? Options::Action::Decipher
                                               : found == 't'           ? Options::Action::Test
                                               : found == kNewKeyOption ? Options::Action::NewKey
                                               : found == 'h'           ? Options::Action::Help
                                                                        : Options::Action::Version;
                if (!choose(chosen)) return Refused("choose one of -e, -d, -t, --new-key, -h and -V");
                if (found == kNewKeyOption) options.newKeyFile = optarg;
                break;
            }
            case 'i': options.inPlace = true; break;
            case 'f': options.force = true; break;
            case kKeepOption: options.keep = true; break;
            case 'r': options.recursive = true; break;
            case 'S': options.suffix = optarg; break;
            case 'k': options.keyFile = optarg; break;
            case 'o': options.output = optarg; break;
            case 'q': options.quiet = true; break;
            case kLogOption: options.logFile = optarg; break;
            case kKeyOption:
                return Refused(
                    "the key is never taken from the command line, where others can read it; "
                    "use -k KEYFILE or CIPHORA_KEY");
            case ':': return Refused("option " + Culprit(argv) + " needs a value");
            default: return Refused("unknown option " + Culprit(argv));
        }
    }
    if (!action) return Refused("say -e to encipher or -d to decipher");
    options.action = *action;
    for (std::size_t operand = static_cast<std::size_t>(optind); operand + 1 < argv.size(); ++operand)
        options.inputs.emplace_back(argv[operand]);
    if (!options.inputs.empty()) options.input = options.inputs.front();
    if (const std::optional<std::string> conflict = Conflict(options)) return Refused(*conflict);
    return {options, {}};
}

std::string HelpText() {
    return "Usage: ciphora -e [-k KEYFILE] [-o OUTPUT] [INPUT]    encipher\n"
           "       ciphora -d [-k KEYFILE] [-o OUTPUT] [INPUT]    decipher\n"
           "       ciphora -e|-d -i [-k KEYFILE] [-f] [--keep] [-r] FILE...   in place\n"
           "       ciphora -t [-k KEYFILE] [-r] [FILE...]         check cipher text\n"
           "       ciphora --new-key FILE                         make a key\n"
           "       ciphora ENC<key> | DENC<key>   input.txt and output.txt beside ciphora\n"
           "\n"
           "Enciphers a text into three-digit codes, twenty to a line, or deciphers\n"
           "such codes back into the text.\n"
           "\n"
           "  -e, --encrypt         encipher INPUT\n"
           "  -d, --decrypt         decipher INPUT\n"
           "  -t, --test            check that each FILE is sound cipher text, and with\n"
           "                        a key that it deciphers to text; writes nothing\n"
           "      --new-key FILE    write a new random key to FILE, which must not\n"
           "                        exist yet (\"-\": standard output)\n"
           "  -k, --key-file FILE   read the key from FILE (\"-\": standard input, when\n"
           "                        INPUT is a file)\n"
           "  -o, --output FILE     write FILE instead of standard output: a file\n"
           "                        whole or not at all, a device or pipe in place\n"
           "  -i, --in-place        write each FILE's result beside it, FILE.cph when\n"
           "                        enciphering, FILE without .cph when deciphering,\n"
           "                        then remove FILE\n"
           "  -f, --force           with -i, replace a result that exists already\n"
           "      --keep            with -i, keep each FILE\n"
           "  -r, --recursive       with -i or -t, walk folders (links are skipped)\n"
           "  -S, --suffix SUFFIX   the suffix of cipher text files instead of .cph\n"
           "  -q, --quiet           no progress and no warnings\n"
           "      --log FILE        also append every message to the log FILE\n"
           "  -h, --help            show this help\n"
           "  -V, --version         show the version and the cipher kernel in use\n"
           "\n"
           "INPUT missing or \"-\" is standard input; OUTPUT \"-\" is standard output.\n"
           "The key is fifteen digits, five groups from 001 to 255; it comes from\n"
           "-k FILE, else from the environment variable CIPHORA_KEY, else it is\n"
           "asked for on the terminal.\n"
           "CIPHORA_KERNEL=scalar|avx2|avx512|neon forces a cipher kernel this\n"
           "processor has (the output is the same on all); else the fastest is used.\n"
           "\n"
           "Examples:\n"
           "  ciphora --new-key my.key\n"
           "  ciphora -e -k my.key -o letter.cph letter.txt\n"
           "  ciphora -d -k my.key < letter.cph > letter.txt\n"
           "  ciphora -e -i -r -k my.key letters/     every file to FILE.cph\n"
           "  ciphora -t -k my.key letter.cph          sound, and the right key?\n"
           "\n"
           "Exit status: 0 done, 64 command line or key refused, 65 input unreadable\n"
           "or unsound, 66 input missing, 73 output not written, 74 log not written.\n"
           "With many files, the status is that of the first that failed.\n";
}

std::string VersionText(std::string_view version) {
    std::string text = "ciphora " + std::string(version) +
                       "\ncipher kernel: " + std::string(KernelPathName(DefaultKernelPath())) + " (this processor has";
    for (KernelPath path : AvailableKernelPaths()) text += " " + std::string(KernelPathName(path));
    return text + ")\n";
}

}  // namespace ciphora
