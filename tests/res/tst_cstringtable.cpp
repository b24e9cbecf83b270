#include "CStringIds.h"
#include "CStringTable.h"

#include <QtTest>

// Answers one source text of the program's context, so the test sees whether
// LoadString goes through the installed translators.
class CFakeTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "Quillbrow") == 0 && qstrcmp(sourceText, "Error") == 0)
            return u"Fehler"_qs;
        return QString();
    }
    bool isEmpty() const override { return false; }
};

class tst_CStringTable : public QObject
{
    Q_OBJECT
private slots:
    void unknownIdIsEmpty()
    {
        QVERIFY(LoadString(0).isEmpty());
        QVERIFY(LoadString(51456).isEmpty()); // a gap between used ids
        QVERIFY(SourceString(-1).isEmpty());
        QVERIFY(LoadStringWith(12345, u"%address%"_qs, u"x"_qs).isEmpty());
    }

    void idsAreUniqueAndTextsPresent()
    {
        const QList<int> ids = StringTableIds();
        QVERIFY(ids.size() > 90);
        QCOMPARE(QSet<int>(ids.cbegin(), ids.cend()).size(), ids.size());
        for (int id : ids)
            QVERIFY2(!SourceString(id).isEmpty(), qPrintable(QString::number(id)));
    }

    void placeholders()
    {
        QCOMPARE(ReplacePlaceholder(u"%link% and \"%link%\"%link%"_qs, u"%link%"_qs, u"a"_qs),
                 u"a and \"a\"a"_qs);
        // The value is taken literally, and the name may come without its percent signs.
        const QString address = u"http://a.example/?q=%address%&x=%1"_qs;
        const QString expected = u"Are you going to delete address \"%1\"?"_qs;
        QCOMPARE(LoadStringWith(IDS_CONFIRM_DELETE_AUTOCLOSE, u"%address%"_qs, address),
                 expected.arg(address));
        QCOMPARE(LoadStringWith(IDS_CONFIRM_DELETE_AUTOCLOSE, u"address"_qs, address),
                 expected.arg(address));
    }

    void translation()
    {
        CFakeTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QCOMPARE(LoadString(IDS_ERROR_CAPTION), u"Fehler"_qs);
        QCOMPARE(SourceString(IDS_ERROR_CAPTION), u"Error"_qs);
        QCOMPARE(LoadString(IDS_APP_TITLE), u"Quillbrow"_qs);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(LoadString(IDS_ERROR_CAPTION), u"Error"_qs);
    }
};

QTEST_GUILESS_MAIN(tst_CStringTable)
#include "tst_cstringtable.moc"
