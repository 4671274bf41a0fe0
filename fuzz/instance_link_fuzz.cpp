// instance_link_fuzz.cpp: the decoders of the packets another process sends over the instance link,
// on any bytes. They must refuse or accept without reading past the input, and whatever they accept
// must be exactly the packet that encoding the decoded value gives back.
#include "platform/user/InstanceLink.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InstanceLinkRequest request{};
    if (InstanceLinkDecodeRequest(data, size, &request)) {
        uint8_t again[InstanceLinkRequestBytes];
        InstanceLinkEncodeRequest(request, again);
        if (size != sizeof again || std::memcmp(again, data, size) != 0) std::abort();
        if (request.Kind < InstanceLinkPing || request.Kind > InstanceLinkForegroundState) std::abort();
    }
    LRESULT result = 0;
    if (InstanceLinkDecodeReply(data, size, &result)) {
        uint8_t again[InstanceLinkReplyBytes];
        InstanceLinkEncodeReply(result, again);
        if (size != sizeof again || std::memcmp(again, data, size) != 0) std::abort();
    }
    return 0;
}
