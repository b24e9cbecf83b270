#include "CAddressBar.h"
#include "CAddressCombo.h"
#include "CEngineStore.h"
#include "CFlatButton.h"
#include "CRegistry.h"
#include "CTypedUrlList.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

using Navigation = std::pair<QString, bool>;

// Replaces the store by url1, url2, ... from values; a null string leaves its
// number out.
void Store(const QStringList &values)
{
    ClearTypedUrls();
    for (int n = 0; n < values.size(); ++n) {
        if (!values.at(n).isNull())
            RegWriteString(ERegRoot::Engine, EngineStore::kTypedUrlsKey, u"url%1"_qs.arg(n + 1),
                           values.at(n));
    }
}

QStringList Stored()
{
    QStringList urls;
    LoadTypedUrls(urls);
    return urls;
}

QStringList Numbered(int nCount)
{
    QStringList urls;
    for (int i = 1; i <= nCount; ++i)
        urls.append(u"http://site%1.example/"_qs.arg(i));
    return urls;
}

} // namespace

class tst_CAddressBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_window.reset(); }
    void loadAndSave();
    void typedHistory_data();
    void typedHistory();
    void navigateTyped_data();
    void navigateTyped();
    void pickFromDropDown();
    void focusAndAddressText();

private:
    // The bar over a stand-in page, with a further field between them in the tab
    // order; the combo has the focus.
    void MakeBar(const QStringList &history = {});
    QLineEdit *Edit() const { return m_bar->Combo()->lineEdit(); }

    std::unique_ptr<QWidget> m_window;
    CAddressBar *m_bar = nullptr;
    QLineEdit *m_page = nullptr;
    QLineEdit *m_next = nullptr;
    QList<Navigation> m_navigations;
};

void tst_CAddressBar::init()
{
    QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support )"_qs));
    ClearTypedUrls();
    m_navigations.clear();
}

void tst_CAddressBar::MakeBar(const QStringList &history)
{
    Store(history);
    m_window = std::make_unique<QWidget>();
    auto *pLayout = new QVBoxLayout(m_window.get());
    pLayout->addWidget(m_bar = new CAddressBar);
    pLayout->addWidget(m_next = new QLineEdit);
    pLayout->addWidget(m_page = new QLineEdit);
    m_bar->SetNavigateHandler([this](const QString &address, bool bTyped) {
        m_navigations.append({address, bTyped});
    });
    m_bar->SetFocusPageHandler([this] { m_page->setFocus(Qt::OtherFocusReason); });
    m_bar->InitControls();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_bar->FocusAddress();
}

void tst_CAddressBar::loadAndSave()
{
    // Reading stops at the first missing number (url1, url2, url4 load two), and a
    // value ends at its NUL.
    Store({u"http://a/\0junk"_qs, u"http://b/"_qs, QString(), u"http://d/"_qs});
    QStringList out {u"kept"_qs};
    QCOMPARE(LoadTypedUrls(out), 2);
    QCOMPARE(out, (QStringList {u"kept"_qs, u"http://a/"_qs, u"http://b/"_qs}));

    // 40 addresses come back newest first; an empty item leaves no gap, and no
    // value of a longer list stored before survives past the new end.
    Store(Numbered(45));
    QStringList saved = Numbered(40);
    saved.insert(3, QString());
    QCOMPARE(SaveTypedUrls(saved), 0);
    QCOMPARE(Stored(), Numbered(40));
    QString value;
    QCOMPARE(RegReadString(ERegRoot::Engine, EngineStore::kTypedUrlsKey, u"url41"_qs, value), 0);
}

void tst_CAddressBar::typedHistory_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("after"); // starting from a, b, Ä

    const QString a = u"http://a/"_qs, b = u"http://b/"_qs, c = u"http://Ä.example/"_qs;
    QTest::newRow("new address on top")
        << u"http://e/"_qs << QStringList {u"http://e/"_qs, a, b, c};
    QTest::newRow("empty") << QString() << QStringList {a, b, c};
    QTest::newRow("About:BLANK") << u"About:BLANK"_qs << QStringList {a, b, c};
    QTest::newRow("other case moves up in the new form")
        << u"HTTP://B/"_qs << QStringList {u"HTTP://B/"_qs, a, c};
    QTest::newRow("newest again in other case")
        << u"HTTP://A/"_qs << QStringList {u"HTTP://A/"_qs, b, c};
    QTest::newRow("case beyond ASCII")
        << u"http://ä.EXAMPLE/"_qs << QStringList {u"http://ä.EXAMPLE/"_qs, a, b};
}

void tst_CAddressBar::typedHistory()
{
    QFETCH(QString, address);
    QFETCH(QStringList, after);
    MakeBar({u"http://a/"_qs, u"http://b/"_qs, u"http://Ä.example/"_qs});

    // The list changes under the text being typed, which keeps its cursor; leaving
    // the field on the text of an item navigates nowhere.
    QTest::keyClicks(m_bar->Combo(), u"http://a/"_qs);
    Edit()->setCursorPosition(4);
    m_bar->AddTypedAddress(address);
    QCOMPARE(Edit()->text(), u"http://a/"_qs);
    QCOMPARE(Edit()->cursorPosition(), 4);
    m_next->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(m_next->hasFocus());
    QVERIFY(m_navigations.isEmpty());
    m_bar->SaveHistory();
    QCOMPARE(Stored(), after);

    // Clear Addresses deletes the store at once; an empty list then saves nothing,
    // so what another program stored since stays.
    m_bar->ClearHistory();
    QCOMPARE(m_bar->Combo()->count(), 0);
    QVERIFY(Stored().isEmpty());
    Store(Numbered(1));
    m_bar->SaveHistory();
    QCOMPARE(Stored(), Numbered(1));
}

