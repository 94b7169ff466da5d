#include "win/DesktopShell.h"

#include "win/Handles.h"
#include "win/SystemLibrary.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

namespace {

// The shell's list of its windows, served by the desktop's own process, and the service that
// gives a window's browser. (Defined here: their GUID symbols would need the uuid library.)
constexpr GUID ClsidShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID SidTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// COM and automation strings, loaded from the system folder at the first launch only.
struct ComCalls {
    decltype(&CoCreateInstance) create =
        SystemProc<decltype(&CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    decltype(&CoAllowSetForegroundWindow) allowForeground =
        SystemProc<decltype(&CoAllowSetForegroundWindow)>(L"ole32.dll",
                                                          "CoAllowSetForegroundWindow");
    decltype(&SysAllocString) allocate =
        SystemProc<decltype(&SysAllocString)>(L"oleaut32.dll", "SysAllocString");
    decltype(&SysFreeString) free =
        SystemProc<decltype(&SysFreeString)>(L"oleaut32.dll", "SysFreeString");
    bool complete() const { return create && allowForeground && allocate && free; }
};
const ComCalls& Com() {
    static const ComCalls calls;
    return calls;
}

struct FreeBstr {
    void operator()(BSTR text) const { Com().free(text); }
};
using Bstr = Owned<BSTR, FreeBstr>;

VARIANT TextArgument(const Bstr& text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = text.get();
    return v;
}

// A step that reports success but gives no object ends the walk as a failure would.
HRESULT Got(HRESULT result, const void* object) {
    return FAILED(result) ? result : object ? S_OK : E_NOINTERFACE;
}

// The desktop folder view's Shell.Application object, in the desktop shell's process.
HRESULT DesktopShellDispatch(ComPtr<IShellDispatch2>& shell) {
    ComPtr<IShellWindows> windows;
    HRESULT hr = Com().create(ClsidShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                              __uuidof(IShellWindows), windows.put_void());
    if (FAILED(hr = Got(hr, windows.get()))) return hr;
    VARIANT desktop{}, noRoot{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long window = 0;
    ComPtr<IDispatch> found;
    // S_FALSE, not a failure, when there is no desktop.
    if (windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              found.put()) != S_OK ||
        !found.get())
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background, application;
    ComPtr<IShellFolderViewDual> folderView;
    if (FAILED(hr = found.As(services))) return hr;
    hr = services->QueryService(SidTopLevelBrowser, __uuidof(IShellBrowser), browser.put_void());
    if (FAILED(hr = Got(hr, browser.get()))) return hr;
    hr = browser->QueryActiveShellView(view.put());
    if (FAILED(hr = Got(hr, view.get()))) return hr;
    hr = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.put_void());
    if (FAILED(hr = Got(hr, background.get()))) return hr;
    if (FAILED(hr = background.As(folderView))) return hr;
    hr = folderView->get_Application(application.put());
    if (FAILED(hr = Got(hr, application.get()))) return hr;
    return application.As(shell);
}

} // namespace

LaunchRoute RouteFor(TOKEN_ELEVATION_TYPE elevation) {
    // Limited: the shell has the same rights. Default: UAC is off, this is the built-in
    // Administrator or a standard user; the shell runs as this process does.
    return elevation == TokenElevationTypeFull ? LaunchRoute::Desktop : LaunchRoute::Direct;
}

LaunchRoute ThisProcessRoute() {
    KernelHandle token;
    TOKEN_ELEVATION_TYPE elevation = TokenElevationTypeDefault;
    DWORD size = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
        !GetTokenInformation(token.get(), TokenElevationType, &elevation, sizeof elevation, &size))
        elevation = TokenElevationTypeDefault;
    return RouteFor(elevation);
}

DesktopAnswer AnswerOf(HRESULT result) {
    if (FAILED(result)) return DesktopAnswer::Unavailable;
    // S_FALSE is the shell's refusal; any other success but S_OK is taken as one too, so that
    // a launch is never made twice.
    return result == S_OK ? DesktopAnswer::Launched : DesktopAnswer::Refused;
}

HRESULT OpenFromDesktop(const std::wstring& target, const wchar_t* folder) {
    if (!Com().complete()) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    EnterComApartmentOnce();
    ComPtr<IShellDispatch2> shell;
    if (const HRESULT hr = DesktopShellDispatch(shell); FAILED(hr)) return hr;
    // The launched program may take the foreground from us; without this, it opens behind.
    Com().allowForeground(shell.get(), nullptr);
    const Bstr file(Com().allocate(target.c_str())), none(Com().allocate(L"")),
        directory(Com().allocate(folder));
    if (!file.get() || !none.get() || !directory.get()) return E_OUTOFMEMORY;
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return shell->ShellExecute(file.get(), TextArgument(none), TextArgument(directory),
                               TextArgument(none), show);
}
