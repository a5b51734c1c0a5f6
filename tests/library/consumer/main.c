/* Enciphers and deciphers a line with an installed libciphora. */
#include <ciphora/ciphora.h>
#include <stdio.h>
#include <string.h>

int main(void) {
    const char plain[] = "Dear Bob,\r\n";
    char cipher[64], back[64];
    size_t cipherSize = 0, backSize = 0;
    ciphora_key key;
    if (ciphora_key_parse("117032209004188", &key) != CIPHORA_OK) return 1;
    if (ciphora_encipher(&key, plain, strlen(plain), cipher, sizeof cipher, &cipherSize) != CIPHORA_OK) return 1;
    if (ciphora_decipher(&key, cipher, cipherSize, back, sizeof back, &backSize, NULL) != CIPHORA_OK) return 1;
    if (backSize != strlen(plain) || memcmp(back, plain, backSize) != 0) return 1;
    (void)printf("libciphora %s: %.*s", ciphora_version(), (int)cipherSize, cipher);
    return 0;
}