void tst_CAddressBar::navigateTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("button"); // clicked with the focus on the page, or Enter
    QTest::addColumn<QString>("navigated"); // empty: no navigation

    QTest::newRow("trimmed") << u"  http://x.example/ \t"_qs << false << u"http://x.example/"_qs;
    QTest::newRow("blank") << u"   "_qs << false << QString();
    // QComboBox reports Enter on the text of an item as a pick of that item too.
    QTest::newRow("item") << u"http://site2.example/"_qs << false << u"http://site2.example/"_qs;
    QTest::newRow("button") << u" http://x.example/"_qs << true << u"http://x.example/"_qs;
}

void tst_CAddressBar::navigateTyped()
{
    QFETCH(QString, typed);
    QFETCH(bool, button);
    QFETCH(QString, navigated);
    MakeBar(Numbered(3));
    Edit()->setText(typed);
    if (button) {
        // The button sits right of the field, lit under the mouse and pressed while held.
        auto *pButton = m_bar->findChild<CFlatButton *>();
        QVERIFY(m_bar->Combo()->geometry().right() < pButton->x());
        QVERIFY(pButton->geometry().right() < m_bar->width());
        m_page->setFocus();
        QTest::mouseMove(pButton, QPoint(20, 11));
        QTRY_COMPARE(pButton->GetState(), int(CFlatButton::Hot));
        QTest::mousePress(pButton, Qt::LeftButton, {}, QPoint(20, 11));
        QCOMPARE(pButton->GetState(), int(CFlatButton::Pressed));
        QTest::mouseRelease(pButton, Qt::LeftButton, {}, QPoint(20, 11));
    } else {
        QTest::keyClick(m_bar->Combo(), Qt::Key_Return);
    }

    QCOMPARE(m_navigations,
             navigated.isEmpty() ? QList<Navigation>()
                                 : QList<Navigation> {Navigation(navigated, true)});
    QCOMPARE(Edit()->selectedText(), navigated.isEmpty() ? QString() : typed);
    QCOMPARE(m_bar->Combo()->Items(), Numbered(3));
}

void tst_CAddressBar::pickFromDropDown()
{
    MakeBar(Numbered(3));
    CAddressCombo *pCombo = m_bar->Combo();
    pCombo->showPopup();
    QAbstractItemView *pView = pCombo->view();
    QTRY_VERIFY(pView->isVisible());
    const QPoint third = pView->visualRect(pView->model()->index(2, 0)).center();
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, third);

    const QStringList items = Numbered(3);
    QTRY_COMPARE(m_navigations, QList<Navigation> {Navigation(items.at(2), false)});
    QCOMPARE(pCombo->Items(), (QStringList {items.at(2), items.at(0), items.at(1)}));
    QCOMPARE(pCombo->currentText(), items.at(2));
}

void tst_CAddressBar::focusAndAddressText()
{
    // A window's address does not overwrite what the user types unless forced, and
    // an empty one changes nothing.
    MakeBar();
    QTest::keyClicks(m_bar->Combo(), u"mine"_qs);
    m_bar->SetAddressText(u"http://page.example/"_qs, false);
    m_bar->SetAddressText(QString(), true);
    QCOMPARE(Edit()->text(), u"mine"_qs);
    m_bar->SetAddressText(u"http://page.example/"_qs, true);
    QCOMPARE(Edit()->text(), u"http://page.example/"_qs);
    m_page->setFocus();
    m_bar->SetAddressText(u"http://other.example/"_qs, false);
    QCOMPARE(Edit()->text(), u"http://other.example/"_qs);

    // No window: disabled and empty, and Alt+D leaves the focus where it is.
    m_bar->SetControlsEnabled(false);
    QVERIFY(!m_bar->Combo()->isEnabled());
    QVERIFY(!m_bar->findChild<CFlatButton *>()->isEnabled());
    QVERIFY(Edit()->text().isEmpty());
    QTest::keyClick(m_page, Qt::Key_D, Qt::AltModifier);
    QVERIFY(m_page->hasFocus());

    m_bar->SetControlsEnabled(true);
    m_bar->SetAddressText(u"http://page.example/"_qs, false);
    QTest::keyClick(m_page, Qt::Key_D, Qt::AltModifier);
    QVERIFY(m_bar->HasFocusInCombo());
    QCOMPARE(Edit()->selectedText(), u"http://page.example/"_qs);
    // Tab goes on to the page, past the field that follows in the tab order.
    QTest::keyClick(m_bar->Combo(), Qt::Key_Tab);
    QVERIFY(m_page->hasFocus());
}

QTEST_MAIN(tst_CAddressBar)
#include "tst_caddressbar.moc"
