// Saving files without leaving half-written ones and without overwriting earlier saves:
// atomic writes through a temporary file beside the target, and numbered save sets
// (weissenberg-003-haupt.png, weissenberg-003-log.csv, ...) whose names are taken with
// hard links, so two programs saving into one directory at once never share a number.
// Pure POSIX file calls: no GL header. Error texts are German, for the console.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Writes size bytes to path, replacing any file there: the bytes go to a temporary file in
// the same directory, are flushed to disk, and the file is renamed onto path. Afterwards path
// holds either its old content or all of the new; on failure no temporary file is left and
// *error names the path and the reason.
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error);

enum class NewFileResult { written, exists, failed };

// As writeFileAtomically, but never replaces anything: the finished temporary file is
// hard-linked to path, which fails with `exists` when any file, made by anyone, has that
// name already (also between our check and our write). *error is set unless written.
NewFileResult writeNewFile(const std::string& path, const void* data, std::size_t size, std::string* error);

// Path of one file of a numbered save set: prefix, the number with at least three digits,
// suffix, in dir ("" = the working directory).
// numberedName("out", "weissenberg-", 3, "-haupt.png") == "out/weissenberg-003-haupt.png".
std::string numberedName(const std::string& dir, const std::string& prefix, int number, const std::string& suffix);

// The first number from `first` on for which no name of the set exists in dir.
int nextFreeNumber(const std::string& dir, const std::string& prefix, const std::vector<std::string>& suffixes,
                   int first = 1);

struct FileToSave {
    std::string suffix;               // e.g. "-haupt.png"
    std::vector<unsigned char> bytes;  // the whole content
};

struct SavedSet {
    int number = 0;                  // the set's number, 0 when nothing was written
    std::vector<std::string> paths;  // the files written, each complete, in the order given
    std::string error;               // empty when every file was written
};

// Writes the files as one set under the first free number, each with writeNewFile. When
// another program takes one of the names meanwhile, the files this call wrote under that
// number are removed and the next free number is tried. When a write fails, the files
// already written stay (each whole), `paths` lists them and `error` says what failed.
SavedSet saveNumberedSet(const std::string& dir, const std::string& prefix, const std::vector<FileToSave>& files);
