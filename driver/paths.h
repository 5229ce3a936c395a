// The base directory and the routines that make paths from it.
#ifndef LOGWELD_DRIVER_PATHS_H_
#define LOGWELD_DRIVER_PATHS_H_

#include <cstddef>
#include <memory>
#include <string>

#include "platform/platform.h"

// Room for a joined path or the base directory, NUL included.
constexpr size_t kMaxPathSize = 1000;

// Put in front of every name opened through openInBase: empty (the current
// directory) or ending in the path separator.
extern char baseDirectory[kMaxPathSize];

// Splits `path` at its last path separator: everything up to and including
// it goes to baseDirectory, and `path` keeps only the bare name after it.
// When that directory part does not fit baseDirectory, returns false and
// leaves both unchanged.
bool splitPath(std::string& path);

// baseDirectory followed by `name`, or false when the joined path does not
// fit in kMaxPathSize - 1 characters.
bool joinBase(const char* name, std::string& joined);

// Opens baseDirectory followed by `name` for reading; null when the joined
// path is too long or the file cannot be opened as a regular file.
std::unique_ptr<platform::InputFile> openInBase(const char* name);

#endif  // LOGWELD_DRIVER_PATHS_H_
