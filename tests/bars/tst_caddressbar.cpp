#include "CAddressBar.h"
#include "CAddressCombo.h"
#include "CEngineStore.h"
#include "CFlatButton.h"
#include "CRegistry.h"
#include "CTypedUrlList.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
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
            RegWriteString(ERegRoot::Engine, EngineStore::kTypedUrlsKey,
                           QStringLiteral("url%1").arg(n + 1), values.at(n));
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
        urls.append(QStringLiteral("http://site%1.example/").arg(i));
    return urls;
}

} // namespace

class tst_CAddressBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadTypedUrls_data();
    void loadTypedUrls();
    void saveTypedUrls_data();
    void saveTypedUrls();
    void addTypedUrl_data();
    void addTypedUrl();
    void historyThroughTheBar();
    void listChangesKeepTheEditedText();
    void enter_data();
    void enter();
    void leavingTheFieldNavigatesNothing();
    void pickFromDropDown();
    void navigateButton();
    void setAddressText();
    void noActiveWindow();
    void tabMovesToPage();
    void layout();
    void flatButtonStates();

private:
    void MakeBar(const QStringList &history = {});

    std::unique_ptr<QWidget> m_window;
    CAddressBar *m_bar = nullptr;
    QLineEdit *m_page = nullptr;
    QLineEdit *m_next = nullptr;
    QList<Navigation> m_navigations;
    bool m_bPageTakesFocus = true;
};

void tst_CAddressBar::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
    ClearTypedUrls();
    m_navigations.clear();
    m_bPageTakesFocus = true;
}

void tst_CAddressBar::cleanup()
{
    m_window.reset();
    m_bar = nullptr;
}

// A window with the bar over a stand-in page, and a further field after the bar in
// the tab order. The combo has the focus.
void tst_CAddressBar::MakeBar(const QStringList &history)
{
    Store(history);
    m_window = std::make_unique<QWidget>();
    auto *pLayout = new QVBoxLayout(m_window.get());
    m_bar = new CAddressBar;
    m_next = new QLineEdit;
    m_page = new QLineEdit;
    pLayout->addWidget(m_bar);
    pLayout->addWidget(m_next);
    pLayout->addWidget(m_page);
    m_bar->SetNavigateHandler([this](const QString &address, bool bTyped) {
        m_navigations.append({address, bTyped});
    });
    m_bar->SetFocusPageHandler([this] {
        if (m_bPageTakesFocus)
            m_page->setFocus(Qt::OtherFocusReason);
    });
    m_bar->InitControls();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_bar->FocusAddress();
    QVERIFY(m_bar->HasFocusInCombo());
}

void tst_CAddressBar::loadTypedUrls_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("loaded");

    const QString a = QStringLiteral("http://a.example/");
    const QString b = QStringLiteral("http://b.example/");
    QTest::newRow("nothing stored") << QStringList() << QStringList();
    QTest::newRow("url1 url2 url4 loads two")
        << QStringList {a, b, QString(), a} << QStringList {a, b};
    QTest::newRow("empty value ends the list")
        << QStringList {a, QLatin1String(""), b} << QStringList {a};
    QTest::newRow("trailing NUL") << QStringList {a + QChar(u'\0'), b} << QStringList {a, b};
    QTest::newRow("text ends at a NUL") << QStringList {a + QChar(u'\0') + b} << QStringList {a};
    QTest::newRow("only a NUL ends the list")
        << QStringList {QString(QChar(u'\0')), b} << QStringList();
}

void tst_CAddressBar::loadTypedUrls()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, loaded);
    Store(stored);
    QStringList out {QStringLiteral("kept")};
    QCOMPARE(LoadTypedUrls(out), loaded.size());
    QCOMPARE(out, QStringList {QStringLiteral("kept")} + loaded);
}

void tst_CAddressBar::saveTypedUrls_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("stored");

    QStringList withGap = Numbered(3);
    withGap.insert(1, QString());
    QTest::newRow("40 addresses") << QStringList() << Numbered(40) << Numbered(40);
    QTest::newRow("empty item leaves no gap") << QStringList() << withGap << Numbered(3);
    QTest::newRow("shorter list replaces a longer one")
        << Numbered(5) << Numbered(2) << Numbered(2);
    QTest::newRow("empty list deletes") << Numbered(5) << QStringList() << QStringList();
}

void tst_CAddressBar::saveTypedUrls()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, stored);
    Store(before);
    QCOMPARE(SaveTypedUrls(saved), 0);
    QCOMPARE(Stored(), stored);
    QString value;
    QCOMPARE(RegReadString(ERegRoot::Engine, EngineStore::kTypedUrlsKey,
                           QStringLiteral("url%1").arg(stored.size() + 1), value),
             0);
}

