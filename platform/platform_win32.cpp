// Windows implementation of platform.h.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600  // SetFileInformationByHandle
#endif
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {

const char kPathSeparator = '\\';

namespace {

HANDLE asHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::unique_ptr<InputFile> InputFile::openRegular(const std::string& path) {
  // A directory cannot be opened this way; pipes and devices such as CON or
  // NUL open but are refused below, before anything is read from them.
  HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(handle);
    return nullptr;
  }
  return std::unique_ptr<InputFile>(
      new InputFile(reinterpret_cast<intptr_t>(handle)));
}

InputFile::~InputFile() {
  CloseHandle(asHandle(handle_));
}

long InputFile::read(char* buffer, size_t size) {
  DWORD wanted = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(asHandle(handle_), buffer, wanted, &got, nullptr)) {
    DWORD error = GetLastError();
    return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE ? 0 : -1;
  }
  return static_cast<long>(got);
}

namespace {

// Sets whether the file goes when its last handle closes.
bool setDeleteOnClose(HANDLE handle, bool remove) {
  FILE_DISPOSITION_INFO disposition;
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
}

}  // namespace

std::unique_ptr<OutputFile> OutputFile::createNew(const std::string& path) {
  // FILE_SHARE_DELETE lets an interruption remove the name while the file
  // is still open.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  // Until it is complete the file is marked for removal, so that it goes
  // however the process ends, even by TerminateProcess.
  setDeleteOnClose(handle, true);
  return std::unique_ptr<OutputFile>(
      new OutputFile(reinterpret_cast<intptr_t>(handle)));
}

OutputFile::~OutputFile() {
  if (open_) {
    CloseHandle(asHandle(handle_));
  }
}

bool OutputFile::write(const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(asHandle(handle_), data, chunk, &put, nullptr) || put == 0) {
      return false;
    }
    data += put;
    size -= put;
  }
  return true;
}

bool OutputFile::syncAndClose() {
  open_ = false;
  bool flushed = FlushFileBuffers(asHandle(handle_)) != 0;
  // Complete: keep it. Where that fails the file goes with the handle, and
  // the failure is reported.
  bool kept = flushed && setDeleteOnClose(asHandle(handle_), false);
  bool closed = CloseHandle(asHandle(handle_)) != 0;
  return kept && closed;
}

bool pathExists(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
         error != ERROR_INVALID_NAME && error != ERROR_BAD_NETPATH;
}

bool removeFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool moveNoReplace(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails if `to` exists.
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

void findFiles(const std::string& pattern, std::vector<std::string>& names) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

std::FILE* openTextForWrite(const std::string& path) {
  return std::fopen(path.c_str(), "wt");
}

void setUpConsole() {}

unsigned long processId() {
  return GetCurrentProcessId();
}

namespace {

char interruptPath[4096];
volatile LONG interruptArmed = 0;
bool handlerInstalled = false;

BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      if (InterlockedCompareExchange(&interruptArmed, 0, 0) != 0) {
        // The file is open with FILE_SHARE_DELETE: its name goes now, its
        // data when the process ends.
        DeleteFileA(interruptPath);
      }
      break;
    default:
      break;
  }
  return FALSE;  // let the default handler end the process
}

}  // namespace

void removeOnInterrupt(const std::string& path) {
  InterlockedExchange(&interruptArmed, 0);
  if (path.size() >= sizeof interruptPath) {
    return;
  }
  std::memcpy(interruptPath, path.c_str(), path.size() + 1);
  if (!handlerInstalled) {
    handlerInstalled = SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
  }
  InterlockedExchange(&interruptArmed, 1);
}

void keepOnInterrupt() {
  InterlockedExchange(&interruptArmed, 0);
}

}  // namespace platform
