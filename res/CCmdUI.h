#pragma once

// The state a command's update handler sets: enabled, checked, radio-marked. The
// frame applies it to every menu item and toolbar button of the command.
class CCmdUI
{
public:
    explicit CCmdUI(int nID)
        : m_nID(nID)
    { }
    virtual ~CCmdUI() = default;

    void Enable(bool bOn = true)
    {
        m_bEnabled = bOn;
        m_bEnableSet = true;
    }
    // 0 clear, 1 checked.
    void SetCheck(int nCheck = 1)
    {
        m_nCheck = nCheck;
        m_bCheckSet = true;
    }
    void SetRadio(bool bOn = true)
    {
        SetCheck(bOn ? 1 : 0);
        m_bRadio = true;
    }

    int m_nID;
    bool m_bEnabled = true;
    bool m_bEnableSet = false;
    int m_nCheck = 0;
    bool m_bCheckSet = false;
    bool m_bRadio = false;
};
