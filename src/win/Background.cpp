#include "win/Background.h"

#include "win/Handles.h"
#include "win/SystemLibrary.h"

namespace {

DWORD WINAPI RunWork(void* param) {
    auto& work = *static_cast<BackgroundWork*>(param);
    const ApartmentCalls& com = Apartment();
    if (com.enter && com.leave && SUCCEEDED(com.enter(nullptr, SingleThreadedApartment))) {
        work.Run();
        com.leave();
    }
    work.Release();
    return 0;
}

} // namespace

void BackgroundWork::Release() {
    if (InterlockedDecrement(&owners_) == 0) delete this;
}

Form::Waited RunInBackground(BackgroundWork& work, DWORD timeoutMs) {
    Apartment(); // loaded here, on the UI thread
    const KernelHandle thread(CreateThread(nullptr, 0, RunWork, &work, 0, nullptr));
    if (!thread.get()) {
        work.Release(); // the worker's share
        return Form::Waited::Signalled;
    }
    return Form::RunMessagesUntil(thread.get(), timeoutMs);
}
