// CodecTexts.h: deterministic plain texts for the codec's tests and benchmark.
// HebrewLikeText builds an article-shaped text in letter code: records of Style, Param and a
// string of words of the letters 'a' to '{' with spaces and some punctuation. The words come from
// a vocabulary of stems with prefixes and suffixes, with letter weights and final forms as in
// Hebrew, a few frequent words and many rare ones. Header-only; the vectors belong to the caller.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace codec_texts {

// splitmix64: small, fast and the same on every machine.
struct Random {
    uint64_t State;
    explicit Random(uint64_t seed) : State(seed) {}
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return unsigned(Next() % n); }
    double Unit() { return double(Next() >> 11) / double(1ull << 53); }
};

// Letters in letter code ('a' alef to '{' tav) with weights near Hebrew running text; the final
// forms (k, n, p, t, v) are not drawn: they replace their regular letter at the end of a word.
inline char Letter(Random& r) {
    static const char letters[] = "jfemoay{bqzsdlhxurwcgi";
    static const unsigned weights[] = {111, 105, 87, 74, 70, 63, 56, 55, 47, 44, 42,
                                       31,  28,  27, 23, 19, 17, 11, 12, 11, 8,  8};
    unsigned total = 0;
    for (unsigned w : weights)
        total += w;
    unsigned x = r.Below(total);
    size_t k = 0;
    while (x >= weights[k])
        x -= weights[k++];
    return letters[k];
}

// Words of stems with common prefixes and suffixes, so that words share parts as they do in Hebrew.
inline std::vector<std::string> Vocabulary(Random& r, size_t count) {
    static const char* const prefixes[] = {"f", "e", "b", "m", "o", "z", "fe", "ze", "fm", "fb", "lz", "zb"};
    static const char* const suffixes[] = {"jo", "f{", "e", "f", "jq", "a", "{", "jf", "jm", "em"};
    std::vector<std::string> stems;
    for (size_t k = 0; k < count / 3; ++k) {
        std::string stem;
        for (size_t i = 0, n = 2 + r.Below(2) + (r.Below(4) == 0); i < n; ++i)
            stem.push_back(Letter(r));
        stems.push_back(stem);
    }
    std::vector<std::string> words;
    for (size_t k = 0; k < count; ++k) {
        // Frequent stems make many words, as a root does.
        size_t rank = size_t(std::exp(r.Unit() * std::log(double(stems.size())))) - 1;
        std::string w;
        if (r.Below(3) == 0) w += prefixes[r.Below(sizeof prefixes / sizeof *prefixes)];
        w += stems[rank];
        if (r.Below(3) == 0) w += suffixes[r.Below(sizeof suffixes / sizeof *suffixes)];
        static const std::string regular = "loquw", final = "knptv";
        size_t f = regular.find(w.back());
        if (f != std::string::npos) w.back() = final[f];
        words.push_back(w);
    }
    return words;
}

// About `size` bytes (never more than size, at least one record), the same for the same seed.
inline std::vector<uint8_t> HebrewLikeText(uint64_t seed, size_t size) {
    Random r(seed);
    const std::vector<std::string> words = Vocabulary(r, 4000);
    static const uint8_t styles[] = {0x91, 0x11, 0x13, 0x95, 0xB1, 0x19, 0x31, 0x51, 0x93};
    static const char punctuation[] = {',', '.', ':', ';', '-', '"', '\''};
    std::vector<uint8_t> text;
    auto append = [&](const std::vector<uint8_t>& record) {
        if (text.size() + record.size() + 1 > size && !text.empty()) return false;
        text.insert(text.end(), record.begin(), record.end());
        return true;
    };
    bool first = true;
    for (;;) {
        std::vector<uint8_t> record;
        if (first) {
            record = {0xDC, 0};
        } else if (r.Below(12) == 0) {
            record = {uint8_t(r.Below(2) ? 0x47 : 0xC7), uint8_t(r.Below(2) ? 100 + r.Below(60) : 200)};
        } else {
            record = {styles[r.Below(sizeof styles)], uint8_t(r.Below(4) << 6 | r.Below(3) * 8)};
        }
        if ((record[0] & 7) != 7) {
            size_t count = first ? 3 + r.Below(4) : 4 + r.Below(60);
            for (size_t k = 0; k < count; ++k) {
                if (k > 0) record.push_back(' ');
                // Log-uniform rank: a few words are very frequent, most are rare.
                size_t rank = size_t(std::exp(r.Unit() * std::log(double(words.size())))) - 1;
                if (r.Below(40) == 0) {
                    record.push_back(uint8_t('0' + r.Below(10)));
                    record.push_back(uint8_t('0' + r.Below(10)));
                } else {
                    record.insert(record.end(), words[rank].begin(), words[rank].end());
                }
                if (r.Below(9) == 0) record.push_back(uint8_t(punctuation[r.Below(sizeof punctuation)]));
            }
        }
        record.push_back(0);
        first = false;
        if (!append(record)) break;
        if (text.size() + 3 >= size) break;
    }
    if (text.size() > size) text.resize(size); // a first record longer than the size asked for
    return text;
}

} // namespace codec_texts
