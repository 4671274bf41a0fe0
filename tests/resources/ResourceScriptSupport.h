// ResourceScriptSupport.h: the resource-script tests' fixture. Each test runs once over the
// resources GNU windres compiled (embedded in this program, as in the reader) and once over
// llvm-rc's .res file, read through PlatformOpenResourceModule; the llvm-rc run is skipped when
// the build found no llvm-rc. The llvm-rc module is opened once and kept for the whole run.
#pragma once

#include "platform/Win32.h"
#include "platform/resources/ResourceTemplates.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

enum class ScriptCompiler { Windres, LlvmRc };

class ResourceScript : public testing::TestWithParam<ScriptCompiler> {
protected:
    void SetUp() override {
        if (Module() == nullptr) GTEST_SKIP() << "llvm-rc's output is not available in this build";
    }

    HMODULE Module() const {
        if (GetParam() == ScriptCompiler::Windres) return GetModuleHandleW(nullptr);
        static HMODULE llvmModule = OpenLlvmModule();
        return llvmModule;
    }

    // A copy of a resource's bytes; empty when the module has no such resource.
    std::vector<BYTE> Bytes(WORD name, LPCWSTR type) const {
        HRSRC resource = FindResourceW(Module(), MAKEINTRESOURCEW(name), type);
        if (resource == nullptr) return {};
        const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(Module(), resource)));
        return std::vector<BYTE>(bytes, bytes + SizeofResource(Module(), resource));
    }

    static WORD ReadU16(const std::vector<BYTE>& bytes, size_t at) {
        return WORD(bytes[at] | bytes[at + 1] << 8);
    }

private:
    static HMODULE OpenLlvmModule() {
#ifdef KESTROVA_LLVM_RC_RES
        static std::vector<char> file;
        std::ifstream in(KESTROVA_LLVM_RC_RES, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return file.empty() ? nullptr : PlatformOpenResourceModule(file.data(), file.size());
#else
        return nullptr;
#endif
    }
};
