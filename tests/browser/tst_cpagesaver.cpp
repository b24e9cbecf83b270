#include "CFakeEngine.h"
#include "CPageSaver.h"

#include <QTemporaryDir>
#include <QtTest>

// Saving a page all or nothing, against an engine that writes what the test says.
class TestCPageSaver : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CFakeEngine> m_engine;
    QStringList m_errors;

    QString Path(const QString &name) const { return m_dir->filePath(name); }
    QStringList Entries(const QString &folder = QString()) const
    {
        return QDir(folder.isEmpty() ? m_dir->path() : folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static QByteArray Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void Write(const QString &path, const QByteArray &data)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    void Save(const QString &name)
    {
        CPageSaver::Save(m_engine.get(), Path(name), IWebEngine::SaveComplete,
                         [this](const QString &strError) { m_errors << strError; });
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_engine = std::make_unique<CFakeEngine>();
        m_engine->m_savedFiles = {{u"p.html"_qs, "new page"}, {u"p_files/a.png"_qs, "new image"}};
        m_errors.clear();
    }

    void finishedSaveReplacesAnEarlierOne()
    {
        Write(Path(u"p.html"_qs), "old page");
        Write(Path(u"p_files/old.png"_qs), "old image");
        Save(u"p.html"_qs);
        QCOMPARE(m_errors, QStringList {QString()});
        QCOMPARE(Entries(), (QStringList {u"p.html"_qs, u"p_files"_qs}));
        QCOMPARE(Read(Path(u"p.html"_qs)), QByteArray("new page"));
        QCOMPARE(Entries(Path(u"p_files"_qs)), QStringList {u"a.png"_qs});
        // The engine wrote beside the target, not into it.
        QCOMPARE(QFileInfo(QFileInfo(m_engine->m_strSavedPath).absolutePath()).absolutePath(),
                 m_dir->path());
    }

    void nothingHalfFinishedIsEverVisible()
    {
        m_engine->m_bHoldSave = true;
        m_engine->m_strSaveError = u"disk full"_qs;
        Save(u"p.html"_qs);
        const QStringList during = Entries();
        QCOMPARE(during.size(), 1);
        QVERIFY(during.first().startsWith(CPageSaver::StagingPrefix()));

        m_engine->m_saveDone();
        QCOMPARE(Entries(), QStringList());
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors.first().contains(Path(u"p.html"_qs)));
        QVERIFY(m_errors.first().contains(u"disk full"_qs));
    }
};

QTEST_MAIN(TestCPageSaver)
#include "tst_cpagesaver.moc"
