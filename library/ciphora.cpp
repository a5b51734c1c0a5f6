// The C interface of the cipher: every entry point turns exceptions into
// result codes, and nothing is written to a caller's buffer before it is
// known to fit.

#include "ciphora/ciphora.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "cipher/CipherKernel.h"
#include "cipher/CipherText.h"
#include "cipher/CipherTextDecoder.h"
#include "cipher/FileStreams.h"
#include "cipher/SubstitutionTables.h"
#include "support/OutputFile.h"
#include "support/ReadOnlyFile.h"
#include "support/RuntimeError.h"

namespace ciphora {
namespace {

CipherKernel KernelOf(const ciphora_key& key) {
    CipherKey values;
    std::copy(std::begin(key.values), std::end(key.values), values.values.begin());
    return CipherKernel(DefaultSubstitutionTables(), values);
}

bool IsValidKey(const ciphora_key& key) {
    return std::none_of(std::begin(key.values), std::end(key.values), [](unsigned char v) { return v == 0; });
}

// Runs `body`, which returns a result code, turning what it throws into one.
template <typename Body>
int Guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return CIPHORA_ERROR_MEMORY;
    } catch (const ReadFailure&) {
        return CIPHORA_ERROR_INPUT;
    } catch (const WriteFailure&) {
        return CIPHORA_ERROR_OUTPUT;
    } catch (const RuntimeError&) {
        // What else the system refuses happens on the way out.
        return CIPHORA_ERROR_OUTPUT;
    } catch (...) {
        // Allocation is all that is left to fail (std::length_error too).
        return CIPHORA_ERROR_MEMORY;
    }
}

// Whether `needed` bytes fit; says how many are needed when they do not.
bool Fits(std::size_t needed, std::size_t capacity, std::size_t* written) {
    if (needed <= capacity) return true;
    *written = needed;
    return false;
}

// Counts each code above 255 once, however often it was reduced.
class ReducedCodes {
public:
    CipherTextDecoder::ReductionObserver Observer() {
        return [this](int, std::uint64_t index) {
            if (count_ > 0 && index == last_) return;
            ++count_;
            last_ = index;
        };
    }
    std::uint64_t Count() const { return count_; }

private:
    std::uint64_t count_ = 0;
    std::uint64_t last_ = 0;
};

// Room for deciphered text that the thread keeps between calls, so that the
// pages of a large result are not faulted in afresh every time.
std::string& ScratchText(std::size_t room) {
    thread_local std::string text;
    text.clear();
    text.reserve(room);
    return text;
}

// More than 64 MiB of it is given back after use.
void ReleaseScratch(std::string& text) {
    constexpr std::size_t kKept = 64u << 20;
    if (text.capacity() > kKept) std::string().swap(text);
}

std::size_t DigitsIn(const void* text, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(text);
    return static_cast<std::size_t>(
        std::count_if(bytes, bytes + size, [](unsigned char c) { return c >= '0' && c <= '9'; }));
}

// The input of a file function: a file of known size, or a stream (a pipe).
struct FileInput {
    explicit FileInput(const std::string& path) {
        SystemFile opened = SystemFile::OpenForReading(path);
        if (opened.IsOrdinary()) {
            file.emplace(std::move(opened));
            positioned.emplace(*file);
            source = std::make_unique<FileInOrder>(*file);
        } else {
            source = std::make_unique<StreamSource>(std::move(opened));
        }
    }
    std::optional<ReadOnlyFile> file;
    std::optional<FileSource> positioned;
    std::unique_ptr<ByteSource> source;
};

// Opens, runs `pass` from the input into the output and commits; nothing is
// replaced when the pass fails or `pass` says so.
template <typename Pass>
int ThroughFiles(const ciphora_key* key, const char* input_path, const char* output_path, Pass pass) {
    if (key == nullptr || input_path == nullptr || output_path == nullptr) return CIPHORA_ERROR_ARGUMENT;
    if (!IsValidKey(*key)) return CIPHORA_ERROR_KEY;
    return Guarded([&] {
        std::optional<FileInput> input;
        try {
            input.emplace(input_path);
        } catch (const RuntimeError&) {
            return CIPHORA_ERROR_INPUT;
        }
        const CipherKernel kernel = KernelOf(*key);
        OutputFile output(output_path);
        const ConversionEnds ends{*input->source, input->positioned ? &*input->positioned : nullptr, output.Sink(),
                                  output.Positioned()};
        const int result = WithEnds(ends, [&](auto& from, auto& to) { return pass(kernel, from, to); });
        if (result == CIPHORA_OK) output.Commit();
        return result;
    });
}

}  // namespace
}  // namespace ciphora

using namespace ciphora;

// What a stream holds between calls.
struct ciphora_stream {
    explicit ciphora_stream(const ciphora_key& key, int direction) : kernel(KernelOf(key)), direction(direction) {
        if (direction == CIPHORA_DECIPHER) decoder.emplace(kernel, reduced.Observer());
    }
    CipherKernel kernel;
    int direction;
    std::uint64_t taken = 0;  // bytes fed so far
    ReducedCodes reduced;
    std::optional<CipherTextDecoder> decoder;
    std::uint64_t plainLength = 0;      // deciphered so far
    std::optional<std::string> ending;  // what finish gives, once worked out
    bool finished = false;
};

