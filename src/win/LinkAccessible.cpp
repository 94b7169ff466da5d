#include "win/LinkAccessible.h"

#include "win/LinkLabel.h"
#include "win/SystemLibrary.h"

#include <oleacc.h>

namespace {

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's accessible object for the label, with what makes it a link: its role, its
// state, and a default action that clicks it. Everything else, its name (the label's text)
// among it, is the system's. Once the link's window is gone, every call answers that the object
// is no longer connected, as clients expect.
class LinkAccessible final : public IAccessible {
  public:
    LinkAccessible(HWND link, IAccessible* standard) : link_(link), standard_(standard) {}
    LinkAccessible(const LinkAccessible&) = delete;
    LinkAccessible& operator=(const LinkAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: the standard object's would answer late-bound calls with the label's role and
    // action, not the link's; clients use the early-bound calls.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: a link
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsLink(link_)) return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child)) return Standard(&IAccessible::get_accRole, child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    // The standard object already says whether it has the focus.
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = Standard(&IAccessible::get_accState, child, state);
        if (SUCCEEDED(result) && IsSelf(child) && state && state->vt == VT_I4)
            state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsLink(link_)) return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child)) return Standard(&IAccessible::get_accDefaultAction, child, action);
        if (!action) return E_POINTER;
        static const auto allocate =
            SystemProc<BSTR(WINAPI*)(const OLECHAR*)>(L"oleaut32.dll", "SysAllocString");
        *action = allocate ? allocate(L"Jump") : nullptr;
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsLink(link_)) return CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child)) return Standard(&IAccessible::accDoDefaultAction, child);
        // As a click: none while the link or its window is disabled (a message is up).
        if (!IsWindowEnabled(link_) || !IsWindowEnabled(GetAncestor(link_, GA_ROOT))) return E_FAIL;
        // Posted: the launch may show a message box, and the caller must not wait for it.
        PostMessageW(GetParent(link_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(link_), STN_CLICKED),
                     reinterpret_cast<LPARAM>(link_));
        return S_OK;
    }

    // IAccessible: the system's
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Standard(&IAccessible::get_accParent, parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return Standard(&IAccessible::get_accChildCount, count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return Standard(&IAccessible::get_accChild, child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Standard(&IAccessible::get_accName, child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Standard(&IAccessible::get_accValue, child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Standard(&IAccessible::get_accDescription, child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Standard(&IAccessible::get_accHelp, child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Standard(&IAccessible::get_accHelpTopic, file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Standard(&IAccessible::get_accKeyboardShortcut, child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return Standard(&IAccessible::get_accFocus, child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return Standard(&IAccessible::get_accSelection, children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return Standard(&IAccessible::accSelect, flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return Standard(&IAccessible::accLocation, left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return Standard(&IAccessible::accNavigate, direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return Standard(&IAccessible::accHitTest, x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Standard(&IAccessible::put_accName, child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Standard(&IAccessible::put_accValue, child, value);
    }

  private:
    ~LinkAccessible() { standard_->Release(); }

    // A call of the standard object, while the link's window is there.
    template <class Method, class... Args> HRESULT Standard(Method method, Args... args) {
        if (!IsLink(link_)) return CO_E_OBJNOTCONNECTED;
        return (standard_->*method)(args...);
    }

    HWND link_;
    IAccessible* standard_;
    LONG refs_ = 1;
};

} // namespace

LRESULT LinkAccessibleResult(HWND link, WPARAM flags) {
    using CreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    // Oleacc and COM only once an accessibility client asks.
    static const auto createStd = SystemProc<CreateStd>(L"oleacc.dll", "CreateStdAccessibleObject");
    static const auto fromObject = SystemProc<FromObject>(L"oleacc.dll", "LresultFromObject");
    if (!createStd || !fromObject) return 0;
    EnterComApartmentOnce();
    IAccessible* standard = nullptr;
    if (FAILED(createStd(link, OBJID_CLIENT, __uuidof(IAccessible),
                         reinterpret_cast<void**>(&standard))))
        return 0;
    auto* accessible = new LinkAccessible(link, standard);
    const LRESULT result = fromObject(__uuidof(IAccessible), flags, accessible);
    accessible->Release(); // LresultFromObject holds its own reference
    return result > 0 ? result : 0;
}
