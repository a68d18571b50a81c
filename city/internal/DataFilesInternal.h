#pragma once

#include <string>

class SoError;

// Shared between the data-file sources (DataFileNames.cpp, DataFileChecks.cpp,
// DataMessages.cpp and DataFiles.cpp) and not part of city/DataFiles.h.
namespace datafiles {

// The existing entry of any kind that name denotes, resolved like
// resolveDataFileName; an empty string when none matches.
std::string resolveEntry(const std::string& name, const std::string& baseDir);

// Where SoInput would find name, or an empty string.
std::string findLikeSoInput(const std::string& name);

// False only for an existing entry that may block the reader (a FIFO or a
// device).
bool openableWithoutBlocking(const std::string& path);

// Why the image file cannot be read safely, or an empty string.
std::string imageFault(const std::string& path);

// Why the model file cannot be read safely, or an empty string.
std::string modelFault(const std::string& path);

// Coin's debug and read error handler: each message through printDataMessage.
void printCoinMessage(const SoError* error, void*);

}  // namespace datafiles
