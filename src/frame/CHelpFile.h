#pragma once

#include <QString>

class IBrowserHost;
class QWidget;

// The program's user guide, an HTML page installed with the program
// (quillbrow-guide/index.html in its data folder), opened in a browser window.
class CHelpFile
{
public:
    // Works out where the guide is.
    void Initialise();
    QString Path() const { return m_strPath; }

    // Opens the guide in a new window of pHost. A missing guide is reported over
    // pParent first (message 51482 naming the path); the window still opens and shows
    // the engine's own account of the missing file.
    void Show(IBrowserHost *pHost, QWidget *pParent) const;

private:
    QString m_strPath;
};
