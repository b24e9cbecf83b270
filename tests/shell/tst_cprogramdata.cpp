#include "CProgramData.h"

#include <QtTest>

class TestCProgramData : public QObject
{
    Q_OBJECT

private slots:
    void installedOrBuilt()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString bin = root.filePath(u"bin"_qs);
        QVERIFY(QDir().mkpath(bin));
        // A build tree: the data sits beside the program.
        QCOMPARE(ProgramDataDirFor(bin), bin);
        QCOMPARE(ProgramDataDirFor(bin + u"/"_qs), bin);
        // Installed: <prefix>/bin/quillbrow with <prefix>/share/quillbrow.
        QVERIFY(QDir().mkpath(root.filePath(u"share/quillbrow"_qs)));
        QCOMPARE(ProgramDataDirFor(bin), root.filePath(u"share/quillbrow"_qs));
        // A file of that name is not the folder.
        QVERIFY(QDir(root.filePath(u"share"_qs)).removeRecursively());
        QVERIFY(QDir().mkpath(root.filePath(u"share"_qs)));
        QFile file(root.filePath(u"share/quillbrow"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(ProgramDataDirFor(bin), bin);
    }

    void pathsUnderTheFolder()
    {
        QCOMPARE(ProgramDataPath(u"quillbrow-guide/index.html"_qs),
                 QCoreApplication::applicationDirPath() + u"/quillbrow-guide/index.html"_qs);
        SetProgramDataDirOverride(u"/opt/data/"_qs);
        QCOMPARE(ProgramDataDir(), u"/opt/data"_qs);
        QCOMPARE(ProgramDataPath(u"guide/../guide/index.html"_qs),
                 u"/opt/data/guide/index.html"_qs);
        SetProgramDataDirOverride(QString());
        QCOMPARE(ProgramDataDir(), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TestCProgramData)
#include "tst_cprogramdata.moc"
