// The instance channel's receiving side: bytes as a client may send them, cut into
// reads of a size the input chooses, through the frame reader and the message
// handling, down to the frame's decoding of the address.

#include "CInstanceChannel.h"
#include "CMainFrame.h"
#include "FuzzInput.h"

namespace {

class CReceiver : public IInstanceReceiver
{
public:
    quint64 OnFindInstance() override { return 1; }
    quint32 OnCopyData(quint32 nTag, const QByteArray &data) override
    {
        if (nTag != 0)
            return 0;
        return CMainFrame::DecodeAddress(data).isEmpty() ? 0 : 1;
    }
    quint32 OnNavigate() override { return 1; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype nChunk = data[0] % 64 + 1;
    const QByteArray stream = FuzzBytes(data + 1, size - 1);
    CReceiver receiver;
    InstanceChannel::CFrameReader reader;
    for (qsizetype at = 0; at < stream.size(); at += nChunk) {
        reader.Append(stream.mid(at, nChunk));
        for (;;) {
            QByteArray payload;
            QString reason;
            const auto result = reader.Next(payload, reason);
            if (result == InstanceChannel::CFrameReader::EResult::NeedMore)
                break;
            if (result == InstanceChannel::CFrameReader::EResult::Error)
                return 0; // the server drops the client here
            FUZZ_ASSERT(!payload.isEmpty()
                        && quint32(payload.size()) <= InstanceChannel::kMaxFrame);
            const auto reply = InstanceChannel::HandleMessage(receiver, payload, reason);
            if (!reply) {
                FUZZ_ASSERT(!reason.isEmpty());
                return 0;
            }
            FUZZ_ASSERT(reply->size() == 4 || reply->size() == 8);
        }
    }
    return 0;
}
