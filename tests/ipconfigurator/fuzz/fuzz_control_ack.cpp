// libFuzzer target: the control-channel acknowledge check. Input: one byte choosing the
// command, two bytes of request id, then the datagram.
#include "GvcpMessages.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    static const uint16_t commands[] = {gvcp::READREG_CMD, gvcp::WRITEREG_CMD, gvcp::DISCOVERY_CMD};
    const uint16_t command = commands[data[0] % 3];
    const uint16_t reqId = gvcp::ReadBe16(data + 1);
    const uint8_t* datagram = data + 3;
    const size_t length = size - 3;
    const gvcp::ControlAck ack = gvcp::CheckControlAck(datagram, length, command, reqId);
    if (ack.result == gvcp::kSuccess) {
        // The payload handed on must lie inside the datagram.
        if (ack.payload < datagram || ack.payload + ack.payloadLength > datagram + length)
            std::abort();
    }
    return 0;
}
