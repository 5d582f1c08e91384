// Random equations for the engine tests.
#pragma once

#include "Operators.h"

#include <random>
#include <string>

// Random equations the scanner accepts: numbers as typed (signs, leading
// zeros, lone signs, "-."), all six operators, groups with and without a
// number before them, spaces anywhere.
class TEquationGenerator {
public:
    explicit TEquationGenerator(unsigned seed) : Random(seed) {}

    std::string Next()
    {
        std::string text;
        Expression(text, 0);
        return text;
    }

private:
    std::mt19937 Random;

    unsigned Pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(Random); }

    void Space(std::string& text)
    {
        if (Pick(8) == 0) {
            text += ' ';
        }
    }

    void Term(std::string& text, int depth)
    {
        static const char* const Numbers[] = {"0",   "1",      "2",  "3",  "7",    "10", "0.5", ".25", "5.",
                                              "007", "12.125", "-1", "+2", "-0.5", "-",  "+",   "-.",  "1000000000000",
                                              "3.3"};
        Space(text);
        if (depth < 6 && Pick(4) == 0) {
            static const char* const Prefixes[] = {"", "", "-", "+", "2", "-1"};
            text += Prefixes[Pick(6)];
            text += '(';
            Expression(text, depth + 1);
            text += ')';
        } else {
            text += Numbers[Pick(sizeof Numbers / sizeof Numbers[0])];
        }
        Space(text);
    }

    void Expression(std::string& text, int depth)
    {
        Term(text, depth);
        for (unsigned n = Pick(5); n > 0; --n) {
            text += Operators[Pick(Operators.size())].Symbol;
            Term(text, depth);
        }
    }
};
