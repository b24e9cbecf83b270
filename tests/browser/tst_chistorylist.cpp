#include "CHistoryList.h"

#include <QtTest>

class TestCHistoryList : public QObject
{
    Q_OBJECT
private slots:
    void truncateTitle_data();
    void truncateTitle();
    void newPageFromEarlierEntryCutsTheRest();
    void revisitsAndBlankPages();
    void menusAndSteps();
    void neverOffersAnIdPast3999();

private:
    static void Visit(CHistoryList &h, QString &docTitle, const QString &url, const QString &title)
    {
        h.NavigationStep(docTitle, url, title);
        docTitle = title;
    }
};

void TestCHistoryList::truncateTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");

    const QString x128(128, u'x');
    QTest::newRow("128 kept") << x128 << x128;
    QTest::newRow("200 cut") << QString(200, u'a') << QString(125, u'a') + u"..."_qs;
    QTest::newRow("10000 cut") << QString(10000, u'b') << QString(125, u'b') + u"..."_qs;
    QTest::newRow("multibyte") << QString(300, u'ж') << QString(125, u'ж') + u"..."_qs;
    // Characters outside the BMP count one each and are never split.
    const QString emoji = u"😀"_qs;
    QTest::newRow("128 emoji kept") << emoji.repeated(128) << emoji.repeated(128);
    QTest::newRow("129 emoji cut") << emoji.repeated(129) << emoji.repeated(125) + u"..."_qs;
    QTest::newRow("emoji on the cut")
        << QString(124, u'e') + emoji + QString(50, u'e') << QString(124, u'e') + emoji + u"..."_qs;
    // A letter with a combining accent is one character.
    const QString accented = u"e\u0301"_qs;
    QTest::newRow("accents") << accented.repeated(200) << accented.repeated(125) + u"..."_qs;
}

void TestCHistoryList::truncateTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(TruncateTitle(title), expected);
}

void TestCHistoryList::newPageFromEarlierEntryCutsTheRest()
{
    CHistoryList h;
    QString doc;
    Visit(h, doc, u"http://h/p1"_qs, u"P1"_qs);
    Visit(h, doc, u"http://h/p2"_qs, u"P2"_qs);
    Visit(h, doc, u"http://h/p3"_qs, u"P3"_qs);
    Visit(h, doc, u"http://h/p1"_qs, u"P1"_qs); // back to P1: no new entry
    QCOMPARE(h.m_nHistoryIndex, 0);
    QCOMPARE(h.Count(), 3);
    Visit(h, doc, u"http://h/p4"_qs, u"P4"_qs);
    QCOMPARE(h.m_arrHistoryURLs, (QStringList {u"http://h/p1"_qs, u"http://h/p4"_qs}));
    QCOMPARE(h.m_nHistoryIndex, 1);
    QCOMPARE(h.MenuItems(true, u"http://h/p4"_qs).size(), 1);
    QVERIFY(h.MenuItems(false, u"http://h/p4"_qs).isEmpty());
}

void TestCHistoryList::revisitsAndBlankPages()
{
    CHistoryList h;
    QString doc;
    Visit(h, doc, u"http://h/A"_qs, u"A"_qs);
    Visit(h, doc, u"http://H/a"_qs, u"other case"_qs);
    QCOMPARE(h.Count(), 1);
    QCOMPARE(h.m_arrHistoryTitles.first(), u"A"_qs); // the existing title stays

    Visit(h, doc, u"about:blank"_qs, u"about:blank"_qs);
    QCOMPARE(h.m_nHistoryIndex, -1);
    Visit(h, doc, u"http://h/b"_qs, u"B"_qs);
    QCOMPARE(h.Count(), 2); // appended without a cut
    Visit(h, doc, u"http://h/untitled"_qs, QString());
    QCOMPARE(h.Count(), 2);

    h.UpdateHistoryTitle(u"New B"_qs, u"HTTP://h/B"_qs);
    QCOMPARE(h.m_arrHistoryTitles.at(1), u"New B"_qs);
}

void TestCHistoryList::menusAndSteps()
{
    CHistoryList h;
    QString doc;
    for (int i = 1; i <= 3; ++i)
        Visit(h, doc, u"http://h/p%1"_qs.arg(i), u"P%1"_qs.arg(i));
    const auto back = h.MenuItems(true, u"http://h/p3"_qs);
    QCOMPARE(back.size(), 2);
    QCOMPARE(back.first(), qMakePair(3201, u"P2"_qs)); // nearest first
    QCOMPARE(h.StepsTo(3200, u"http://h/p3"_qs), -2);
    QCOMPARE(h.StepsTo(3202, u"http://h/p1"_qs), 2);
    QCOMPARE(h.StepsTo(3202, u"http://h/p3"_qs), 0);
    QCOMPARE(h.StepsTo(3203, u"http://h/p1"_qs), 0);
    QCOMPARE(h.StepsTo(3200, u"http://elsewhere/"_qs), 0);
    QCOMPARE(h.GetHistoryURL(3201), u"http://h/p2"_qs);
    QVERIFY(h.GetHistoryURL(3199).isNull());
    QVERIFY(h.GetHistoryURL(3203).isNull());
}

void TestCHistoryList::neverOffersAnIdPast3999()
{
    CHistoryList h;
    QString doc;
    for (int i = 0; i < 1000; ++i)
        Visit(h, doc, u"http://h/%1"_qs.arg(i), u"T%1"_qs.arg(i));
    QCOMPARE(h.Count(), CHistoryList::kMaxEntries);
    QCOMPARE(h.m_arrHistoryURLs.last(), u"http://h/999"_qs);
    const auto back = h.MenuItems(true, u"http://h/999"_qs);
    QCOMPARE(back.first().first, 3998);
    QCOMPARE(back.last().first, 3200);
}

QTEST_GUILESS_MAIN(TestCHistoryList)
#include "tst_chistorylist.moc"
