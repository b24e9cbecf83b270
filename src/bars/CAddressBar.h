#pragma once

#include <QWidget>

#include <functional>

class CAddressCombo;
class CFlatButton;
class QLabel;

// The address strip of the rebar: the "A&ddress:" label, the editable address
// combo with the typed-address history, and the navigate button. Enter or the
// button sends the typed text to the active window as a typed navigation; picking
// from the drop-down sends the picked address as an untyped one, so that its
// completion does not add it to the history a second time.
class CAddressBar : public QWidget
{
    Q_OBJECT
public:
    // NavigateActiveView of the frame: the address and whether the user typed it.
    using NavigateHandler = std::function<void(const QString &address, bool bTyped)>;

    explicit CAddressBar(QWidget *parent = nullptr);
    ~CAddressBar() override;

    // Loads the history and the button's images.
    void InitControls();

    void SetNavigateHandler(NavigateHandler handler);
    // Called on Tab in the address field; when it moves the focus away (to the
    // active page) the Tab is used up, otherwise Tab moves on as usual.
    void SetFocusPageHandler(std::function<void()> handler);

    // Navigates to the trimmed text as typed, when the focus is in the bar (a
    // click on the button puts it there). Blank text does nothing.
    void OnGo();
    // The user picked the combo's current item: it moves to the top and is
    // navigated to, untyped.
    void OnSelChange();
    // Alt+D: focus in the address field with its text selected.
    void FocusAddress();
    // Shows a window's address; unless bForce, not while the user is in the field.
    // An empty text changes nothing.
    void SetAddressText(const QString &text, bool bForce);

    CAddressCombo *Combo() const { return m_pCombo; }
    bool HasEditSelection() const;
    // True when the keyboard focus is in the combo or its edit field (where the
    // frame sends Cut, Copy and Paste).
    bool HasFocusInCombo() const;

    void LoadHistory();
    void SaveHistory();
    void AddTypedAddress(const QString &address);
    // Clear Addresses: deletes the stored history and empties the list.
    void ClearHistory();

    // bActive: a browser window is active. Without one the combo is also emptied.
    void SetControlsEnabled(bool bActive);
    // Redraws the button's images in the current palette; the bar does so itself
    // when its palette or style changes.
    void ReloadButtonImages();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool OnTabKey();
    void Relayout();

    QLabel *m_pLabel;
    CAddressCombo *m_pCombo;
    CFlatButton *m_pButton;
    NavigateHandler m_navigate;
    std::function<void()> m_focusPage;
};
