#pragma once

#include <QComboBox>
#include <QStringList>

// The editable address field with the typed-address history as its drop-down list,
// newest first. Changing the list never touches the text being edited.
//
// activated() here means only that the user picked an item (from the drop-down,
// with the arrow keys or the wheel while focused): the paths by which QComboBox
// also emits it when the field loses the focus and for completion are cut off,
// since each would start a navigation of its own. Enter never reaches the field:
// the address bar takes it.
class CAddressCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit CAddressCombo(QWidget *parent = nullptr);

    QStringList Items() const;
    // Replaces the list from the store.
    void LoadHistory();
    // Writes the list to the store; an empty list writes nothing. A store that
    // cannot be written is reported to the user.
    void SaveHistory();
    // Puts a completed typed address at the top (see AddTypedUrl).
    void AddTypedAddress(const QString &address);
    // Moves item nIndex to the top and returns its text; empty for a bad index.
    QString MoveToTop(int nIndex);
    // Empties the list (not the store).
    void ClearList();

    void SelectAllText();
    bool HasEditSelection() const;

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void SetItems(const QStringList &items);
};
