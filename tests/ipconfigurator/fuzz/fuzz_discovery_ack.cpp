// libFuzzer target: the discovery acknowledge parser. Input: two bytes of request id, then
// the datagram.
#include "GvcpMessages.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    CamInfo info;
    const int result =
        gvcp::ParseDiscoveryAck(data + 2, size - 2, gvcp::ReadBe16(data), 0x0100000A, &info);
    if (result == gvcp::kSuccess) {
        // The texts made by the parser are always terminated; fixed fields are read by width.
        if (strnlen(info.ipText, sizeof info.ipText) == sizeof info.ipText ||
            strnlen(info.macText, sizeof info.macText) != 17)
            std::abort();
        volatile size_t n = gvcp::FieldText(info.modelName).size() +
                            gvcp::FieldText(info.serialNumber).size() +
                            gvcp::FieldText(info.userName).size();
        (void)n;
    }
    return 0;
}
