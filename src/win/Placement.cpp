#include "win/Placement.h"

#include <algorithm>

POINT CentredOn(HWND reference, int width, int height) {
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT ref = area;
    if (reference) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &monitor))
            area = monitor.rcWork;
        GetWindowRect(reference, &ref);
    }
    const int x = ref.left + ((ref.right - ref.left) - width) / 2;
    const int y = ref.top + ((ref.bottom - ref.top) - height) / 2;
    return {std::max<LONG>(area.left, std::min<LONG>(x, area.right - width)),
            std::max<LONG>(area.top, std::min<LONG>(y, area.bottom - height))};
}
