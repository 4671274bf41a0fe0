// ContentFiles.h: the content compiler's files on disk. Sources are read with a bound and only from
// regular files, and every refusal says what is wrong with the path; the output folder's content.rc
// and content/ are replaced together or not at all. The caller owns every string and vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A source larger than this is refused: a text holds at most 65,535 bytes, so even a heavily
// commented source stays far below it.
constexpr size_t MaxSourceFileBytes = 4 * 1024 * 1024;

enum class SourceRead {
    Ok,
    Missing, // no file of that name (a dangling link is not missing: it is refused)
    Refused, // *why says what is wrong with the path, with the system's reason where there is one
};
SourceRead ReadSourceFile(const std::string& path, std::string* text, std::string* why);

struct ContentOutputFile {
    std::string Name; // under the output's content folder, e.g. "1001.bin"
    const std::vector<uint8_t>* Bytes;
};
// Writes rc as outFolder/rcName and files into outFolder/binFolder, each written, flushed to disk
// and closed with every result checked, in a staging folder beside them that is then renamed in.
// On any failure the output is left as it was, the staging folder is removed, and false comes back
// with a line naming the file and the system's reason appended to *errors.
bool ReplaceContentOutput(const std::string& outFolder, const std::string& rcName, const std::string& rc,
                          const std::string& binFolder, const std::vector<ContentOutputFile>& files,
                          std::string* errors);
