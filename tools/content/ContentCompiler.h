// ContentCompiler.h: a whole content folder to the reader's resources.
// A content folder holds texts/001.txt to texts/250.txt (odd: an article's main text, the even one
// after it: its commentary) and index.txt. CompileContent checks every source, and only when all
// are good writes OUT/content/<id>.bin for resources 1001-1250 and 32767 and OUT/content.rc, the
// resource script that embeds them. Errors go to *errors, one "file:line: message" a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int ContentTextCount = 250;
constexpr int SectionIndexResourceId = 32767;
inline constexpr const char* ContentTextsFolder = "texts";
inline constexpr const char* ContentIndexFile = "index.txt";
inline constexpr const char* ContentRcFile = "content.rc";
inline constexpr const char* ContentBinFolder = "content";
constexpr size_t MaxReportedErrors = 20;

enum ContentResult {
    ContentOk = 0,
    ContentSourceError = 1, // a source is bad: nothing written
    ContentWriteError = 2,  // the output folder could not be written
};

// The compiled resources of one content folder, before they are written.
struct CompiledContent {
    std::vector<uint8_t> Plain[ContentTextCount + 1]; // by text number; [0] is the index stream
    std::vector<uint8_t> Resource[ContentTextCount + 1];
};

// The source path of text n ("texts/001.txt" under the folder).
std::string ContentTextPath(const std::string& folder, int n);
// Reads and compiles everything; false with *errors filled when any source is bad.
bool CompileContentFolder(const std::string& folder, CompiledContent* content, std::string* errors);
// CompileContentFolder, then writes the .bin files and content.rc into outFolder.
ContentResult CompileContent(const std::string& folder, const std::string& outFolder, std::string* errors);
// The resource file name for a resource id, e.g. "1001.bin".
std::string ContentBinName(int resourceId);
