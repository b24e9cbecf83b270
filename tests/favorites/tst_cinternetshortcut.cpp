#include "CInternetShortcut.h"

#include <QTemporaryDir>
#include <QtTest>

// Internet shortcuts as Windows and other tools write them.
class tst_CInternetShortcut : public QObject
{
    Q_OBJECT
private slots:
    void parseUrl_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("url");

        QTest::newRow("written by Windows")
            << QByteArray("\xEF\xBB\xBF[{000214A0-0000-0000-C000-000000000046}]\r\n"
                          "Prop3=19,11\r\n"
                          "[InternetShortcut]\r\n"
                          "IDList=\r\n"
                          "URL=http://example.com/a?b=1,2&c=%41\r\n"
                          "IconFile=http://example.com/favicon.ico\r\n"
                          "IconIndex=1\r\n"
                          "HotKey=0\r\n")
            << u"http://example.com/a?b=1,2&c=%41"_qs;
        QTest::newRow("LF, any case, spaces")
            << QByteArray("[internetshortcut]\n  url = http://x.example/ \n")
            << u"http://x.example/"_qs;
        QTest::newRow("CR only") << QByteArray("[InternetShortcut]\rURL=http://cr.example/\r")
                                 << u"http://cr.example/"_qs;
        QTest::newRow("quoted") << QByteArray("[InternetShortcut]\r\nURL=\"http://q.example/\"\r\n")
                                << u"http://q.example/"_qs;
        QTest::newRow("first of two")
            << QByteArray("[InternetShortcut]\r\nURL=http://first/\r\nURL=http://second/\r\n")
            << u"http://first/"_qs;
        QTest::newRow("only in another section")
            << QByteArray("[Other]\r\nURL=http://no/\r\n[InternetShortcut]\r\nIconFile=x\r\n")
            << QString();
        QTest::newRow("no URL key")
            << QByteArray("[InternetShortcut]\r\nIconFile=x.ico\r\n") << QString();
        QTest::newRow("empty URL") << QByteArray("[InternetShortcut]\r\nURL=\r\n") << QString();
        QTest::newRow("commented out")
            << QByteArray("[InternetShortcut]\r\n;URL=http://no/\r\n") << QString();
        QTest::newRow("Western code page")
            << QByteArray("[InternetShortcut]\r\nURL=http://x.example/caf\xE9\r\n")
            << u"http://x.example/caf\u00E9"_qs;
        QTest::newRow("UTF-8") << QByteArray(
            "[InternetShortcut]\nURL=http://x.example/caf\xC3\xA9\n")
                               << u"http://x.example/caf\u00E9"_qs;
        // Host order is little-endian on the machines this runs on.
        const QString wide = u"[InternetShortcut]\r\nURL=http://w/"_qs;
        QTest::newRow("UTF-16 with byte order mark") << QByteArray("\xFF\xFE")
                + QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2)
                                                     << u"http://w/"_qs;
        QTest::newRow("Unicode section wins")
            << QByteArray("[InternetShortcut]\r\nURL=http://x.example/?\r\n"
                          "[InternetShortcut.W]\r\nURL=http://x.example/+AOk-\r\n")
            << u"http://x.example/\u00E9"_qs;
        QTest::newRow("garbage") << QByteArray("\x00\x01\x02[Inter\xFF\xFEnetSh", 16) << QString();
    }
    void parseUrl()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, url);
        QCOMPARE(CInternetShortcut::ParseUrl(contents), url);
    }

    void decodeUtf7_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("plain") << QByteArray("http://a/") << u"http://a/"_qs;
        QTest::newRow("escaped plus") << QByteArray("a+-b") << u"a+b"_qs;
        QTest::newRow("run ended by '-'") << QByteArray("x+AOk-y") << u"x\u00E9y"_qs;
        QTest::newRow("run ended by another character") << QByteArray("+AOk.") << u"\u00E9."_qs;
        QTest::newRow("surrogate pair") << QByteArray("+2D3eAA-") << u"\U0001F600"_qs;
    }
    void decodeUtf7()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, decoded);
        QCOMPARE(CInternetShortcut::DecodeUtf7(text), decoded);
    }

    void composedShortcutReadsBack()
    {
        const QString url = u"http://example.com/a b?q=\u00E9&x=1,2"_qs;
        const QByteArray contents = CInternetShortcut::Compose(url);
        QCOMPARE(contents, "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
        QCOMPARE(CInternetShortcut::ParseUrl(contents), url);

        // A line break cannot start a key of its own.
        const QByteArray broken
            = CInternetShortcut::Compose(u"http://a/\r\nIconFile=evil\nURL=http://b/"_qs);
        QCOMPARE(broken.count("\r\n"), 2);
        QCOMPARE(CInternetShortcut::ParseUrl(broken),
                 u"http://a/%0D%0AIconFile=evil%0AURL=http://b/"_qs);
    }

    void readsFilesUpToTheSizeLimit()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray head = "[InternetShortcut]\r\nURL=http://big/\r\n;";
        const auto write = [&](const QString &name, qint64 nSize) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::WriteOnly))
                return QString();
            file.write(head + QByteArray(nSize - head.size(), 'x'));
            return file.fileName();
        };
        QCOMPARE(
            CInternetShortcut::ReadUrl(write(u"limit.url"_qs, CInternetShortcut::kMaxFileSize)),
            u"http://big/"_qs);
        QCOMPARE(
            CInternetShortcut::ReadUrl(write(u"over.url"_qs, CInternetShortcut::kMaxFileSize + 1)),
            QString());
        QCOMPARE(CInternetShortcut::ReadUrl(dir.filePath(u"missing.url"_qs)), QString());
        QCOMPARE(CInternetShortcut::ReadUrl(dir.path()), QString());
    }
};

QTEST_GUILESS_MAIN(tst_CInternetShortcut)
#include "tst_cinternetshortcut.moc"
