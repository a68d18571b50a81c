#pragma once

#include <cstddef>
#include <string>

class SoFile;
class SoTexture2;

// The scene names its files as they were written on another system: with
// backslashes, and with letter cases that differ from the files in data/. Field
// values stay exactly as written (texture sharing compares them); the names are
// resolved only when Coin reads the file.

// What the program agrees to read. Larger or deeper files are refused with one
// line on standard error and left out, as a missing file is.
const long long maxDataFileBytes = 16 * 1024 * 1024;  // an image or the model
const long long maxImagePixels = 2048 * 2048;         // width x height, decoded
const int maxImageFileSide = 8192;                    // either side of a file, in pixels
const int maxModelNesting = 1000;                     // open { and [ at once

// Makes Coin find such files: images through Coin's image-read hook, which
// also decodes each image file once and refuses images over the limits; the
// craft's model "/models/Ufo1.wrl" through the working directory being on
// Coin's search list (the absolute file wins when it exists). Also routes
// Coin's messages through printDataMessage, once per file they name. Call
// after the scene library is initialised and before any texture node is
// created; calling it again does nothing.
void installDataFileResolver();

// Adds the image-read hook alone; it needs no initialised scene library.
// Coin asks the image readers in the order they were added, so call it before
// another one is added (the window layer adds its own) for every image to go
// through the checks and the cache. installDataFileResolver calls it too.
void installImageReader();

// The existing regular file that name denotes relative to baseDir (the working
// directory when empty): backslashes count as separators and every path
// component may differ from the real one in letter case. An exact match of a
// component is preferred. Returns the path to open, or an empty string when no
// file matches.
std::string resolveDataFileName(const std::string& name, const std::string& baseDir = "");

// Sets the texture's file name. A name that denotes something other than a
// regular file (a FIFO would block the reader for ever) is kept in the field
// but not read, and said once.
void setTextureFile(SoTexture2* texture, const char* name);

// Sets the file node's name. A model that cannot be read safely (not a regular
// file, larger than maxDataFileBytes, not text, nested deeper than
// maxModelNesting) is kept in the field but not read, and said once.
void setModelFile(SoFile* file, const char* name);

// Why the model text cannot be read safely, or an empty string.
std::string modelTextFault(const char* text, size_t length);

// Width and height from an image file's header (JPEG, PNG, GIF, BMP, TIFF or
// SGI), without decoding it. False when the format is none of these.
bool imageFileSize(int fd, long long& width, long long& height);

// Text with every control character written as an escape (\n, \t, \r or \xNN),
// C1 controls and bytes that are not UTF-8 included.
std::string escapeControls(const std::string& text);

// Prints line, escaped, on standard error unless a line with the same key has
// been printed before: one line per file however many nodes name it.
void printDataMessage(const std::string& key, const std::string& line);

// Says in one line on standard error, and returns false, when the working
// directory is not the program's data folder (or is gone or unreadable).
bool checkDataFolder();
