#include "CAutoCloseList.h"

#include <QTest>

// Lists are written "a|b|c" to keep each case on one line.
static QStringList L(const char *entries)
{
    return *entries ? QString::fromUtf8(entries).split(QLatin1Char('|')) : QStringList();
}

// Which pop-up windows close unseen, and how the list keeps one entry per address.
class TestAutoCloseList : public QObject
{
    Q_OBJECT

private slots:
    void isAutoClose_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("index"); // of the entry that matches first, -1 for none
        auto row = [](const char *name, const char *list, const char *address, int index) {
            QTest::newRow(name) << L(list) << QString::fromUtf8(address) << index;
        };
        row("starts-with, other case", "http://ads.example/*", "HTTP://Ads.EXAMPLE/pop", 0);
        row("starts-with, backslashes", "http://ads.example/*", "http:\\\\ads.example\\x", 0);
        row("starts-with, non-ASCII case", "http://ÄÖ.example/*", "http://äö.example/", 0);
        row("starts-with, not at start", "http://ads.example/*",
            "http://x.org/?http://ads.example/", -1);
        row("exact, other case", "http://pop.example/w.html", "HTTP://POP.example/W.html", 0);
        row("exact, backslash entry", "http:\\\\pop.example\\w", "http://pop.example/w", 0);
        row("exact, followed by query", "http://pop.example/w.html", "http://pop.example/w.html?a",
            -1);
        row("disabled star", "!*", "http://pop.example/", -1);
        row("disabled, later enabled", "!http://a.example/|http://a.example/", "http://a.example/",
            1);
        row("first of two matches", "b|http://a.example/*|*", "http://a.example/", 1);
        row("star alone", "*", "x", 0);
        row("double star, literal star", "http://a.example/**", "http://a.example/*/b", 0);
        row("double star, no star", "http://a.example/**", "http://a.example/b", -1);
        row("star inside is literal", "http://*.example/*", "http://ads.example/", -1);
        row("empty address", "*", "", -1);
        row("empty entries skipped", "|http://a.example/", "http://a.example/", 1);
        row("empty entry matches nothing", "|", "http://a.example/", -1);
        // Both sides of the prefix's end.
        row("starts-with, the whole address", "http://a.example/*", "HTTP://A.example\\", 0);
        row("starts-with, address one short", "http://a.example/*", "http://a.example", -1);
        row("exact, address one short", "http://a.example/", "http://a.example", -1);
        // Characters outside ASCII whose case rules reach into it: the Kelvin sign
        // lowers and folds to "k", the dotted capital I lowers to two characters.
        row("exact, Kelvin sign", "http://k.example/", "http://\u212a.example/", 0);
        row("starts-with, Kelvin sign", "http://k*", "http://\u212a.example/", 0);
        row("starts-with, dotted capital I", "http://\u0130*", "http://i\u0307.example/", 0);
        row("starts-with, after a wider character", "http://\u00e4.example/*",
            "http://\u00c4.example/b", 0);
    }
    void isAutoClose()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, address);
        QFETCH(int, index);
        QCOMPARE(AutoClose::FindAutoClose(list, address), index);
        QCOMPARE(AutoClose::IsAutoClose(list, address), index >= 0);
    }

    void entriesEqual_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("expected");
        QTest::newRow("other case") << u"http://a.example/"_qs << u"HTTP://A.Example/"_qs << true;
        QTest::newRow("one disabled")
            << u"!http://a.example/"_qs << u"http://a.example/"_qs << true;
        QTest::newRow("one mark dropped")
            << u"!!http://a.example/"_qs << u"http://a.example/"_qs << false;
        QTest::newRow("star counts")
            << u"http://a.example/*"_qs << u"http://a.example/"_qs << false;
        QTest::newRow("slashes as they are") << u"a/b"_qs << u"a\\b"_qs << false;
        QTest::newRow("empty") << QString() << QString() << false;
    }
    void entriesEqual()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(AutoClose::EntriesEqual(a, b), "expected");
        QTEST(AutoClose::EntriesEqual(b, a), "expected");
    }

    void addAutoCloseKeepsOneEntryPerAddress()
    {
        // Equal entries go, disabled or not; the new one comes last with its own flags.
        QStringList list = L("!HTTP://A.example/||b|!http://a.example/|http://a.example/*");
        AutoClose::AddAutoClose(list, u"http://a.example/"_qs);
        QCOMPARE(list, L("|b|http://a.example/*|http://a.example/"));
    }
};

QTEST_APPLESS_MAIN(TestAutoCloseList)
#include "tst_cautocloselist.moc"
