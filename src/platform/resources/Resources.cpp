// Resources.cpp: the module records behind HMODULE and the reader of compiled resource files (.res).
// A module keeps a pointer to the .res bytes (embedded in the executable, or the caller's for
// PlatformOpenResourceModule) and a table of the entries found when it was opened; HRSRC points
// into that table and HGLOBAL at the resource's bytes. The embedded module lives for the whole run.
#include "platform/Win32Resources.h"
#include "platform/Win32Text.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

// Defined by the generated assembly that embeds the compiled resource script; absent (null) in
// programs that embed no resources, such as the content tools.
extern "C" __attribute__((weak)) const unsigned char KestrovaResourceImage[];
extern "C" __attribute__((weak)) const unsigned char KestrovaResourceImageEnd[];

namespace {

// An integer name or type has Id set and Text empty; a string name has Text set.
struct ResName {
    bool IsInt;
    WORD Id;
    std::u16string Text;
};

struct ResEntry {
    ResName Type;
    ResName Name;
    WORD Language;
    const BYTE* Data;
    DWORD Size;
};

struct ResModule {
    std::vector<ResEntry> Entries;
};

DWORD ReadU32(const BYTE* p) {
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
WORD ReadU16(const BYTE* p) {
    return WORD(p[0] | p[1] << 8);
}
size_t AlignUp4(size_t v) {
    return (v + 3) & ~size_t(3);
}

// Reads an id (0xFFFF, id) or a 0-terminated UTF-16 string at pos, never past end.
bool ReadResName(const BYTE* base, size_t end, size_t* pos, ResName* out) {
    if (*pos + 2 > end) return false;
    if (ReadU16(base + *pos) == 0xFFFF) {
        if (*pos + 4 > end) return false;
        out->IsInt = true;
        out->Id = ReadU16(base + *pos + 2);
        *pos += 4;
        return true;
    }
    out->IsInt = false;
    for (;;) {
        if (*pos + 2 > end) return false;
        WORD ch = ReadU16(base + *pos);
        *pos += 2;
        if (ch == 0) return true;
        out->Text.push_back(char16_t(ch));
    }
}

// Parses one entry at pos; on success advances pos to the next entry.
bool ReadResEntry(const BYTE* base, size_t size, size_t* pos, ResEntry* entry) {
    if (*pos + 8 > size) return false;
    DWORD dataSize = ReadU32(base + *pos);
    DWORD headerSize = ReadU32(base + *pos + 4);
    if (headerSize < 16 || headerSize > size - *pos) return false;
    size_t headerEnd = *pos + headerSize;
    size_t p = *pos + 8;
    if (!ReadResName(base, headerEnd, &p, &entry->Type) || !ReadResName(base, headerEnd, &p, &entry->Name))
        return false;
    p = AlignUp4(p);
    // DataVersion (4), MemoryFlags (2), LanguageId (2), Version (4), Characteristics (4).
    if (p + 16 > headerEnd) return false;
    entry->Language = ReadU16(base + p + 6);
    if (dataSize > size - headerEnd) return false;
    entry->Data = base + headerEnd;
    entry->Size = dataSize;
    *pos = AlignUp4(headerEnd + dataSize);
    return true;
}

bool ParseResFile(const BYTE* base, size_t size, ResModule* module) {
    size_t pos = 0;
    while (pos < size) {
        ResEntry entry{};
        if (!ReadResEntry(base, size, &pos, &entry)) return false;
        // The file opens with an empty entry of type 0 that marks the 32-bit format.
        if (entry.Type.IsInt && entry.Type.Id == 0) continue;
        module->Entries.push_back(std::move(entry));
    }
    return true;
}

bool NameMatches(const ResName& name, LPCWSTR wanted) {
    if (IS_INTRESOURCE(wanted)) return name.IsInt && name.Id == WORD(reinterpret_cast<ULONG_PTR>(wanted));
    if (name.IsInt) return false;
    return wcsicmp16(name.Text.c_str(), wanted) == 0;
}

ResModule* EmbeddedModule() {
    static ResModule* module = [] {
        auto* m = new ResModule();
        if (KestrovaResourceImage != nullptr && +KestrovaResourceImageEnd > +KestrovaResourceImage) {
            size_t size = size_t(KestrovaResourceImageEnd - KestrovaResourceImage);
            if (!ParseResFile(KestrovaResourceImage, size, m)) m->Entries.clear();
        }
        return m;
    }();
    return module;
}

ResModule* ToModule(HMODULE module) {
    return reinterpret_cast<ResModule*>(module);
}

} // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (moduleName != nullptr) return nullptr;
    return reinterpret_cast<HMODULE>(EmbeddedModule());
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    ResModule* m = module ? ToModule(module) : EmbeddedModule();
    if (name == nullptr || type == nullptr) return nullptr;
    for (ResEntry& entry : m->Entries)
        if (NameMatches(entry.Type, type) && NameMatches(entry.Name, name))
            return reinterpret_cast<HRSRC>(&entry);
    return nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    return resource ? reinterpret_cast<ResEntry*>(resource)->Size : 0;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) return nullptr;
    return const_cast<BYTE*>(reinterpret_cast<ResEntry*>(resource)->Data);
}

LPVOID LockResource(HGLOBAL resourceData) {
    return resourceData;
}

BOOL FreeResource(HGLOBAL) {
    return FALSE;
}

HMODULE PlatformOpenResourceModule(const void* resBytes, size_t size) {
    if (resBytes == nullptr) return nullptr;
    auto* m = new (std::nothrow) ResModule();
    if (m == nullptr) return nullptr;
    if (!ParseResFile(static_cast<const BYTE*>(resBytes), size, m)) {
        delete m;
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(m);
}

void PlatformCloseResourceModule(HMODULE module) {
    if (module != nullptr && ToModule(module) != EmbeddedModule()) delete ToModule(module);
}

void PlatformEnumResources(HMODULE module, PlatformResourceVisitor visit, void* context) {
    ResModule* m = module ? ToModule(module) : EmbeddedModule();
    for (const ResEntry& e : m->Entries) {
        LPCWSTR type = e.Type.IsInt ? MAKEINTRESOURCEW(e.Type.Id) : e.Type.Text.c_str();
        LPCWSTR name = e.Name.IsInt ? MAKEINTRESOURCEW(e.Name.Id) : e.Name.Text.c_str();
        if (!visit(type, name, e.Language, e.Data, e.Size, context)) return;
    }
}
