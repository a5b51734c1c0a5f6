/*
 * libciphora: the Ciphora cipher for other programs.
 *
 * Every byte of a text becomes a three-digit code from 000 to 255 that
 * depends on the byte, its position and a key of five values; the codes stand
 * twenty to a line, each line ended by CR LF, the last one too. These
 * functions give exactly the bytes the ciphora program writes, and read
 * cipher text as leniently as it does.
 *
 * The interface is C99 and C++ alike; no exception and no C++ type crosses
 * it. Every function may be called from any thread at the same time as any
 * other, except that one ciphora_stream must not be used by two threads at
 * once. Pointers that a function takes are only read or written during the
 * call.
 *
 * Functions that return int return CIPHORA_OK (0) or one of the error codes
 * below; ciphora_error_text names them.
 */
#ifndef CIPHORA_CIPHORA_H
#define CIPHORA_CIPHORA_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(CIPHORA_BUILDING_LIBRARY)
#define CIPHORA_API __declspec(dllexport)
#elif defined(CIPHORA_STATIC)
#define CIPHORA_API
#else
#define CIPHORA_API __declspec(dllimport)
#endif
#else
#define CIPHORA_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results. */
#define CIPHORA_OK 0
#define CIPHORA_ERROR_ARGUMENT 1       /* a null pointer, or a value out of range */
#define CIPHORA_ERROR_KEY 2            /* not fifteen digits in five groups from 001 to 255 */
#define CIPHORA_ERROR_CAPACITY 3       /* the output has too little room; *written says how much it needs */
#define CIPHORA_ERROR_NO_CIPHER_TEXT 4 /* deciphering found not a single code in a text that is not empty */
#define CIPHORA_ERROR_MEMORY 5         /* memory ran out */
#define CIPHORA_ERROR_INPUT 6          /* an input file could not be opened or read */
#define CIPHORA_ERROR_OUTPUT 7         /* an output file could not be written; an old one is kept */
#define CIPHORA_ERROR_STATE 8          /* a stream used after it was finished */

/* A key: its five values, each from 1 to 255. A small value that may live on
 * the stack; fill it with ciphora_key_parse. */
typedef struct ciphora_key {
    unsigned char values[5];
} ciphora_key;

/* Reads a key as the ciphora program reads a key file: fifteen digits, five
 * groups of three each from 001 to 255, spaces around them ignored.
 * Returns CIPHORA_OK and fills *key, CIPHORA_ERROR_KEY for any other text
 * (leaving *key as it was), CIPHORA_ERROR_ARGUMENT when a pointer is null. */
CIPHORA_API int ciphora_key_parse(const char* text, ciphora_key* key);

/* The exact size of the cipher text of plain_size bytes: three bytes a byte,
 * and CR LF after every twentieth code and after the last one. SIZE_MAX when
 * it would not fit in a size_t. */
CIPHORA_API size_t ciphora_enciphered_size(uint64_t plain_size);

/* The most bytes that cipher_size bytes of cipher text decipher to
 * (cipher_size / 3): enough capacity for ciphora_decipher. */
CIPHORA_API size_t ciphora_deciphered_bound(size_t cipher_size);

/* Enciphers the size bytes at plain into out, exactly as the ciphora program
 * enciphers a file of that content. capacity must be at least
 * ciphora_enciphered_size(size); otherwise nothing is written,
 * CIPHORA_ERROR_CAPACITY is returned and *written holds the size needed.
 * On success *written holds the bytes written. plain may be null when size
 * is 0. */
CIPHORA_API int ciphora_encipher(const ciphora_key* key, const void* plain, size_t size, char* out, size_t capacity,
                                 size_t* written);

/* Deciphers the size bytes of cipher text at cipher into out, as leniently as
 * the program: every character that is not a digit is skipped, the digits are
 * taken three at a time, a code above 255 is reduced by 256, and a last code
 * of one or two digits counts when the text has room for it. When
 * reduced_codes is not null it receives the number of codes above 255.
 * A text that is not empty but holds no code gives CIPHORA_ERROR_NO_CIPHER_TEXT
 * and writes nothing. A capacity below what the text needs writes nothing and
 * gives CIPHORA_ERROR_CAPACITY with the size needed in *written;
 * ciphora_deciphered_bound(size) is always enough. */
CIPHORA_API int ciphora_decipher(const ciphora_key* key, const char* cipher, size_t size, void* out, size_t capacity,
                                 size_t* written, uint64_t* reduced_codes);

/* A text enciphered or deciphered in pieces of any size, for data that does
 * not fit in memory: the pieces' outputs, joined, are the bytes the one-call
 * function gives for the whole. */
typedef struct ciphora_stream ciphora_stream;

#define CIPHORA_ENCIPHER 0
#define CIPHORA_DECIPHER 1

/* Creates a stream in the direction CIPHORA_ENCIPHER or CIPHORA_DECIPHER into
 * *stream, to be freed with ciphora_stream_free. */
CIPHORA_API int ciphora_stream_create(const ciphora_key* key, int direction, ciphora_stream** stream);

/* The most bytes a feed of size bytes may give: enough capacity for
 * ciphora_stream_feed. */
CIPHORA_API size_t ciphora_stream_feed_bound(const ciphora_stream* stream, size_t size);

/* Takes the next size bytes of the text and writes what they give to out.
 * With too little capacity nothing is taken or written, and
 * CIPHORA_ERROR_CAPACITY gives the size needed in *written. */
CIPHORA_API int ciphora_stream_feed(ciphora_stream* stream, const void* input, size_t size, void* out, size_t capacity,
                                    size_t* written);

/* Ends the text and writes what its end gives: the CR LF after a short last
 * line when enciphering, a last code of one or two digits when deciphering
 * (at most 2 bytes in all). When reduced_codes is not null it receives the
 * number of codes above 255 that deciphering read (0 when enciphering).
 * Deciphering a text that is not empty but held no code gives
 * CIPHORA_ERROR_NO_CIPHER_TEXT. With too little capacity nothing is written
 * and CIPHORA_ERROR_CAPACITY gives the size needed; finish may then be called
 * again. After a finish that succeeded, feed and finish give
 * CIPHORA_ERROR_STATE. */
CIPHORA_API int ciphora_stream_finish(ciphora_stream* stream, void* out, size_t capacity, size_t* written,
                                      uint64_t* reduced_codes);

/* Frees a stream; null is allowed. */
CIPHORA_API void ciphora_stream_free(ciphora_stream* stream);

/* Enciphers or deciphers the file at input_path into output_path (paths in
 * UTF-8) as the program does: large files through all cores in fixed memory;
 * a regular output file written to a temporary file beside it and renamed
 * over it once complete, so that it is whole or, on any failure, left as it
 * was; a device or FIFO written in place. The output may be the input.
 * CIPHORA_ERROR_INPUT or CIPHORA_ERROR_OUTPUT on failure. reduced_codes as
 * for ciphora_decipher. */
CIPHORA_API int ciphora_encipher_file(const ciphora_key* key, const char* input_path, const char* output_path);
CIPHORA_API int ciphora_decipher_file(const ciphora_key* key, const char* input_path, const char* output_path,
                                      uint64_t* reduced_codes);

/* A short English text for a result code; never null. */
CIPHORA_API const char* ciphora_error_text(int code);

/* The library's version, "major.minor.patch". */
CIPHORA_API const char* ciphora_version(void);

#ifdef __cplusplus
}
#endif

#endif /* CIPHORA_CIPHORA_H */
