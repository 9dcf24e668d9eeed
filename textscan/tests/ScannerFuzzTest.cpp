// Bounded randomized runs of the scanner over random and mutated texts: no
// crash (the sanitizer build checks memory and undefined behaviour), and the
// position stays within the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "textscan/ScanFormatted.h"
#include "textscan/ScanSlots.h"

namespace qx {
namespace {

const char* const kPieces[] = {
    "%P",   "%p", "%s.", "%S,", "%s", "%v\"", "%V'", "%\",", "%\"'", "%c",  "%C",
    "%i",   "%L", "%w",  "%W",  "%e", "%E",   "%r",  "%R",   "%x",   "%X",  "%m",
    "%M",   "%b", "%B",  "%d",  "%D", "%j",   "%J",  "%t",   "%T",   "%q",  "%Q",
    "%?=",  "%?", "%n",  "%N",  "%_", "%[",   "%]",  "%z",   "%3P",  "%*p", "%.*s.",
    "%2?,", "%%", ",",   ".",   "/",  ":",    " ",   "a",    "%0",   "%",
};

const char kAlphabet[] = "0123456789/:., ,,..ABCyesNOon+-eE\"'\r\n\t\x01\x7f\xc3\xa9=%";

std::string RandomText(std::mt19937& rng, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);  // includes NUL
    std::string text(length(rng), ' ');
    for (char& c : text) c = kAlphabet[pick(rng)];
    return text;
}

std::string Mutate(std::mt19937& rng, std::string text) {
    std::uniform_int_distribution<int> op(0, 3);
    for (int n = std::uniform_int_distribution<int>(1, 4)(rng); n > 0; --n) {
        const std::size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (op(rng)) {
            case 0: text.insert(at, 1, kAlphabet[rng() % (sizeof kAlphabet)]); break;
            case 1:
                if (at < text.size()) text.erase(at, 1);
                break;
            case 2:
                if (at < text.size()) text[at] = static_cast<char>(rng());
                break;
            default: text = text.substr(0, at); break;
        }
    }
    return text;
}

TEST(ScannerFuzz, RandomFormatsAndTextsStayInBounds) {
    std::mt19937 rng(20261210);
    const std::string seeds[] = {"05/12/2009 10:15:00,ST1.AIR,12.5,ST1.BATT,13.1",
                                 "\"a,b\",'c\"d',yes,-12.5e3,01:30:00,TODAY+01:00:00\r\nX"};
    for (int round = 0; round < 20000; ++round) {
        std::string format;
        for (int n = std::uniform_int_distribution<int>(1, 8)(rng); n > 0; --n) {
            format += kPieces[rng() % std::size(kPieces)];
        }
        const std::string source =
            round % 2 ? RandomText(rng, 40) : Mutate(rng, seeds[rng() % std::size(seeds)]);
        ScanSlots slots(format);
        const int start = static_cast<int>(rng() % (source.size() + 3));
        int position = start;
        ScanFormattedDynamic(source, position, format, slots.outputs());
        ASSERT_GE(position, 1) << format << " on " << source;
        ASSERT_LE(position, std::max<int>(start, static_cast<int>(source.size()) + 1))
            << format << " on " << source;
        for (std::size_t i = 0; i < slots.size(); ++i) (void)slots.ValueText(i);
    }
}

TEST(ScannerFuzz, RecordScanAlwaysAdvances) {
    std::mt19937 rng(7);
    for (int round = 0; round < 5000; ++round) {
        std::string text =
            round % 2 ? RandomText(rng, 60) : Mutate(rng, "05/12/2009 10:15:00,ST1.AIR,1,S.B:2,x");
        // An embedded NUL stops every field without being consumed; the
        // decoder steps over it itself.
        std::replace(text.begin(), text.end(), '\0', 'x');
        for (int p = 1; p <= static_cast<int>(text.size()); ++p) {
            std::string station, sensor, value;
            int position = p;
            ScanFormatted(text, position, "%s.%P%P", station, sensor, value);
            ASSERT_GT(position, p) << "stuck at " << p << " in " << text;
        }
    }
}

}  // namespace
}  // namespace qx