void tst_CAddressBar::addTypedUrl_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("after"); // starting from a, b, c, d

    const QStringList abcd {QStringLiteral("http://a/"), QStringLiteral("http://b/"),
                            QStringLiteral("http://c/"), QStringLiteral("http://Ä.example/")};
    QTest::newRow("new address on top")
        << QStringLiteral("http://e/") << QStringList {QStringLiteral("http://e/")} + abcd;
    QTest::newRow("empty") << QString() << abcd;
    QTest::newRow("about:blank") << QStringLiteral("about:blank") << abcd;
    QTest::newRow("About:BLANK") << QStringLiteral("About:BLANK") << abcd;
    QTest::newRow("other case of item 3 moves up in the new form")
        << QStringLiteral("HTTP://C/")
        << QStringList {QStringLiteral("HTTP://C/"), abcd[0], abcd[1], abcd[3]};
    QTest::newRow("case folding beyond ASCII")
        << QStringLiteral("http://ä.EXAMPLE/")
        << QStringList {QStringLiteral("http://ä.EXAMPLE/"), abcd[0], abcd[1], abcd[2]};
}

void tst_CAddressBar::addTypedUrl()
{
    QFETCH(QString, address);
    QFETCH(QStringList, after);
    QStringList list {QStringLiteral("http://a/"), QStringLiteral("http://b/"),
                      QStringLiteral("http://c/"), QStringLiteral("http://Ä.example/")};
    AddTypedUrl(list, address);
    QCOMPARE(list, after);
}

void tst_CAddressBar::historyThroughTheBar()
{
    MakeBar(Numbered(3));
    QCOMPARE(m_bar->Combo()->Items(), Numbered(3));

    m_bar->AddTypedAddress(QStringLiteral("HTTP://SITE2.example/"));
    m_bar->AddTypedAddress(QStringLiteral("about:blank"));
    m_bar->SaveHistory();
    QCOMPARE(Stored(),
             (QStringList {QStringLiteral("HTTP://SITE2.example/"),
                           QStringLiteral("http://site1.example/"),
                           QStringLiteral("http://site3.example/")}));

    // Clear Addresses deletes the store at once; an empty list then saves nothing,
    // so what another program stored since stays.
    m_bar->ClearHistory();
    QCOMPARE(m_bar->Combo()->count(), 0);
    QVERIFY(Stored().isEmpty());
    Store(Numbered(1));
    m_bar->SaveHistory();
    QCOMPARE(Stored(), Numbered(1));
}

void tst_CAddressBar::listChangesKeepTheEditedText()
{
    MakeBar();
    QTest::keyClicks(m_bar->Combo(), QStringLiteral("half typed"));
    m_bar->AddTypedAddress(QStringLiteral("http://done.example/"));
    m_bar->LoadHistory();
    m_bar->AddTypedAddress(QStringLiteral("http://done.example/"));
    QCOMPARE(m_bar->Combo()->currentText(), QStringLiteral("half typed"));
    QCOMPARE(m_bar->Combo()->lineEdit()->cursorPosition(), 10);
    QVERIFY(m_navigations.isEmpty());
}

void tst_CAddressBar::enter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("navigated"); // empty: no navigation

    QTest::newRow("trimmed") << QStringLiteral("  http://x.example/ \t")
                             << QStringLiteral("http://x.example/");
    QTest::newRow("blank") << QStringLiteral("   ") << QString();
    // QComboBox reports Enter on the text of an item as a pick of that item too.
    QTest::newRow("text of an item")
        << QStringLiteral("http://site2.example/") << QStringLiteral("http://site2.example/");
    QTest::newRow("item in other case")
        << QStringLiteral("HTTP://site2.example/") << QStringLiteral("HTTP://site2.example/");
}

void tst_CAddressBar::enter()
{
    QFETCH(QString, typed);
    QFETCH(QString, navigated);
    MakeBar(Numbered(3));
    m_bar->Combo()->lineEdit()->setText(typed);
    QTest::keyClick(m_bar->Combo(), Qt::Key_Return);

    if (navigated.isEmpty()) {
        QVERIFY(m_navigations.isEmpty());
        return;
    }
    QCOMPARE(m_navigations, QList<Navigation> {Navigation(navigated, true)});
    QCOMPARE(m_bar->Combo()->lineEdit()->selectedText(), typed);
    QVERIFY(m_bar->HasEditSelection());
    QCOMPARE(m_bar->Combo()->Items(), Numbered(3));
}

void tst_CAddressBar::leavingTheFieldNavigatesNothing()
{
    MakeBar(Numbered(3));
    m_bar->Combo()->lineEdit()->clear();
    QTest::keyClicks(m_bar->Combo(), QStringLiteral("http://site3.example/"));
    m_next->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(m_next->hasFocus());
    QVERIFY(m_navigations.isEmpty());
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

    QTRY_COMPARE(m_navigations, QList<Navigation> {Navigation(Numbered(3).at(2), false)});
    QCOMPARE(pCombo->Items(),
             (QStringList {Numbered(3).at(2), Numbered(3).at(0), Numbered(3).at(1)}));
    QCOMPARE(pCombo->currentText(), Numbered(3).at(2));
}

