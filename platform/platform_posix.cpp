// POSIX implementation of platform.h.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {

const char kPathSeparator = '/';

std::unique_ptr<InputFile> InputFile::openRegular(const std::string& path) {
  struct stat info;
  // Look before opening, so that a device is never opened at all.
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return nullptr;
  }
  // O_NONBLOCK: should the name have turned into a FIFO meanwhile, the open
  // still returns at once and the check below refuses it.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return std::unique_ptr<InputFile>(new InputFile(fd));
}

InputFile::~InputFile() {
  close(static_cast<int>(handle_));
}

long InputFile::read(char* buffer, size_t size) {
  for (;;) {
    ssize_t got = ::read(static_cast<int>(handle_), buffer, size);
    if (got >= 0) {
      return static_cast<long>(got);
    }
    if (errno != EINTR) {
      return -1;
    }
  }
}

std::unique_ptr<OutputFile> OutputFile::createNew(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    return nullptr;
  }
  return std::unique_ptr<OutputFile>(new OutputFile(fd));
}

OutputFile::~OutputFile() {
  if (open_) {
    close(static_cast<int>(handle_));
  }
}

bool OutputFile::write(const char* data, size_t size) {
  written_ += size;
  while (size > 0) {
    ssize_t put = ::write(static_cast<int>(handle_), data, size);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (put == 0) {
      return false;
    }
    data += put;
    size -= static_cast<size_t>(put);
  }
#ifdef SYNC_FILE_RANGE_WRITE
  // Start writing to the disk what has piled up, without waiting for it,
  // so that the sync at the end has less left to wait for.
  constexpr uint64_t kWritebackStep = 16 << 20;
  if (written_ - flushedTo_ >= kWritebackStep) {
    sync_file_range(static_cast<int>(handle_), static_cast<off_t>(flushedTo_),
                    static_cast<off_t>(written_ - flushedTo_),
                    SYNC_FILE_RANGE_WRITE);
    flushedTo_ = written_;
  }
#endif
  return true;
}

bool OutputFile::syncAndClose() {
  int fd = static_cast<int>(handle_);
  open_ = false;
  bool synced = fsync(fd) == 0;
  bool closed = close(fd) == 0;
  return synced && closed;
}

bool pathExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

bool removeFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

bool moveNoReplace(const std::string& from, const std::string& to) {
  // A hard link is created only where nothing has the name yet; the
  // temporary name is dropped after.
  if (link(from.c_str(), to.c_str()) != 0) {
    return false;
  }
  unlink(from.c_str());
  return true;
}

void findFiles(const std::string& pattern, std::vector<std::string>& names) {
  size_t slash = pattern.rfind('/');
  std::string directory =
      slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
  std::string wildcard =
      slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) {
    return;
  }
  size_t first = names.size();
  while (struct dirent* entry = readdir(dir)) {
    if (fnmatch(wildcard.c_str(), entry->d_name, 0) == 0) {
      names.emplace_back(entry->d_name);
    }
  }
  closedir(dir);
  std::sort(names.begin() + static_cast<long>(first), names.end());
}

std::FILE* openTextForWrite(const std::string& path) {
  return std::fopen(path.c_str(), "w");
}

void setUpConsole() {
  // A standard stream that was closed when the program started would hand
  // its number to the next file opened, and messages would land in it.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
      int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (opened >= 0 && opened != fd) {
        close(opened);
      }
    }
  }
}

unsigned long processId() {
  return static_cast<unsigned long>(getpid());
}

namespace {

// The registered path, kept where a signal handler may read it.
char interruptPath[4096];
volatile sig_atomic_t interruptArmed = 0;
const int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onInterrupt(int signalNumber) {
  if (interruptArmed) {
    unlink(interruptPath);
  }
  // End the way the signal would have ended the program.
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

}  // namespace

void removeOnInterrupt(const std::string& path) {
  interruptArmed = 0;
  size_t length = std::min(path.size(), sizeof interruptPath - 1);
  std::memcpy(interruptPath, path.data(), length);
  interruptPath[length] = '\0';
  interruptArmed = length == path.size();
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (int number : kInterruptSignals) {
    sigaddset(&action.sa_mask, number);
  }
  for (int number : kInterruptSignals) {
    struct sigaction previous;
    // A signal that the caller chose to ignore (as nohup does) stays ignored.
    if (sigaction(number, nullptr, &previous) == 0 &&
        previous.sa_handler == SIG_IGN) {
      continue;
    }
    sigaction(number, &action, nullptr);
  }
}

void keepOnInterrupt() {
  interruptArmed = 0;
}

}  // namespace platform
