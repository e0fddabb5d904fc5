#include "FileWriting.h"

std::string TemporaryNameFor(const std::string& path) {
    return path + ".part";
}

bool WriteFileSafely(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error,
                     FileSteps& steps) {
    const std::string temporary = TemporaryNameFor(path);
    std::string reason;
    const intptr_t file = steps.Create(temporary, reason);
    if (file < 0) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    bool written = steps.Write(file, bytes.data(), bytes.size(), reason) && steps.Flush(file, reason);
    // A failed close can mean the data never reached the disk, so it fails the write too.
    std::string closeReason;
    if (!steps.Close(file, closeReason) && written) {
        written = false;
        reason = closeReason;
    }
    if (!written) {
        steps.Remove(temporary);
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    if (!steps.Rename(temporary, path, reason)) {
        steps.Remove(temporary);
        error = "cannot save " + path + ": " + reason;
        return false;
    }
    return true;
}
