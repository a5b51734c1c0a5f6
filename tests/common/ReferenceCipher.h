#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "cipher/CipherKey.h"
#include "cipher/SubstitutionTables.h"

namespace ciphora::testing {

// The cipher written out step by step, one character at a time, as a model
// that the fast engine must agree with.
class ReferenceCipher {
public:
    ReferenceCipher(const SubstitutionTables& tables, const CipherKey& key) : tables_(tables), key_(key) {}

    std::string Encrypt(const std::string& plain) const {
        Counters counters(key_);
        std::string cipher, line;
        for (unsigned char a : plain) {
            counters.Advance();
            int v = a;
            for (int stage = 0; stage < 5; ++stage) {
                v += counters.c[stage];
                if (v > 255) v -= 256;
                v = tables_.lngKE(v, stage);
            }
            line += static_cast<char>('0' + v / 100);
            line += static_cast<char>('0' + v / 10 % 10);
            line += static_cast<char>('0' + v % 10);
            if (line.size() >= 60) {
                cipher += line + "\r\n";
                line.clear();
            }
        }
        if (!line.empty()) cipher += line + "\r\n";
        return cipher;
    }

    // Codes above 255 are reduced, each reduction noted in `reductions`.
    std::string Decrypt(const std::string& text, std::vector<int>* reductions = nullptr) const {
        Counters counters(key_);
        const std::size_t length = text.size();
        std::size_t q = 0, m = 0;
        std::string plain;
        while (3 * (m + 1) <= length) {
            std::string code;
            while (code.size() < 3 && q < length) {
                const char c = text[q++];
                if (c >= '0' && c <= '9') code += c;
            }
            if (code.empty()) break;
            int v = std::stoi(code);
            ++m;
            for (int i = 0; i < 3 && v > 255; ++i) {
                if (reductions) reductions->push_back(v);
                v -= 256;
            }
            counters.Advance();
            for (int stage = 4; stage >= 0; --stage) {
                v = tables_.lngKD(v, stage) - counters.c[stage];
                if (v < 0) v += 256;
            }
            plain += static_cast<char>(v);
        }
        return plain;
    }

private:
    struct Counters {
        explicit Counters(const CipherKey& key) : key(key) {
            for (int i = 0; i < 5; ++i) c[i] = (key.values[i] + 1) % 256;
        }
        void Advance() {
            for (int i = 0; i < 5; ++i) {
                c[i] = (c[i] + 1) % 256;
                if (c[i] != key.values[i]) break;
            }
        }
        CipherKey key;
        std::array<int, 5> c{};
    };

    const SubstitutionTables& tables_;
    CipherKey key_;
};

}  // namespace ciphora::testing
