#pragma once

#include "win/Form.h"

#include <windows.h>

// Work that may block for as long as another process likes (the desktop shell, a network drive
// behind it), run on a thread of its own while the UI thread waits for it a bounded time. The
// worker can outlive that wait, so the work is shared by the two threads and freed by whichever
// is done with it last.
class BackgroundWork {
  public:
    BackgroundWork() = default;
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // The work, on its own thread in a single-threaded apartment of its own; not run where no
    // thread or apartment can be had.
    virtual void Run() = 0;
    // Gives up one thread's share; the last frees the work.
    void Release();

  protected:
    virtual ~BackgroundWork() = default;

  private:
    LONG owners_ = 2; // the UI thread and the worker
};

// Starts `work` (made with new) on a thread of its own and runs this thread's messages until it
// is done, timeoutMs have passed, or the program is asked to quit. Its results may be read only
// once it is Signalled: done, or never started. The caller then releases its own share.
Form::Waited RunInBackground(BackgroundWork& work, DWORD timeoutMs);
