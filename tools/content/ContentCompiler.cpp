// ContentCompiler.cpp: reads a content folder, compiles and compresses every text and the index,
// and writes the resources only when every source was good, all of them or none (ContentFiles).
#include "content/ContentCompiler.h"

#include "content/ArticleSource.h"
#include "content/ContentFiles.h"
#include "content/IndexSource.h"
#include "store/ArticleStore.h"
#include "store/Compressor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void Report(std::string* errors, size_t* count, const std::string& message) {
    if (*count < MaxReportedErrors) errors->append(message + "\n");
    if (*count == MaxReportedErrors) errors->append("(more errors not shown)\n");
    ++*count;
}

// Names in texts/ that are not 001.txt to 250.txt are mistakes (a typo would lose a text).
void CheckTextNames(const std::string& folder, std::string* errors, size_t* count) {
    std::error_code ec;
    fs::path texts = fs::path(folder) / ContentTextsFolder;
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(texts, ec))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        bool ok = name.size() == 7 && name.compare(3, 4, ".txt") == 0;
        int n = 0;
        for (size_t i = 0; ok && i < 3; ++i) {
            ok = name[i] >= '0' && name[i] <= '9';
            n = n * 10 + (name[i] - '0');
        }
        if (!ok || n < 1 || n > ContentTextCount)
            Report(errors, count,
                   (texts / name).string() + ": not a text: texts are named 001.txt to 250.txt");
    }
}

// The content folder and its texts folder are opened first: one that cannot be is one line saying
// why, not a "missing text" for each of the 250 texts inside it.
bool OpenableFolder(const std::string& path, std::string* errors, size_t* count) {
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) return close(fd), true;
    int error = errno;
    struct stat st;
    bool link = error == ENOENT && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    std::string why = link               ? "a link to a missing folder"
                      : error == ENOENT  ? "no such folder"
                      : error == ENOTDIR ? "not a folder"
                                         : "cannot be read (" + std::string(std::strerror(error)) + ")";
    Report(errors, count, path + ": " + why);
    return false;
}

bool Compress(const std::string& path, const std::vector<uint8_t>& plain, std::vector<uint8_t>* resource,
              std::string* errors, size_t* count) {
    CompressResult r = BuildArticleResource(plain.data(), plain.size(), resource);
    if (r == CompressOk) return true;
    Report(errors, count, path + ": " + CompressResultMessage(r));
    return false;
}

} // namespace

std::string ContentTextPath(const std::string& folder, int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.txt", n);
    return (fs::path(folder) / ContentTextsFolder / name).string();
}

std::string ContentBinName(int resourceId) {
    return std::to_string(resourceId) + ".bin";
}

bool CompileContentFolder(const std::string& folder, CompiledContent* content, std::string* errors) {
    size_t count = 0;
    if (!OpenableFolder(folder, errors, &count)) return false;
    bool texts = OpenableFolder((fs::path(folder) / ContentTextsFolder).string(), errors, &count);
    if (texts) CheckTextNames(folder, errors, &count);
    for (int n = 1; texts && n <= ContentTextCount; ++n) {
        std::string path = ContentTextPath(folder, n), source, why;
        SourceRead read = ReadSourceFile(path, &source, &why);
        if (read == SourceRead::Missing)
            Report(errors, &count,
                   path + ": missing text " + std::to_string(n) +
                       " (every text from 1 to 250 needs a source)");
        if (read == SourceRead::Refused) Report(errors, &count, path + ": " + why);
        if (read != SourceRead::Ok) continue;
        SourceError error;
        if (!CompileArticleSource(source, path, &content->Plain[n], &error)) {
            Report(errors, &count, FormatSourceError(error));
            continue;
        }
        Compress(path, content->Plain[n], &content->Resource[n], errors, &count);
    }
    std::string path = (fs::path(folder) / ContentIndexFile).string(), source, why;
    SourceRead read = ReadSourceFile(path, &source, &why);
    if (read == SourceRead::Missing) {
        Report(errors, &count, path + ": missing section index");
    } else if (read == SourceRead::Refused) {
        Report(errors, &count, path + ": " + why);
    } else {
        SourceError error;
        if (!CompileIndexSource(source, path, &content->Plain[0], &error))
            Report(errors, &count, FormatSourceError(error));
        else
            Compress(path, content->Plain[0], &content->Resource[0], errors, &count);
    }
    return count == 0;
}

ContentResult CompileContent(const std::string& folder, const std::string& outFolder, std::string* errors) {
    auto content = std::make_unique<CompiledContent>();
    if (!CompileContentFolder(folder, content.get(), errors)) return ContentSourceError;
    std::string rc = "// Written by the content compiler from " + fs::path(folder).filename().string() +
                     ": the article texts and the section index.\n";
    std::vector<ContentOutputFile> files;
    for (int n = 0; n <= ContentTextCount; ++n) {
        int id = n == 0 ? SectionIndexResourceId : ArticleResourceBase + n;
        files.push_back(ContentOutputFile{ContentBinName(id), &content->Resource[n]});
        rc += std::to_string(id) + " RCDATA \"" + std::string(ContentBinFolder) + "/" + ContentBinName(id) +
              "\"\n";
    }
    if (!ReplaceContentOutput(outFolder, ContentRcFile, rc, ContentBinFolder, files, errors))
        return ContentWriteError;
    return ContentOk;
}
