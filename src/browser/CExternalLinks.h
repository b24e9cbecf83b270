#pragma once

#include <QHash>
#include <QString>

class QUrl;
class QWidget;

// Links the engine does not open itself (mailto:, news:, irc:, magnet: ...) go to the
// program the desktop names for their scheme. The user is asked once per scheme and
// run; the answer holds until the program ends and is never written anywhere.
class CExternalLinks
{
public:
    // Whether the engine leaves the address to another program: any scheme but the
    // web's, the local ones and the engine's own.
    static bool IsExternal(const QUrl &url);

    static CExternalLinks &Instance();

    // Asks (unless this scheme was answered before in this run) and starts the
    // desktop's handler of the scheme with the address; says so plainly when there is
    // none or it cannot be started.
    void Open(QWidget *pParent, const QUrl &url);

    // Forgets the answers of this run.
    void Forget() { m_answers.clear(); }

private:
    QHash<QString, bool> m_answers; // scheme -> open with its program
};
