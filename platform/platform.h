// The one place that talks to the operating system. Every routine here has
// one implementation per platform (platform_posix.cpp, platform_win32.cpp).
#ifndef LOGWELD_PLATFORM_PLATFORM_H_
#define LOGWELD_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The separator between a directory and a name in paths: '/' on POSIX,
// '\\' on Windows.
extern const char kPathSeparator;

// Something that delivers bytes in order: a file, or memory in tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes. Returns the number read, 0 at the end, or -1
  // on a reading error.
  virtual long read(char* buffer, size_t size) = 0;
};

// A regular file opened for reading in binary mode.
class InputFile : public ByteSource {
 public:
  // Opens `path` for reading if it is a regular file (links are followed).
  // Directories, FIFOs and devices are refused without ever blocking.
  // Returns null when the file cannot be opened.
  static std::unique_ptr<InputFile> openRegular(const std::string& path);
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  long read(char* buffer, size_t size) override;

 private:
  explicit InputFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;
};

// A file created new for writing in binary mode.
class OutputFile {
 public:
  // Creates `path`, failing (null) if anything of that name exists already.
  // On Windows the file is removed however the process ends until
  // syncAndClose has succeeded.
  static std::unique_ptr<OutputFile> createNew(const std::string& path);
  // Closes the file if it is still open; errors are ignored there.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes all `size` bytes; false on any error.
  bool write(const char* data, size_t size);
  // Forces the written data to the disk and closes the file; false on error.
  bool syncAndClose();

 private:
  explicit OutputFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;
  bool open_ = true;
  uint64_t written_ = 0;    // bytes written so far
  uint64_t flushedTo_ = 0;  // bytes whose writing to the disk has begun
};

// True when anything of that name exists: a file of any kind, readable or
// not, a directory, or a link (even a dangling one).
bool pathExists(const std::string& path);

// Removes a file; false if it could not be removed.
bool removeFile(const std::string& path);

// Gives the file `from` the name `to`, never replacing an existing `to`.
// False (and `from` unchanged) when `to` exists or the move fails.
bool moveNoReplace(const std::string& from, const std::string& to);

// Appends to `names` the bare names of the directory entries that match
// `pattern`, a directory part followed by a wildcard name such as
// "Logs07/Record*.log". A missing directory yields nothing. POSIX matches
// letter case exactly and delivers the names in byte order; Windows delivers
// what its find-first/find-next search gives, in its order.
void findFiles(const std::string& pattern, std::vector<std::string>& names);

// Opens a file for writing (truncating) in the platform's text mode.
std::FILE* openTextForWrite(const std::string& path);

// Puts the standard streams in the mode the console program uses: text mode
// on Windows; nothing to do on POSIX.
void setUpConsole();

// A number that no other running process has at the same moment.
unsigned long processId();

// While a path is registered here, an interruption of the program (Ctrl-C,
// termination request, hang-up, console close) removes that file before the
// program ends. Only one path is registered at a time.
void removeOnInterrupt(const std::string& path);
// Ends the registration made by removeOnInterrupt; the file stays.
void keepOnInterrupt();

}  // namespace platform

#endif  // LOGWELD_PLATFORM_PLATFORM_H_
