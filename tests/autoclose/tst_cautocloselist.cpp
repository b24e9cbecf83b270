#include "CAutoCloseList.h"

#include <QTest>

// Which pop-up windows close unseen, and how the list keeps one entry per address.
class TestAutoCloseList : public QObject
{
    Q_OBJECT

private slots:
    void isAutoClose_data();
    void isAutoClose();
    void entriesEqual_data();
    void entriesEqual();
    void addAutoClose_data();
    void addAutoClose();
};

// Lists are written "a|b|c" to keep each case on one line.
static QStringList L(const char *entries)
{
    return QString::fromUtf8(entries).split(QLatin1Char('|'));
}

void TestAutoCloseList::isAutoClose_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("expected");
    auto row = [](const char *name, const char *list, const char *address, bool expected) {
        QTest::newRow(name) << (*list ? L(list) : QStringList()) << QString::fromUtf8(address)
                            << expected;
    };
    row("starts-with, other case", "http://ads.example/*", "HTTP://Ads.EXAMPLE/pop", true);
    row("starts-with, backslashes", "http://ads.example/*", "http:\\\\ads.example\\x", true);
    row("starts-with, non-ASCII case", "http://ÄÖ.example/*", "http://äö.example/", true);
    row("starts-with, not at start", "http://ads.example/*", "http://x.org/?http://ads.example/",
        false);
    row("starts-with, address shorter", "http://ads.example/*", "http://ads.example", false);
    row("exact, other case", "http://pop.example/w.html", "HTTP://POP.example/W.html", true);
    row("exact, backslashes", "http://pop.example/w.html", "http:\\\\pop.example\\w.html", true);
    row("exact, backslash entry", "http:\\\\pop.example\\w", "http://pop.example/w", true);
    row("exact, followed by query", "http://pop.example/w.html", "http://pop.example/w.html?a",
        false);
    row("disabled exact", "!http://pop.example/", "http://pop.example/", false);
    row("disabled star", "!*", "http://pop.example/", false);
    row("disabled, later enabled", "!http://a.example/|http://a.example/", "http://a.example/",
        true);
    row("star alone", "*", "x", true);
    row("double star, literal star", "http://a.example/**", "http://a.example/*/b", true);
    row("double star, no star", "http://a.example/**", "http://a.example/b", false);
    row("star inside is literal", "http://*.example/*", "http://ads.example/", false);
    row("empty list", "", "http://a.example/", false);
    row("empty address", "*", "", false);
    row("empty entries skipped", "|http://a.example/", "http://a.example/", true);
    row("no entry matches", "http://a.example/|http://b.example/*", "http://c.example/", false);
}

void TestAutoCloseList::isAutoClose()
{
    QFETCH(QStringList, list);
    QFETCH(QString, address);
    QFETCH(bool, expected);
    QCOMPARE(AutoClose::IsAutoClose(list, address), expected);
}

void TestAutoCloseList::entriesEqual_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("expected");
    QTest::newRow("other case") << u"http://a.example/"_qs << u"HTTP://A.Example/"_qs << true;
    QTest::newRow("one disabled") << u"!http://a.example/"_qs << u"http://a.example/"_qs << true;
    QTest::newRow("one mark dropped")
        << u"!!http://a.example/"_qs << u"http://a.example/"_qs << false;
    QTest::newRow("star counts") << u"http://a.example/*"_qs << u"http://a.example/"_qs << false;
    QTest::newRow("slashes as they are") << u"a/b"_qs << u"a\\b"_qs << false;
    QTest::newRow("empty") << QString() << QString() << false;
}

void TestAutoCloseList::entriesEqual()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, expected);
    QCOMPARE(AutoClose::EntriesEqual(a, b), expected);
    QCOMPARE(AutoClose::EntriesEqual(b, a), expected);
}

void TestAutoCloseList::addAutoClose_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("disabled, other case: moved to end, new flags")
        << L("!HTTP://A.example/|b|!http://a.example/") << u"http://a.example/"_qs
        << L("b|http://a.example/");
    QTest::newRow("trailing star removes nothing")
        << L("http://a.example/|b") << u"http://a.example/*"_qs
        << L("http://a.example/|b|http://a.example/*");
    QTest::newRow("empty entries stay") << L("|a") << u"a"_qs << L("|a");
    QTest::newRow("to empty list") << QStringList() << u"a"_qs << L("a");
}

void TestAutoCloseList::addAutoClose()
{
    QFETCH(QStringList, list);
    QFETCH(QString, entry);
    QFETCH(QStringList, expected);
    AutoClose::AddAutoClose(list, entry);
    QCOMPARE(list, expected);
}

QTEST_APPLESS_MAIN(TestAutoCloseList)
#include "tst_cautocloselist.moc"