void tst_CAddressBar::navigateButton()
{
    MakeBar(Numbered(1));
    auto *pButton = m_bar->findChild<CFlatButton *>();
    QCOMPARE(pButton->size(), QSize(40, 22));

    m_page->setFocus();
    m_bar->SetAddressText(QStringLiteral(" http://shown.example/ "), false);
    QTest::mouseClick(pButton, Qt::LeftButton, {}, QPoint(20, 11));
    QCOMPARE(m_navigations,
             QList<Navigation> {Navigation(QStringLiteral("http://shown.example/"), true)});

    // Released outside: no click.
    QTest::mousePress(pButton, Qt::LeftButton, {}, QPoint(20, 11));
    QTest::mouseRelease(pButton, Qt::LeftButton, {}, QPoint(60, 11));
    QCOMPARE(m_navigations.size(), 1);
}

void tst_CAddressBar::setAddressText()
{
    MakeBar();
    QLineEdit *pEdit = m_bar->Combo()->lineEdit();
    QTest::keyClicks(m_bar->Combo(), QStringLiteral("mine"));
    m_bar->SetAddressText(QStringLiteral("http://page.example/"), false);
    QCOMPARE(pEdit->text(), QStringLiteral("mine"));
    m_bar->SetAddressText(QString(), true);
    QCOMPARE(pEdit->text(), QStringLiteral("mine"));
    m_bar->SetAddressText(QStringLiteral("http://page.example/"), true);
    QCOMPARE(pEdit->text(), QStringLiteral("http://page.example/"));

    m_page->setFocus();
    m_bar->SetAddressText(QStringLiteral("http://other.example/"), false);
    QCOMPARE(pEdit->text(), QStringLiteral("http://other.example/"));
}

void tst_CAddressBar::noActiveWindow()
{
    MakeBar();
    m_bar->SetAddressText(QStringLiteral("http://page.example/"), true);
    m_page->setFocus();
    m_bar->SetControlsEnabled(false);
    QVERIFY(!m_bar->Combo()->isEnabled());
    QVERIFY(!m_bar->findChild<QLabel *>()->isEnabled());
    QVERIFY(!m_bar->findChild<CFlatButton *>()->isEnabled());
    QVERIFY(m_bar->Combo()->currentText().isEmpty());
    m_bar->FocusAddress();
    QVERIFY(m_page->hasFocus());

    m_bar->SetControlsEnabled(true);
    m_bar->SetAddressText(QStringLiteral("http://page.example/"), false);
    QTest::keyClick(m_page, Qt::Key_D, Qt::AltModifier);
    QVERIFY(m_bar->HasFocusInCombo());
    QCOMPARE(m_bar->Combo()->lineEdit()->selectedText(), QStringLiteral("http://page.example/"));
}

void tst_CAddressBar::tabMovesToPage()
{
    MakeBar();
    QTest::keyClick(m_bar->Combo(), Qt::Key_Tab);
    QVERIFY(m_page->hasFocus());

    // Without a page taking it, Tab goes on to the next field.
    m_bPageTakesFocus = false;
    m_bar->FocusAddress();
    QTest::keyClick(m_bar->Combo(), Qt::Key_Tab);
    QVERIFY(m_next->hasFocus());
}

void tst_CAddressBar::layout()
{
    CAddressBar bar;
    bar.InitControls();
    bar.findChild<QLabel *>()->setFixedWidth(40);
    bar.resize(200, 23);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QCOMPARE(bar.Combo()->x(), 42);
    QCOMPARE(bar.Combo()->width(), 114);
    QCOMPARE(bar.findChild<CFlatButton *>()->geometry(), QRect(158, 0, 40, 22));
    QVERIFY(bar.sizeHint().height() >= 23);
}

void tst_CAddressBar::flatButtonStates()
{
    QWidget parent;
    CFlatButton button(&parent);
    QPixmap strip(160, 22);
    strip.fill(Qt::darkGray);
    QVERIFY(!button.LoadBitmaps(QPixmap(3, 22), true));
    QVERIFY(button.LoadBitmaps(strip, true));
    QCOMPARE(button.size(), QSize(40, 22));
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy clicks(&button, &QAbstractButton::clicked);

    QTest::mouseMove(&button, QPoint(10, 10));
    QTRY_COMPARE(button.GetState(), int(CFlatButton::Hot));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(button.GetState(), int(CFlatButton::Pressed));
    QTest::mouseMove(&button, QPoint(30, 5));
    QCOMPARE(button.GetState(), int(CFlatButton::Pressed));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(30, 5));
    QCOMPARE(button.GetState(), int(CFlatButton::Hot));
    QCOMPARE(clicks.size(), 1);

    button.setEnabled(false);
    button.repaint();
    QCOMPARE(button.GetState(), int(CFlatButton::Disabled));
    button.setEnabled(true);
    button.repaint();
    QVERIFY(button.GetState() != int(CFlatButton::Disabled));
}

QTEST_MAIN(tst_CAddressBar)
#include "tst_caddressbar.moc"
