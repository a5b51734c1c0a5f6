/* The C interface used from C, as its users use it: every function, its
 * results and its errors. Compiled as C99. */
#include <ciphora/ciphora.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

#define CHECK(condition)                                                   \
    do {                                                                   \
        if (!(condition)) {                                                \
            (void)fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                    \
        }                                                                  \
    } while (0)

/* "Dear Bob,\r\n" under the key 117032209004188, as the program writes it. */
static const char kLetter[] = "Dear Bob,\r\n";
static const char kLetterCipher[] = "101073232035112074035230119148205\r\n";

static ciphora_key Key(void) {
    ciphora_key key;
    const int result = ciphora_key_parse("117032209004188", &key);
    CHECK(result == CIPHORA_OK);
    return key;
}

static void KeysAreReadAsTheProgramReadsThem(void) {
    struct {
        const char* text;
        int result;
    } cases[] = {
        {"117032209004188", CIPHORA_OK},   {"  117032209004188  ", CIPHORA_OK}, {"001255001255001", CIPHORA_OK},
        {"000032209004188", CIPHORA_ERROR_KEY}, {"117256209004188", CIPHORA_ERROR_KEY},
        {"11703220900418", CIPHORA_ERROR_KEY},  {"1170322090041880", CIPHORA_ERROR_KEY},
        {"117032209004188\t", CIPHORA_ERROR_KEY}, {"", CIPHORA_ERROR_KEY},
    };
    ciphora_key key;
    size_t i;
    for (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        (void)memset(&key, 0, sizeof key);
        CHECK(ciphora_key_parse(cases[i].text, &key) == cases[i].result);
        if (cases[i].result == CIPHORA_OK) CHECK(key.values[0] != 0);
    }
    key = Key();
    CHECK(key.values[0] == 117 && key.values[1] == 32 && key.values[2] == 209 && key.values[3] == 4 &&
          key.values[4] == 188);
    CHECK(ciphora_key_parse(NULL, &key) == CIPHORA_ERROR_ARGUMENT);
    CHECK(ciphora_key_parse("117032209004188", NULL) == CIPHORA_ERROR_ARGUMENT);
}

static void SizesAndBounds(void) {
    CHECK(ciphora_enciphered_size(0) == 0);
    CHECK(ciphora_enciphered_size(1) == 5);
    CHECK(ciphora_enciphered_size(20) == 62);
    CHECK(ciphora_enciphered_size(21) == 67);
    CHECK(ciphora_enciphered_size(UINT64_MAX) == SIZE_MAX);
    CHECK(ciphora_deciphered_bound(62) == 20);
    CHECK(ciphora_deciphered_bound(2) == 0);
}

static void EncipheringGivesTheProgramsBytes(void) {
    const ciphora_key key = Key();
    char out[64];
    size_t written = 0;
    (void)memset(out, 'x', sizeof out);
    CHECK(ciphora_encipher(&key, kLetter, strlen(kLetter), out, sizeof out, &written) == CIPHORA_OK);
    CHECK(written == strlen(kLetterCipher));
    CHECK(memcmp(out, kLetterCipher, written) == 0);
    CHECK(out[written] == 'x');

    /* Too little room: nothing written, the size needed said. */
    (void)memset(out, 'x', sizeof out);
    CHECK(ciphora_encipher(&key, kLetter, strlen(kLetter), out, 10, &written) == CIPHORA_ERROR_CAPACITY);
    CHECK(written == strlen(kLetterCipher));
    CHECK(out[0] == 'x');

    CHECK(ciphora_encipher(&key, NULL, 0, NULL, 0, &written) == CIPHORA_OK && written == 0);
    CHECK(ciphora_encipher(NULL, kLetter, 1, out, sizeof out, &written) == CIPHORA_ERROR_ARGUMENT);
    CHECK(ciphora_encipher(&key, NULL, 1, out, sizeof out, &written) == CIPHORA_ERROR_ARGUMENT);
    {
        ciphora_key zero = {{0, 1, 2, 3, 4}};
        CHECK(ciphora_encipher(&zero, kLetter, 1, out, sizeof out, &written) == CIPHORA_ERROR_KEY);
    }
}

