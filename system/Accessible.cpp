// Answers assistive technology for a control: the system's standard object of its window, with what the
// control says of itself laid over it.
#include "system/Accessible.h"

#include "system/SystemDll.h"

#include <ole2.h>
#include <oleacc.h>

#include <string>

namespace {

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The client frees the text with the system's string allocator, so it must come from there.
HRESULT Answer(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = OPTIONAL_SYSTEM_FUNCTION(Oleaut32, SysAllocStringLen)(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

class CAccessible final : public IAccessible, public IOleWindow {
public:
    CAccessible(IAccessible* standard, HWND window, const AccessibleTraits& traits)
        : m_standard(standard), m_window(window), m_name(traits.name), m_role(traits.role),
          m_states(traits.states), m_defaultAction(traits.defaultAction),
          m_actionMessage(traits.actionMessage)
    {
    }
    ~CAccessible() { m_standard->Release(); }
    CAccessible(const CAccessible&) = delete;
    CAccessible& operator=(const CAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const auto left = static_cast<ULONG>(::InterlockedDecrement(&m_references));
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return IsSelf(child) && !m_name.empty() ? Answer(m_name, name) : m_standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!IsSelf(child) || !m_role)
            return m_standard->get_accRole(child, role);
        if (!role)
            return E_POINTER;
        role->vt = VT_I4;
        role->lVal = m_role;
        return S_OK;
    }
    // Focus is read on the window's own thread when the call is made: the standard object may read the
    // focus of whichever thread is in the foreground.
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const HRESULT result = m_standard->get_accState(child, state);
        if (IsSelf(child) && SUCCEEDED(result) && state->vt == VT_I4) {
            const long focused = ::GetFocus() == m_window ? STATE_SYSTEM_FOCUSED : 0;
            state->lVal = (state->lVal & ~STATE_SYSTEM_FOCUSED) | m_states | focused;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return IsSelf(child) && !m_defaultAction.empty() ? Answer(m_defaultAction, action)
                                                         : m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        if (!IsSelf(child) || !m_actionMessage)
            return m_standard->accDoDefaultAction(child);
        return ::PostMessageW(m_window, m_actionMessage, 0, 0) ? S_OK : E_FAIL;
    }

    // Everything else is the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override
    {
        return m_standard->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return m_standard->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override
    {
        return m_standard->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override
    {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return m_standard->put_accValue(child, value);
    }

private:
    IAccessible* m_standard;
    HWND m_window;
    // Copies: a client may keep the object after the control's own texts have gone.
    std::wstring m_name;
    long m_role;
    long m_states;
    std::wstring m_defaultAction;
    UINT m_actionMessage;
    LONG m_references = 1;
};

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleTraits& traits)
{
    // The object's identifier is a 32-bit value, which a 64-bit sender may or may not have sign-extended.
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return 0;
    // The object goes to the client marshalled, which takes COM on this thread.
    JoinOle();
    const auto createStandard = OPTIONAL_SYSTEM_FUNCTION(Oleacc, CreateStdAccessibleObject);
    const auto toResult = OPTIONAL_SYSTEM_FUNCTION(Oleacc, LresultFromObject);
    IAccessible* standard = nullptr;
    if (!createStandard || !toResult || !OPTIONAL_SYSTEM_FUNCTION(Oleaut32, SysAllocStringLen) ||
        FAILED(createStandard(window, OBJID_CLIENT, __uuidof(IAccessible),
                              reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* object = new CAccessible(standard, window, traits);
    const LRESULT result = toResult(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    // A failure comes back as a negative HRESULT, which would tell the client it was the answer.
    return result > 0 ? result : 0;
}
