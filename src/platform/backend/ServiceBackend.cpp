// ServiceBackend.cpp: the replaceable backend of the clipboard and the shell. Owns nothing.
#include "platform/backend/ServiceBackend.h"

namespace {

const Backend*& Replacement() {
    static const Backend* backend = nullptr;
    return backend;
}

} // namespace

const Backend& ServiceBackend() {
    const Backend* replacement = Replacement();
    return replacement ? *replacement : PlatformBackend();
}

void ServiceUseBackend(const Backend* backend) {
    Replacement() = backend;
}
