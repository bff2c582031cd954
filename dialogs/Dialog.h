// Base of every dialog's logic: the handlers the Win32 adapter calls, and command dispatch.
#pragma once

#include "dialogs/Form.h"

#include <cstddef>
#include <optional>

class CDialog {
public:
    explicit CDialog(int templateId) : m_templateId(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    int TemplateId() const { return m_templateId; }

    // The adapter binds the form when the window exists and unbinds it when the window is gone.
    void BindForm(IForm* form) { m_form = form; }

    // True lets the system give the focus to the first tab stop; false keeps it on the dialog itself until
    // the user moves it, so that Enter and Escape act on the dialog.
    virtual bool OnInitDialog() { return true; }
    // True when the command was handled.
    virtual bool OnCommand(int id, unsigned code);
    virtual bool OnSysCommand(unsigned command);
    virtual bool OnPaint() { return false; }
    virtual std::optional<TextStyle> OnCtlColor(int id);

protected:
    IForm& Form() const { return *m_form; }

    template <class T>
    struct CommandEntry {
        int id;
        unsigned code;
        void (T::*handler)();
    };

    template <class T, std::size_t N>
    static bool Dispatch(T& self, const CommandEntry<T> (&map)[N], int id, unsigned code)
    {
        for (const CommandEntry<T>& entry : map) {
            if (entry.id == id && entry.code == code) {
                (self.*entry.handler)();
                return true;
            }
        }
        return false;
    }

private:
    int m_templateId;
    IForm* m_form = nullptr;
};
