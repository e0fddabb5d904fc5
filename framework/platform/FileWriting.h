#pragma once

#include <string>
#include <vector>

// The steps of a safe file write, as the operating system offers them. The system's own
// steps are SystemFileSteps(); tests hand in steps that fail on purpose (a full disk, a
// rename refused) to prove what a failure leaves behind. Paths are UTF-8.
class FileSteps {
public:
    virtual ~FileSteps() = default;
    // Creates or empties the file for writing; a handle, or -1 with error set.
    virtual intptr_t Create(const std::string& path, std::string& error) = 0;
    // Writes all the bytes; false with error set (a full disk among the reasons).
    virtual bool Write(intptr_t file, const unsigned char* data, size_t size, std::string& error) = 0;
    // Pushes what was written to the disk before the file is closed.
    virtual bool Flush(intptr_t file, std::string& error) = 0;
    virtual bool Close(intptr_t file, std::string& error) = 0;
    // Puts from in the place of to, replacing a file there in one step.
    virtual bool Rename(const std::string& from, const std::string& to, std::string& error) = 0;
    virtual void Remove(const std::string& path) = 0;
};

FileSteps& SystemFileSteps();

// The name a write is prepared under before it takes the place of path.
std::string TemporaryNameFor(const std::string& path);

// Writes bytes to path so that path holds either its old content or the whole new one, never a
// part: the bytes go to a temporary file beside it, are flushed to the disk, and the file is
// then renamed over path. On any failure the temporary file is removed, path is untouched, and
// error says what failed ("cannot write <path>: No space left on device").
bool WriteFileSafely(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error,
                     FileSteps& steps = SystemFileSteps());

// Creates a folder and the folders above it that are missing; true when it exists afterwards.
bool MakeFolders(const std::string& folder);
// Whether path names an existing file or folder.
bool PathExists(const std::string& path);