static void DecipheringIsLenient(void) {
    const ciphora_key key = Key();
    char plain[64];
    size_t written = 0;
    uint64_t reduced = 99;
    CHECK(ciphora_decipher(&key, kLetterCipher, strlen(kLetterCipher), plain, sizeof plain, &written, &reduced) ==
          CIPHORA_OK);
    CHECK(written == strlen(kLetter) && memcmp(plain, kLetter, written) == 0);
    CHECK(reduced == 0);

    /* Codes above 255 are reduced, each counted once; blanks are skipped. */
    CHECK(ciphora_decipher(&key, "999 300\r\n", 9, plain, sizeof plain, &written, &reduced) == CIPHORA_OK);
    CHECK(written == 2 && reduced == 2);

    /* Too little room, no code at all, nothing at all. */
    (void)memset(plain, 'x', sizeof plain);
    CHECK(ciphora_decipher(&key, kLetterCipher, strlen(kLetterCipher), plain, 3, &written, NULL) ==
          CIPHORA_ERROR_CAPACITY);
    CHECK(written == strlen(kLetter) && plain[0] == 'x');
    CHECK(ciphora_decipher(&key, "Dear Bob", 8, plain, sizeof plain, &written, NULL) ==
          CIPHORA_ERROR_NO_CIPHER_TEXT);
    CHECK(ciphora_decipher(&key, "", 0, plain, sizeof plain, &written, NULL) == CIPHORA_OK && written == 0);
}

/* A text in pieces of every size from 1 to 7 gives the one-call bytes; its
 * short last line ends at finish. */
static void StreamsGiveTheOneCallBytes(void) {
    const ciphora_key key = Key();
    unsigned char plain[1001];
    char cipher[4000], streamed[4000];
    unsigned char back[1001];
    size_t cipherSize = 0, at, written = 0, total = 0;
    int direction;
    for (at = 0; at < sizeof plain; ++at) plain[at] = (unsigned char)(at * 7 + 3);
    CHECK(ciphora_encipher(&key, plain, sizeof plain, cipher, sizeof cipher, &cipherSize) == CIPHORA_OK);

    for (direction = CIPHORA_ENCIPHER; direction <= CIPHORA_DECIPHER; ++direction) {
        const unsigned char* input = direction == CIPHORA_ENCIPHER ? plain : (const unsigned char*)cipher;
        const size_t size = direction == CIPHORA_ENCIPHER ? sizeof plain : cipherSize;
        unsigned char* out = direction == CIPHORA_ENCIPHER ? (unsigned char*)streamed : back;
        ciphora_stream* stream = NULL;
        size_t piece = 1;
        uint64_t reduced = 99;
        CHECK(ciphora_stream_create(&key, direction, &stream) == CIPHORA_OK);
        total = 0;
        for (at = 0; at < size; at += piece, piece = piece % 7 + 1) {
            const size_t now = at + piece > size ? size - at : piece;
            CHECK(ciphora_stream_feed_bound(stream, now) <= 4000 - total);
            CHECK(ciphora_stream_feed(stream, input + at, now, out + total, ciphora_stream_feed_bound(stream, now),
                                      &written) == CIPHORA_OK);
            total += written;
        }
        CHECK(ciphora_stream_finish(stream, out + total, 0, &written, NULL) ==
              (direction == CIPHORA_ENCIPHER ? CIPHORA_ERROR_CAPACITY : CIPHORA_OK));
        if (direction == CIPHORA_ENCIPHER) {
            CHECK(written == 2);
            CHECK(ciphora_stream_finish(stream, out + total, 2, &written, &reduced) == CIPHORA_OK);
        }
        total += written;
        CHECK(ciphora_stream_feed(stream, input, 1, out, 100, &written) == CIPHORA_ERROR_STATE);
        CHECK(ciphora_stream_finish(stream, out, 100, &written, NULL) == CIPHORA_ERROR_STATE);
        ciphora_stream_free(stream);
        if (direction == CIPHORA_ENCIPHER)
            CHECK(total == cipherSize && memcmp(streamed, cipher, cipherSize) == 0);
        else
            CHECK(total == sizeof plain && memcmp(back, plain, sizeof plain) == 0);
    }

    {
        /* A feed with too little room takes nothing. */
        ciphora_stream* stream = NULL;
        CHECK(ciphora_stream_create(&key, CIPHORA_DECIPHER, &stream) == CIPHORA_OK);
        CHECK(ciphora_stream_feed(stream, "10", 2, back, 0, &written) == CIPHORA_OK && written == 0);
        CHECK(ciphora_stream_feed(stream, "1101", 4, back, 1, &written) == CIPHORA_ERROR_CAPACITY && written == 2);
        CHECK(ciphora_stream_feed(stream, "1101", 4, back, 2, &written) == CIPHORA_OK && written == 2);
        ciphora_stream_free(stream);
        CHECK(ciphora_stream_create(&key, 2, &stream) == CIPHORA_ERROR_ARGUMENT);
        ciphora_stream_free(NULL);
    }
}

