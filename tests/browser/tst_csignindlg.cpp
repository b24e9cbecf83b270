#include "CSignInDlg.h"

#include <QLineEdit>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_CSignInDlg : public QObject
{
    Q_OBJECT
private slots:
    void init() { CSignInDlg::ClearNextAnswers(); }

    void namesTheSiteOrProxyAndItsRealm_data()
    {
        QTest::addColumn<bool>("bProxy");
        QTest::addColumn<QString>("realm");
        QTest::addColumn<bool>("bRetry");
        QTest::addColumn<QString>("expected");

        const QString site = u"The site http://a.example:81 asks for a user name and password."_s;
        const QString proxy = u"The proxy http://a.example:81 asks for a user name and password."_s;
        const QString retry
            = u"\n\nThe user name or password was not accepted. Please try again."_s;
        QTest::newRow("site") << false << u"Club"_s << false
                              << site + u"\nThe site says: \"Club\""_s;
        QTest::newRow("proxy") << true << u"Club"_s << false
                               << proxy + u"\nThe proxy says: \"Club\""_s;
        // Nothing to quote when the server gave no realm.
        QTest::newRow("no realm") << false << QString() << false << site;
        QTest::newRow("refused before") << true << QString() << true << proxy + retry;
        // A server's realm is shown as sent, markers and all.
        QTest::newRow("realm with markers")
            << false << u"%address% & <b>%1</b>"_s << false
            << site + u"\nThe site says: \"%address% & <b>%1</b>\""_s;
    }

    void namesTheSiteOrProxyAndItsRealm()
    {
        QFETCH(bool, bProxy);
        QFETCH(QString, realm);
        QFETCH(bool, bRetry);
        QFETCH(QString, expected);
        CSignInDlg dlg(nullptr, u"http://a.example:81"_s, realm, bProxy, QString(), bRetry);
        CSignInDlg::SetNextCancel();
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QCOMPARE(CSignInDlg::LastText(), expected);
    }

    void aKnownNameLeavesThePasswordToType()
    {
        CSignInDlg fresh(nullptr, u"s"_s, u"r"_s, false, QString(), false);
        QCOMPARE(fresh.focusWidget(), fresh.UserNameEdit());
        CSignInDlg again(nullptr, u"s"_s, u"r"_s, false, u"ann"_s, true);
        QCOMPARE(again.UserNameEdit()->text(), u"ann"_s);
        QCOMPARE(again.focusWidget(), again.PasswordEdit());
        QCOMPARE(again.PasswordEdit()->echoMode(), QLineEdit::Password);
    }

    void answeredInAdvance()
    {
        CSignInDlg::SetNextAnswer(u"bob"_s, u"pa ss"_s);
        CSignInDlg::SetNextCancel();
        CSignInDlg first(nullptr, u"s"_s, u"r"_s, false, u"offered"_s, false);
        QCOMPARE(first.exec(), int(QDialog::Accepted));
        QCOMPARE(first.UserName(), u"bob"_s);
        QCOMPARE(first.Password(), u"pa ss"_s);
        // What was offered, not what was typed.
        QCOMPARE(CSignInDlg::LastUserName(), u"offered"_s);
        QVERIFY(CSignInDlg::HasPendingAnswers());
        CSignInDlg second(nullptr, u"s"_s, u"r"_s, false, QString(), false);
        QCOMPARE(second.exec(), int(QDialog::Rejected));
        QVERIFY(!CSignInDlg::HasPendingAnswers());
    }
};

QTEST_MAIN(tst_CSignInDlg)
#include "tst_csignindlg.moc"