extern "C" {

int ciphora_key_parse(const char* text, ciphora_key* key) {
    if (text == nullptr || key == nullptr) return CIPHORA_ERROR_ARGUMENT;
    return Guarded([&] {
        const std::optional<CipherKey> parsed = ReadCommandLineKey(text);
        if (!parsed) return CIPHORA_ERROR_KEY;
        std::copy(parsed->values.begin(), parsed->values.end(), key->values);
        return CIPHORA_OK;
    });
}

size_t ciphora_enciphered_size(uint64_t plain_size) {
    // 3.1 bytes a byte at most: beyond this, the size overflows.
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max() / 4;
    if (plain_size > kLargest) return SIZE_MAX;
    const std::uint64_t size = CipherTextSize(plain_size);
    return size > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(size);
}

size_t ciphora_deciphered_bound(size_t cipher_size) { return cipher_size / kDigitsPerCode; }

int ciphora_encipher(const ciphora_key* key, const void* plain, size_t size, char* out, size_t capacity,
                     size_t* written) {
    if (key == nullptr || written == nullptr || (plain == nullptr && size > 0)) return CIPHORA_ERROR_ARGUMENT;
    if (!IsValidKey(*key)) return CIPHORA_ERROR_KEY;
    const std::size_t needed = ciphora_enciphered_size(size);
    if (needed == SIZE_MAX) return CIPHORA_ERROR_ARGUMENT;
    if (!Fits(needed, capacity, written)) return CIPHORA_ERROR_CAPACITY;
    if (needed > 0 && out == nullptr) return CIPHORA_ERROR_ARGUMENT;
    return Guarded([&] {
        const CipherKernel kernel = KernelOf(*key);
        Byte* end = kernel.Encipher(static_cast<const Byte*>(plain), size, 0, reinterpret_cast<Byte*>(out));
        // The last line is ended too, when it is short.
        if (size % kCodesPerLine != 0) {
            *end++ = '\r';
            *end++ = '\n';
        }
        *written = static_cast<std::size_t>(end - reinterpret_cast<Byte*>(out));
        return CIPHORA_OK;
    });
}

int ciphora_decipher(const ciphora_key* key, const char* cipher, size_t size, void* out, size_t capacity,
                     size_t* written, uint64_t* reduced_codes) {
    if (key == nullptr || written == nullptr || (cipher == nullptr && size > 0)) return CIPHORA_ERROR_ARGUMENT;
    if (!IsValidKey(*key)) return CIPHORA_ERROR_KEY;
    return Guarded([&] {
        const CipherKernel kernel = KernelOf(*key);
        const auto* text = reinterpret_cast<const Byte*>(cipher);
        // With room for the most the text can give, the canonical lines at
        // its start go straight into `out`; they hold no code above 255.
        std::size_t direct = 0;
        if (out != nullptr && capacity >= ciphora_deciphered_bound(size))
            direct =
                kernel.DecipherCanonicalLines(text, size, 0, ciphora_deciphered_bound(size), static_cast<Byte*>(out));
        const std::size_t taken = static_cast<std::size_t>(SpanCipherSize(0, direct));
        // The rest the lenient way, as if those codes had been read by it.
        ReducedCodes reduced;
        CipherTextDecoder decoder(kernel, direct, reduced.Observer());
        std::string& rest = ScratchText(ciphora_deciphered_bound(size - taken));
        decoder.Feed(text + taken, size - taken, rest);
        decoder.Finish(rest, size);
        const std::size_t total = direct + rest.size();
        if (total == 0 && size > 0) return CIPHORA_ERROR_NO_CIPHER_TEXT;
        if (!Fits(total, capacity, written)) return CIPHORA_ERROR_CAPACITY;
        if (total > 0 && out == nullptr) return CIPHORA_ERROR_ARGUMENT;
        std::copy(rest.begin(), rest.end(), static_cast<char*>(out) + direct);
        ReleaseScratch(rest);
        *written = total;
        if (reduced_codes != nullptr) *reduced_codes = reduced.Count();
        return CIPHORA_OK;
    });
}

int ciphora_stream_create(const ciphora_key* key, int direction, ciphora_stream** stream) {
    if (key == nullptr || stream == nullptr || (direction != CIPHORA_ENCIPHER && direction != CIPHORA_DECIPHER))
        return CIPHORA_ERROR_ARGUMENT;
    if (!IsValidKey(*key)) return CIPHORA_ERROR_KEY;
    return Guarded([&] {
        *stream = new ciphora_stream(*key, direction);
        return CIPHORA_OK;
    });
}

size_t ciphora_stream_feed_bound(const ciphora_stream* stream, size_t size) {
    if (stream == nullptr) return 0;
    if (stream->direction == CIPHORA_ENCIPHER) return static_cast<size_t>(LargestSpanCipherSize(size));
    return (size + static_cast<std::size_t>(stream->decoder->PartialDigits())) / kDigitsPerCode;
}

int ciphora_stream_feed(ciphora_stream* stream, const void* input, size_t size, void* out, size_t capacity,
                        size_t* written) {
    if (stream == nullptr || written == nullptr || (input == nullptr && size > 0)) return CIPHORA_ERROR_ARGUMENT;
    if (stream->finished || stream->ending) return CIPHORA_ERROR_STATE;
    return Guarded([&] {
        const auto* bytes = static_cast<const Byte*>(input);
        if (stream->direction == CIPHORA_ENCIPHER) {
            const auto needed = static_cast<std::size_t>(SpanCipherSize(stream->taken, size));
            if (!Fits(needed, capacity, written)) return CIPHORA_ERROR_CAPACITY;
            if (needed > 0 && out == nullptr) return CIPHORA_ERROR_ARGUMENT;
            stream->kernel.Encipher(bytes, size, stream->taken, static_cast<Byte*>(out));
            stream->taken += size;
            *written = needed;
            return CIPHORA_OK;
        }
        const std::size_t needed =
            (static_cast<std::size_t>(stream->decoder->PartialDigits()) + DigitsIn(input, size)) / kDigitsPerCode;
        if (!Fits(needed, capacity, written)) return CIPHORA_ERROR_CAPACITY;
        if (needed > 0 && out == nullptr) return CIPHORA_ERROR_ARGUMENT;
        std::string plain;
        plain.reserve(needed);
        stream->decoder->Feed(bytes, size, plain);
        std::copy(plain.begin(), plain.end(), static_cast<char*>(out));
        stream->taken += size;
        stream->plainLength += plain.size();
        *written = plain.size();
        return CIPHORA_OK;
    });
}

int ciphora_stream_finish(ciphora_stream* stream, void* out, size_t capacity, size_t* written,
                          uint64_t* reduced_codes) {
    if (stream == nullptr || written == nullptr) return CIPHORA_ERROR_ARGUMENT;
    if (stream->finished) return CIPHORA_ERROR_STATE;
    return Guarded([&] {
        if (!stream->ending) {
            std::string ending;
            if (stream->direction == CIPHORA_ENCIPHER) {
                if (stream->taken % kCodesPerLine != 0) ending = "\r\n";
            } else {
                stream->decoder->Finish(ending, stream->taken);
            }
            stream->ending = std::move(ending);
        }
        const std::string& ending = *stream->ending;
        if (stream->direction == CIPHORA_DECIPHER && stream->plainLength + ending.size() == 0 && stream->taken > 0)
            return CIPHORA_ERROR_NO_CIPHER_TEXT;
        if (!Fits(ending.size(), capacity, written)) return CIPHORA_ERROR_CAPACITY;
        if (!ending.empty() && out == nullptr) return CIPHORA_ERROR_ARGUMENT;
        std::copy(ending.begin(), ending.end(), static_cast<char*>(out));
        *written = ending.size();
        if (reduced_codes != nullptr) *reduced_codes = stream->reduced.Count();
        stream->finished = true;
        return CIPHORA_OK;
    });
}

void ciphora_stream_free(ciphora_stream* stream) { delete stream; }

int ciphora_encipher_file(const ciphora_key* key, const char* input_path, const char* output_path) {
    return ThroughFiles(key, input_path, output_path, [](const CipherKernel& kernel, auto& in, auto& out) {
        EncipherStream(kernel, in, out);
        return CIPHORA_OK;
    });
}

int ciphora_decipher_file(const ciphora_key* key, const char* input_path, const char* output_path,
                          uint64_t* reduced_codes) {
    return ThroughFiles(key, input_path, output_path, [&](const CipherKernel& kernel, auto& in, auto& out) {
        ReducedCodes reduced;
        const DecipherSummary summary = DecipherStream(kernel, in, out, reduced.Observer());
        // An empty plain text would only lose the output.
        if (summary.plainLength == 0 && summary.cipherLength > 0) return CIPHORA_ERROR_NO_CIPHER_TEXT;
        if (reduced_codes != nullptr) *reduced_codes = reduced.Count();
        return CIPHORA_OK;
    });
}

const char* ciphora_error_text(int code) {
    switch (code) {
        case CIPHORA_OK: return "done";
        case CIPHORA_ERROR_ARGUMENT: return "a null pointer or a value out of range";
        case CIPHORA_ERROR_KEY: return "the key must be fifteen digits: five groups of three, each from 001 to 255";
        case CIPHORA_ERROR_CAPACITY: return "the output has too little room";
        case CIPHORA_ERROR_NO_CIPHER_TEXT: return "it is no cipher text, not a code in it";
        case CIPHORA_ERROR_MEMORY: return "out of memory";
        case CIPHORA_ERROR_INPUT: return "the input could not be opened or read";
        case CIPHORA_ERROR_OUTPUT: return "the output could not be written";
        case CIPHORA_ERROR_STATE: return "the stream was finished already";
        default: return "unknown result";
    }
}

const char* ciphora_version(void) { return CIPHORA_LIBRARY_VERSION; }

}  // extern "C"