static int WriteFile(const char* path, const char* text) {
    FILE* file = fopen(path, "wb");
    if (!file) return 0;
    (void)fputs(text, file);
    return fclose(file) == 0;
}

static size_t ReadFile(const char* path, char* buffer, size_t size) {
    FILE* file = fopen(path, "rb");
    size_t got;
    if (!file) return 0;
    got = fread(buffer, 1, size, file);
    (void)fclose(file);
    return got;
}

/* Files as the program writes them; `folder` must exist and be writable. */
static void FilesAsTheProgramWritesThem(const char* folder) {
    const ciphora_key key = Key();
    char plainPath[1024], cipherPath[1024], missing[1024], nowhere[1024], buffer[256];
    size_t got;
    uint64_t reduced = 99;
    (void)snprintf(plainPath, sizeof plainPath, "%s/letter.txt", folder);
    (void)snprintf(cipherPath, sizeof cipherPath, "%s/letter.cph", folder);
    (void)snprintf(missing, sizeof missing, "%s/no such file", folder);
    (void)snprintf(nowhere, sizeof nowhere, "%s/no such folder/out", folder);
    CHECK(WriteFile(plainPath, kLetter));
    CHECK(ciphora_encipher_file(&key, plainPath, cipherPath) == CIPHORA_OK);
    got = ReadFile(cipherPath, buffer, sizeof buffer);
    CHECK(got == strlen(kLetterCipher) && memcmp(buffer, kLetterCipher, got) == 0);
    CHECK(ciphora_decipher_file(&key, cipherPath, cipherPath, &reduced) == CIPHORA_OK && reduced == 0);
    got = ReadFile(cipherPath, buffer, sizeof buffer);
    CHECK(got == strlen(kLetter) && memcmp(buffer, kLetter, got) == 0);

    CHECK(ciphora_encipher_file(&key, missing, cipherPath) == CIPHORA_ERROR_INPUT);
    CHECK(ciphora_encipher_file(&key, plainPath, nowhere) == CIPHORA_ERROR_OUTPUT);
    /* Not a code in it: the output stays as it was. */
    CHECK(ciphora_decipher_file(&key, plainPath, plainPath, NULL) == CIPHORA_ERROR_NO_CIPHER_TEXT);
    got = ReadFile(plainPath, buffer, sizeof buffer);
    CHECK(got == strlen(kLetter) && memcmp(buffer, kLetter, got) == 0);
    (void)remove(plainPath);
    (void)remove(cipherPath);
}

static void TextsAndVersion(void) {
    int code;
    for (code = CIPHORA_OK; code <= CIPHORA_ERROR_STATE + 1; ++code) CHECK(ciphora_error_text(code) != NULL);
    CHECK(strcmp(ciphora_error_text(CIPHORA_ERROR_CAPACITY), "the output has too little room") == 0);
    CHECK(strcmp(ciphora_version(), CIPHORA_EXPECTED_VERSION) == 0);
}

/* The folder given, else the system's folder for temporary files. */
int main(int argc, char** argv) {
    const char* folder = argc > 1 ? argv[1] : getenv("TEMP");
    if (folder == NULL) {
        (void)fprintf(stderr, "usage: %s WRITABLE_FOLDER\n", argv[0]);
        return 2;
    }
    KeysAreReadAsTheProgramReadsThem();
    SizesAndBounds();
    EncipheringGivesTheProgramsBytes();
    DecipheringIsLenient();
    StreamsGiveTheOneCallBytes();
    FilesAsTheProgramWritesThem(folder);
    TextsAndVersion();
    (void)printf("%d failure(s)\n", failures);
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
