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

// COM and automation strings, loaded from the system folder at the first launch only (on the
// UI thread: DesktopCallsReady).
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

// A step that reports success but gives no object ends the walk as a failure would.
HRESULT Got(HRESULT result, const void* object) {
    return FAILED(result) ? result : object ? S_OK : E_NOINTERFACE;
}

// The desktop folder view's Shell.Application object, in the desktop shell's process. Ends at
// Reach with S_OK once it has it.
DesktopWalk DesktopShellDispatch(ComPtr<IShellDispatch2>& shell) {
    ComPtr<IShellWindows> windows;
    HRESULT hr = Com().create(ClsidShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                              __uuidof(IShellWindows), windows.put_void());
    if (FAILED(hr = Got(hr, windows.get()))) return {DesktopWalk::ShellWindows, hr};
    VARIANT desktop{}, noRoot{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long window = 0;
    ComPtr<IDispatch> found;
    hr = windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                               found.put());
    // S_FALSE, not a failure, when there is no desktop.
    if (hr == S_FALSE || FAILED(hr = Got(hr, found.get()))) return {DesktopWalk::FindDesktop, hr};
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background, application;
    ComPtr<IShellFolderViewDual> folderView;
    if (FAILED(hr = found.As(services))) return {DesktopWalk::Reach, hr};
    hr = services->QueryService(SidTopLevelBrowser, __uuidof(IShellBrowser), browser.put_void());
    if (FAILED(hr = Got(hr, browser.get()))) return {DesktopWalk::Reach, hr};
    hr = browser->QueryActiveShellView(view.put());
    if (FAILED(hr = Got(hr, view.get()))) return {DesktopWalk::Reach, hr};
    hr = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.put_void());
    if (FAILED(hr = Got(hr, background.get()))) return {DesktopWalk::Reach, hr};
    if (FAILED(hr = background.As(folderView))) return {DesktopWalk::Reach, hr};
    hr = folderView->get_Application(application.put());
    if (FAILED(hr = Got(hr, application.get()))) return {DesktopWalk::Reach, hr};
    hr = application.As(shell);
    return {DesktopWalk::Reach, Got(hr, shell.get())};
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

DesktopAnswer AnswerOf(const DesktopWalk& walk) {
    switch (walk.step) {
    case DesktopWalk::ShellWindows:
        // No shell serves the list, or its server cannot start: nobody there to ask. Any other
        // failure (a shell that is restarting, busy or gone mid-call) is not taken for that.
        if (walk.result == REGDB_E_CLASSNOTREG || walk.result == CO_E_SERVER_EXEC_FAILURE)
            return DesktopAnswer::Unavailable;
        break;
    case DesktopWalk::FindDesktop:
        if (walk.result == S_FALSE) return DesktopAnswer::Unavailable;
        break;
    case DesktopWalk::Execute:
        if (walk.result == S_OK) return DesktopAnswer::Launched;
        break;
    case DesktopWalk::Reach:
        break;
    }
    // A shell that was asked may have launched already, or may still: never launch again. Under
    // Wine its ShellExecute gives S_FALSE for a refused launch; what Windows gives is not known
    // here, so any answer but S_OK counts as a refusal.
    return DesktopAnswer::Refused;
}

bool DesktopCallsReady() {
    return Com().complete();
}

DesktopWalk OpenFromDesktop(const std::wstring& target, const wchar_t* folder) {
    ComPtr<IShellDispatch2> shell;
    if (const DesktopWalk reached = DesktopShellDispatch(shell); reached.result != S_OK)
        return reached;
    // The launched program may take the foreground from us; without this, it opens behind.
    Com().allowForeground(shell.get(), nullptr);
    const Bstr file(Com().allocate(target.c_str())), directory(Com().allocate(folder));
    if (!file.get() || !directory.get()) return {DesktopWalk::Reach, E_OUTOFMEMORY};
    VARIANT show{}, directoryArgument{}, none{}; // none: VT_EMPTY, no arguments and no verb
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    directoryArgument.vt = VT_BSTR;
    directoryArgument.bstrVal = directory.get();
    return {DesktopWalk::Execute,
            shell->ShellExecute(file.get(), none, directoryArgument, none, show)};
}
