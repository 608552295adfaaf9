// Atomic writes and numbered save sets over POSIX open/write/fsync/rename/link.
#include "model/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string failureText(const std::string& path, int errorNumber) {
    return "Die Datei „" + path + "“ kann nicht geschrieben werden: " + std::strerror(errorNumber);
}

std::string existsText(const std::string& path) {
    return "Die Datei „" + path + "“ gibt es schon; sie wird nicht überschrieben.";
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Writes all bytes, resuming after short writes and signals; false with errno set on failure.
bool writeAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {  // no progress and no reason given: call it a full disk
            errno = ENOSPC;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Flushes a directory's entries to disk after a rename or link; best effort, as some file
// systems cannot open or sync a directory.
void syncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes the bytes to a fresh hidden temporary file beside path, flushed and closed.
// Returns its path, or "" with errno set (and nothing left behind) on failure.
std::string writeTemporaryBeside(const std::string& path, const void* data, std::size_t size) {
    const std::string dir = directoryOf(path);
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = dir + "/." + base + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(attempt) + ".tmp";
        // 0666 less the umask: the final file gets the permissions any new file would.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;  // left by a crashed run of the same process id
            return "";
        }
        const bool ok = writeAll(fd, data, size) && ::fsync(fd) == 0;
        const int writeErrno = errno;
        const bool closed = ::close(fd) == 0;  // NFS may report a failed write only here
        if (ok && closed) return temp;
        const int reason = ok ? errno : writeErrno;
        ::unlink(temp.c_str());
        errno = reason;
        return "";
    }
    errno = EEXIST;
    return "";
}

bool existsEntry(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error) {
    const std::string temp = writeTemporaryBeside(path, data, size);
    if (temp.empty()) {
        *error = failureText(path, errno);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int reason = errno;
        ::unlink(temp.c_str());
        *error = failureText(path, reason);
        return false;
    }
    syncDirectory(directoryOf(path));
    error->clear();
    return true;
}

NewFileResult writeNewFile(const std::string& path, const void* data, std::size_t size, std::string* error) {
    if (existsEntry(path)) {  // spares the write; the link below is what decides
        *error = existsText(path);
        return NewFileResult::exists;
    }
    const std::string temp = writeTemporaryBeside(path, data, size);
    if (temp.empty()) {
        *error = failureText(path, errno);
        return NewFileResult::failed;
    }
    NewFileResult result = NewFileResult::written;
    int reason = 0;
    if (::link(temp.c_str(), path.c_str()) != 0) {
        reason = errno;
        if (reason == EEXIST) {
            result = NewFileResult::exists;
        } else if (reason == EPERM || reason == EOPNOTSUPP || reason == ENOSYS) {
            // A file system without hard links (a FAT stick): claim the name with an exclusive
            // create, then rename the finished file onto the empty claim.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                reason = errno;
                result = reason == EEXIST ? NewFileResult::exists : NewFileResult::failed;
            } else {
                ::close(fd);
                if (::rename(temp.c_str(), path.c_str()) != 0) {
                    reason = errno;
                    ::unlink(path.c_str());
                    result = NewFileResult::failed;
                }
            }
        } else {
            result = NewFileResult::failed;
        }
    }
    ::unlink(temp.c_str());  // after a link the final name keeps the content; after a rename it is gone
    switch (result) {
        case NewFileResult::written:
            syncDirectory(directoryOf(path));
            error->clear();
            break;
        case NewFileResult::exists:
            *error = existsText(path);
            break;
        case NewFileResult::failed:
            *error = failureText(path, reason);
            break;
    }
    return result;
}

std::string numberedName(const std::string& dir, const std::string& prefix, int number, const std::string& suffix) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    std::string name = prefix + digits + suffix;
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

int nextFreeNumber(const std::string& dir, const std::string& prefix, const std::vector<std::string>& suffixes,
                   int first) {
    for (int number = first;; ++number) {
        bool free = true;
        for (const std::string& suffix : suffixes)
            if (existsEntry(numberedName(dir, prefix, number, suffix))) {
                free = false;
                break;
            }
        if (free) return number;
    }
}

SavedSet saveNumberedSet(const std::string& dir, const std::string& prefix, const std::vector<FileToSave>& files) {
    std::vector<std::string> suffixes;
    for (const FileToSave& file : files) suffixes.push_back(file.suffix);

    SavedSet saved;
    int number = nextFreeNumber(dir, prefix, suffixes);
    // Each lost race moves on by at least one number; the bound only guards against a file
    // system that reports every name as taken.
    for (int tries = 0; tries < 1000; ++tries) {
        bool lostRace = false;
        for (const FileToSave& file : files) {
            const std::string path = numberedName(dir, prefix, number, file.suffix);
            std::string error;
            const NewFileResult result = writeNewFile(path, file.bytes.data(), file.bytes.size(), &error);
            if (result == NewFileResult::written) {
                saved.paths.push_back(path);
                continue;
            }
            if (result == NewFileResult::failed) {
                saved.number = saved.paths.empty() ? 0 : number;
                saved.error = error;
                return saved;
            }
            lostRace = true;  // another program took this number meanwhile
            break;
        }
        if (!lostRace) {
            saved.number = number;
            return saved;
        }
        for (const std::string& path : saved.paths) ::unlink(path.c_str());
        saved.paths.clear();
        number = nextFreeNumber(dir, prefix, suffixes, number + 1);
    }
    saved.error = "Keine freie Nummer für „" + numberedName(dir, prefix, number, "") + "…“ gefunden.";
    return saved;
}
