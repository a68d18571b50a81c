#pragma once

#include <string>

// The scene names its files as they were written on another system: with
// backslashes, and with letter cases that differ from the files in data/. Field
// values stay exactly as written (texture sharing compares them); the names are
// resolved only when Coin reads the file.

// Makes Coin find such files: images through Coin's image-read hook, the
// craft's model "/models/Ufo1.wrl" through the working directory being on
// Coin's search list (the absolute file wins when it exists). Call after the
// scene library is initialised and before any texture node is created; calling
// it again does nothing.
void installDataFileResolver();

// The existing regular file that name denotes relative to baseDir (the working
// directory when empty): backslashes count as separators and every path
// component may differ from the real one in letter case. An exact match of a
// component is preferred. Returns the path to open, or an empty string when no
// file matches.
std::string resolveDataFileName(const std::string& name, const std::string& baseDir = "");
