#include "CTestSessionManager.h"

#include <QList>
#include <QSocketNotifier>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cstdlib>

struct CTestSessionManager::SState
{
    IceListenObj *listeners = nullptr;
    int nListeners = 0;
    QString address;
    QList<QSocketNotifier *> notifiers;
    IceConn iceConn = nullptr;
    QSocketNotifier *reader = nullptr; // of iceConn
    SmsConn smsConn = nullptr;
    bool bRegistered = false;
    int nSavesDone = 0;
};

namespace {

CTestSessionManager::SState *g_state = nullptr;

Bool AcceptAnyHost(char *)
{
    return True;
}

Status OnRegisterClient(SmsConn conn, SmPointer, char *)
{
    char *id = SmsGenerateClientID(conn);
    SmsRegisterClientReply(conn, id);
    std::free(id);
    g_state->bRegistered = true;
    return 1;
}

void OnInteractRequest(SmsConn conn, SmPointer, int)
{
    // Nobody is in front of this session: the client may go ahead at once.
    SmsInteract(conn);
}

void OnInteractDone(SmsConn, SmPointer, Bool) { }

void OnSaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) { }

void OnSaveYourselfPhase2Request(SmsConn conn, SmPointer)
{
    SmsSaveYourselfPhase2(conn);
}

void OnSaveYourselfDone(SmsConn, SmPointer, Bool)
{
    ++g_state->nSavesDone;
}

void OnCloseConnection(SmsConn conn, SmPointer, int nCount, char **reasons)
{
    SmFreeReasons(nCount, reasons);
    IceConn ice = SmsGetIceConnection(conn);
    if (g_state->iceConn == ice && g_state->reader)
        g_state->reader->setEnabled(false);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    if (g_state->smsConn == conn) {
        g_state->smsConn = nullptr;
        g_state->iceConn = nullptr;
        g_state->bRegistered = false;
    }
}

void OnSetProperties(SmsConn, SmPointer, int nProps, SmProp **props)
{
    for (int i = 0; i < nProps; ++i)
        SmFreeProperty(props[i]);
    std::free(props);
}

void OnDeleteProperties(SmsConn, SmPointer, int nNames, char **names)
{
    for (int i = 0; i < nNames; ++i)
        std::free(names[i]);
    std::free(names);
}

void OnGetProperties(SmsConn conn, SmPointer)
{
    SmsReturnProperties(conn, 0, nullptr);
}

Status OnNewClient(SmsConn conn, SmPointer, unsigned long *mask, SmsCallbacks *callbacks, char **)
{
    g_state->smsConn = conn;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask
        | SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask
        | SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask
        | SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    callbacks->register_client.callback = OnRegisterClient;
    callbacks->interact_request.callback = OnInteractRequest;
    callbacks->interact_done.callback = OnInteractDone;
    callbacks->save_yourself_request.callback = OnSaveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = OnSaveYourselfPhase2Request;
    callbacks->save_yourself_done.callback = OnSaveYourselfDone;
    callbacks->close_connection.callback = OnCloseConnection;
    callbacks->set_properties.callback = OnSetProperties;
    callbacks->delete_properties.callback = OnDeleteProperties;
    callbacks->get_properties.callback = OnGetProperties;
    return 1;
}

} // namespace

CTestSessionManager::CTestSessionManager(QObject *parent)
    : QObject(parent)
    , m_state(std::make_unique<SState>())
{
    g_state = m_state.get();
}

CTestSessionManager::~CTestSessionManager()
{
    qDeleteAll(m_state->notifiers);
    if (m_state->iceConn) {
        if (m_state->smsConn)
            SmsCleanUp(m_state->smsConn);
        IceSetShutdownNegotiation(m_state->iceConn, False);
        IceCloseConnection(m_state->iceConn);
    }
    if (m_state->listeners)
        IceFreeListenObjs(m_state->nListeners, m_state->listeners);
    g_state = nullptr;
}

bool CTestSessionManager::Listen()
{
    char error[256] = {};
    if (!SmsInitialize("quillbrow-test", "1.0", OnNewClient, nullptr, AcceptAnyHost, sizeof error,
                       error))
        return false;
    if (!IceListenForConnections(&m_state->nListeners, &m_state->listeners, sizeof error, error))
        return false;
    for (int i = 0; i < m_state->nListeners; ++i) {
        IceSetHostBasedAuthProc(m_state->listeners[i], AcceptAnyHost);
        IceListenObj listener = m_state->listeners[i];
        auto *notifier
            = new QSocketNotifier(IceGetListenConnectionNumber(listener), QSocketNotifier::Read);
        m_state->notifiers.append(notifier);
        connect(notifier, &QSocketNotifier::activated, this, [this, listener] {
            IceAcceptStatus status;
            IceConn conn = IceAcceptConnection(listener, &status);
            if (!conn || status != IceAcceptSuccess)
                return;
            m_state->iceConn = conn;
            auto *reader = new QSocketNotifier(IceConnectionNumber(conn), QSocketNotifier::Read);
            m_state->notifiers.append(reader);
            m_state->reader = reader;
            connect(reader, &QSocketNotifier::activated, this, [this, conn, reader] {
                if (IceProcessMessages(conn, nullptr, nullptr) == IceProcessMessagesIOError) {
                    reader->setEnabled(false);
                    if (m_state->iceConn == conn) {
                        if (m_state->smsConn)
                            SmsCleanUp(m_state->smsConn);
                        m_state->smsConn = nullptr;
                        m_state->iceConn = nullptr;
                        m_state->bRegistered = false;
                    }
                    IceSetShutdownNegotiation(conn, False);
                    IceCloseConnection(conn);
                }
            });
        });
    }
    char *ids = IceComposeNetworkIdList(m_state->nListeners, m_state->listeners);
    m_state->address = QString::fromLocal8Bit(ids);
    std::free(ids);
    return true;
}

QString CTestSessionManager::Address() const
{
    return m_state->address;
}

bool CTestSessionManager::HasClient() const
{
    return m_state->smsConn && m_state->bRegistered;
}

void CTestSessionManager::SaveYourself(bool bShutdown)
{
    if (HasClient())
        SmsSaveYourself(m_state->smsConn, SmSaveBoth, bShutdown ? True : False, SmInteractStyleNone,
                        False);
}

int CTestSessionManager::SavesDone() const
{
    return m_state->nSavesDone;
}

void CTestSessionManager::Die()
{
    if (HasClient())
        SmsDie(m_state->smsConn);
}
