#include "driver/paths.h"

#include <cstring>

char baseDirectory[kMaxPathSize];

bool splitPath(std::string& path) {
  size_t separator = path.rfind(platform::kPathSeparator);
  size_t directoryLength = separator == std::string::npos ? 0 : separator + 1;
  if (directoryLength >= kMaxPathSize) {
    return false;
  }
  std::memcpy(baseDirectory, path.data(), directoryLength);
  baseDirectory[directoryLength] = '\0';
  path.erase(0, directoryLength);
  return true;
}

bool joinBase(const char* name, std::string& joined) {
  joined = baseDirectory;
  joined += name;
  return joined.size() < kMaxPathSize;
}

std::unique_ptr<platform::InputFile> openInBase(const char* name) {
  std::string joined;
  if (!joinBase(name, joined)) {
    return nullptr;
  }
  return platform::InputFile::openRegular(joined);
}
