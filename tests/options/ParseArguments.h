#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "options/Options.h"

// What parseOptions made of a command line.
struct Parsed {
    OptionsAction action;
    Options options;
    std::string message;
};

// Parses "brennoc" followed by the given arguments.
inline Parsed parse(std::initializer_list<const char*> arguments) {
    std::vector<std::string> words{"brennoc"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    Parsed parsed;
    parsed.action =
        parseOptions(static_cast<int>(words.size()), argv.data(), parsed.options, parsed.message);
    return parsed;
}
