#!/usr/bin/env python3
"""libciphora from Python through the standard library's ctypes alone: a
round trip and an error.

    RoundTrip.py PATH_OF_LIBCIPHORA
"""
import ctypes
import sys


class Key(ctypes.Structure):
    _fields_ = [("values", ctypes.c_ubyte * 5)]


def main(path):
    library = ctypes.CDLL(path)
    library.ciphora_key_parse.argtypes = [ctypes.c_char_p, ctypes.POINTER(Key)]
    library.ciphora_enciphered_size.argtypes = [ctypes.c_uint64]
    library.ciphora_enciphered_size.restype = ctypes.c_size_t
    library.ciphora_encipher.argtypes = [ctypes.POINTER(Key), ctypes.c_char_p, ctypes.c_size_t, ctypes.c_char_p,
                                         ctypes.c_size_t, ctypes.POINTER(ctypes.c_size_t)]
    library.ciphora_decipher.argtypes = [ctypes.POINTER(Key), ctypes.c_char_p, ctypes.c_size_t, ctypes.c_char_p,
                                         ctypes.c_size_t, ctypes.POINTER(ctypes.c_size_t),
                                         ctypes.POINTER(ctypes.c_uint64)]
    library.ciphora_error_text.restype = ctypes.c_char_p

    key = Key()
    assert library.ciphora_key_parse(b"117032209004188", ctypes.byref(key)) == 0
    plain = "Grüße, Bob!\r\n".encode("utf-8")
    cipher = ctypes.create_string_buffer(library.ciphora_enciphered_size(len(plain)))
    written = ctypes.c_size_t()
    assert library.ciphora_encipher(ctypes.byref(key), plain, len(plain), cipher, len(cipher),
                                    ctypes.byref(written)) == 0
    assert written.value == len(cipher.raw)
    assert cipher.raw.endswith(b"\r\n") and cipher.raw[:-2].isdigit(), cipher.raw

    back = ctypes.create_string_buffer(len(plain))
    reduced = ctypes.c_uint64(99)
    assert library.ciphora_decipher(ctypes.byref(key), cipher.raw, len(cipher.raw), back, len(back),
                                    ctypes.byref(written), ctypes.byref(reduced)) == 0
    assert back.raw[:written.value] == plain and reduced.value == 0

    # An error, and its text.
    result = library.ciphora_key_parse(b"12345", ctypes.byref(key))
    assert result == 2, result
    assert library.ciphora_error_text(result).startswith(b"the key must be fifteen digits")
    print("ctypes: round trip and error as expected")


if __name__ == "__main__":
    main(sys.argv[1])
