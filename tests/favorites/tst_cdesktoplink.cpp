#include "CDesktopLink.h"

#include <QTemporaryDir>
#include <QtTest>

// Desktop link entries: what the menu lists and what opening one leads to.
class tst_CDesktopLink : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QString &name, const QByteArray &contents)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(contents);
        return file.fileName();
    }

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("link");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("url");

        QTest::newRow("link") << QByteArray("[Desktop Entry]\nType=Link\nName=Qt\\sdocs\n"
                                            "Name[de]=Qt-Doku\nURL=https://doc.qt.io/\n")
                              << true << u"Qt docs"_qs << u"https://doc.qt.io/"_qs;
        QTest::newRow("keys of another group") << QByteArray("[Desktop Entry]\nType=Link\n"
                                                             "[Other]\nURL=http://no/\n")
                                               << false << QString() << QString();
        QTest::newRow("application") << QByteArray("[Desktop Entry]\nType=Application\n"
                                                   "Name=Editor\nExec=editor\n")
                                     << false << QString() << QString();
        QTest::newRow("link without URL")
            << QByteArray("[Desktop Entry]\nType=Link\nName=x\n") << false << u"x"_qs << QString();
        QTest::newRow("keys are case-sensitive")
            << QByteArray("[Desktop Entry]\ntype=Link\nurl=http://no/\n") << false << QString()
            << QString();
    }
    void parse()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, link);
        const CDesktopLink parsed = CDesktopLink::Parse(contents);
        QCOMPARE(parsed.m_bLink, link);
        if (link) {
            QTEST(parsed.m_strName, "name");
            QTEST(parsed.m_strUrl, "url");
        }
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("resolved");
        QTest::newRow("web address") << u"https://example.org/x"_qs << true;
        QTest::newRow("file that exists") << u"file://%1/page.html"_qs << true;
        QTest::newRow("path that exists") << u"%1/page.html"_qs << true;
        QTest::newRow("file that is gone") << u"file://%1/gone.html"_qs << false;
        QTest::newRow("path that is gone") << u"%1/gone.html"_qs << false;
        QTest::newRow("no scheme, no path") << u"page.html"_qs << false;
    }
    void resolve()
    {
        QFETCH(QString, url);
        QFETCH(bool, resolved);
        QVERIFY(!Write(u"page.html"_qs, "<p>x</p>").isEmpty());
        url = url.arg(m_dir.path());
        const QString path
            = Write(u"link.desktop"_qs, "[Desktop Entry]\nType=Link\nURL=" + url.toUtf8() + '\n');
        QString target = u"unchanged"_qs;
        QCOMPARE(CDesktopLink::Resolve(path, target), resolved);
        QCOMPARE(target, resolved ? url : u"unchanged"_qs);
    }

    void resolveNeedsALinkFile()
    {
        QString target;
        QVERIFY(!CDesktopLink::Resolve(m_dir.filePath(u"missing.desktop"_qs), target));
        const QString app
            = Write(u"app.desktop"_qs, "[Desktop Entry]\nType=Application\nURL=http://a/\n");
        QVERIFY(!CDesktopLink::Resolve(app, target));
        QVERIFY(target.isEmpty());
    }

    void setNameKeepsTheRest()
    {
        const QString path = Write(u"named.desktop"_qs,
                                   "# made by hand\r\n[Desktop Entry]\r\nName=Old\r\n"
                                   "Name[fr]=Vieux\r\nType=Link\r\nURL=http://a/\r\n"
                                   "[Extra]\r\nName=Other group\r\n");
        QVERIFY(CDesktopLink::SetName(path, u" New\\name"_qs));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 "# made by hand\r\n[Desktop Entry]\r\nName=\\sNew\\\\name\r\nType=Link\r\n"
                 "URL=http://a/\r\n[Extra]\r\nName=Other group\r\n");
        QCOMPARE(CDesktopLink::Read(path).m_strName, u" New\\name"_qs);

        const QString unnamed
            = Write(u"unnamed.desktop"_qs, "[Desktop Entry]\nType=Link\nURL=http://a/\n[X]\n");
        QVERIFY(CDesktopLink::SetName(unnamed, u"Given"_qs));
        QCOMPARE(CDesktopLink::Read(unnamed).m_strName, u"Given"_qs);
        QVERIFY(!CDesktopLink::SetName(m_dir.filePath(u"missing.desktop"_qs), u"x"_qs));
    }
};

QTEST_GUILESS_MAIN(tst_CDesktopLink)
#include "tst_cdesktoplink.moc"
