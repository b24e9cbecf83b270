// The stored toolbar ("ToolBar"): a value decodes to at most the stored maximum of
// ids, and a decoded value is exactly what encoding those ids gives.

#include "CMainToolBar.h"
#include "FuzzInput.h"

#include <QDataStream>
#include <QIODevice>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray state = FuzzBytes(data, size);
    const auto ids = CMainToolBar::DecodeState(state);
    if (!ids)
        return 0;
    FUZZ_ASSERT(ids->size() <= 256);
    QByteArray again;
    QDataStream out(&again, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << quint32(0x51544231) << qint32(ids->size());
    for (int nId : *ids)
        out << qint32(nId);
    FUZZ_ASSERT(again == state);
    return 0;
}
