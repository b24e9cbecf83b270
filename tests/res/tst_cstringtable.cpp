#include "CStringIds.h"
#include "CStringTable.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <QTranslator>

// Answers one source text of the program's context, so the test sees whether
// LoadString goes through the installed translators.
class CFakeTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "Quillbrow") == 0 && qstrcmp(sourceText, "Error") == 0)
            return QStringLiteral("Fehler");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

class tst_CStringTable : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void unknownIdIsEmpty();
    void idsAreUnique();
    void noWindowsEngineNames();
    void placeholder_data();
    void placeholder();
    void loadStringWith();
    void translation();
};

void tst_CStringTable::texts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");

    QTest::newRow("app title") << int(IDS_APP_TITLE) << QStringLiteral("Quillbrow");
    QTest::newRow("error caption") << int(IDS_ERROR_CAPTION) << QStringLiteral("Error");
    QTest::newRow("line breaks, engine named for this platform")
        << int(IDS_INVALID_ENGINE_VERSION)
        << QStringLiteral("Invalid version of Qt WebEngine.\n\nQuillbrow requires Qt WebEngine 4.0 "
                          "or above.");
    QTest::newRow("quotes") << int(IDS_AUTOCLOSE_ADDED)
                            << QStringLiteral("\"%address%\" has been added into AutoClose list "
                                              "successfully.");
    QTest::newRow("trailing space kept") << int(IDS_CANNOT_START_MAIL)
                                         << QStringLiteral("Quillbrow cannot start default mail "
                                                           "program: ");
    QTest::newRow("prompt and tooltip")
        << int(ID_FILE_NEW_BLANK) << QStringLiteral("Open a new blank window\nNew Blank");
    QTest::newRow("prompt only") << int(ID_FILE_CLOSE_ALL_EXCEPT_CURRENT)
                                 << QStringLiteral("Close all windows except current");
    QTest::newRow("document template")
        << int(IDS_HTML_DOC_TEMPLATE)
        << QStringLiteral("\nHTML\nHTML\nHTML Document (*.htm;*.html)\n.htm\nHTML.Document\nHTML "
                          "Document");
}

void tst_CStringTable::texts()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(LoadString(id), text);
    QCOMPARE(SourceString(id), text);
}

void tst_CStringTable::unknownIdIsEmpty()
{
    QVERIFY(LoadString(0).isEmpty());
    QVERIFY(LoadString(51456).isEmpty()); // a gap between used ids
    QVERIFY(SourceString(-1).isEmpty());
    QVERIFY(LoadStringWith(12345, QStringLiteral("%address%"), QStringLiteral("x")).isEmpty());
    // Ids without a prompt (the "Medium" text size) have no entry at all.
    QVERIFY(!StringTableIds().contains(32794));
}

void tst_CStringTable::idsAreUnique()
{
    const QList<int> ids = StringTableIds();
    QVERIFY(ids.size() > 90);
    const QSet<int> unique(ids.cbegin(), ids.cend());
    QCOMPARE(unique.size(), ids.size());
    for (int id : ids)
        QVERIFY2(!SourceString(id).isEmpty(), qPrintable(QString::number(id)));
}

void tst_CStringTable::noWindowsEngineNames()
{
    for (int id : StringTableIds()) {
        const QString text = SourceString(id);
        QVERIFY2(!text.contains(QStringLiteral("Internet Explorer")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("Microsoft")), qPrintable(text));
    }
}

void tst_CStringTable::placeholder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every occurrence") << QStringLiteral("%link% and \"%link%\"%link%")
                                      << QStringLiteral("a") << QStringLiteral("a and \"a\"a");
    QTest::newRow("absent") << QStringLiteral("no placeholder") << QStringLiteral("a")
                            << QStringLiteral("no placeholder");
    QTest::newRow("value taken literally")
        << QStringLiteral("[%link%]") << QStringLiteral("%1 100% %link%")
        << QStringLiteral("[%1 100% %link%]");
    QTest::newRow("empty value") << QStringLiteral("\"%link%\"") << QString()
                                 << QStringLiteral("\"\"");
}

void tst_CStringTable::placeholder()
{
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(ReplacePlaceholder(text, QStringLiteral("%link%"), value), expected);
}

void tst_CStringTable::loadStringWith()
{
    const QString address = QStringLiteral("http://a.example/?q=%address%");
    const QString expected = QStringLiteral("Are you going to delete address "
                                            "\"http://a.example/?q=%address%\"?");
    QCOMPARE(LoadStringWith(IDS_CONFIRM_DELETE_AUTOCLOSE, QStringLiteral("%address%"), address),
             expected);
    QCOMPARE(LoadStringWith(IDS_CONFIRM_DELETE_AUTOCLOSE, QStringLiteral("address"), address),
             expected);
    QCOMPARE(LoadStringWith(IDS_FILE_NOT_FOUND, QStringLiteral("%filename%"),
                            QStringLiteral("/usr/share/doc/quillbrow/index.html")),
             QStringLiteral("Quillbrow could not find following file in specified location. Please "
                            "reinstall Quillbrow to recover it.\n\n"
                            "\"/usr/share/doc/quillbrow/index.html\""));
}

void tst_CStringTable::translation()
{
    CFakeTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCOMPARE(LoadString(IDS_ERROR_CAPTION), QStringLiteral("Fehler"));
    QCOMPARE(SourceString(IDS_ERROR_CAPTION), QStringLiteral("Error"));
    QCOMPARE(LoadString(IDS_APP_TITLE), QStringLiteral("Quillbrow"));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(LoadString(IDS_ERROR_CAPTION), QStringLiteral("Error"));
}

QTEST_GUILESS_MAIN(tst_CStringTable)
#include "tst_cstringtable.moc"
