#include "win/LabelInk.h"

COLORREF InkColour(Ink ink, bool highContrast, const SystemInks& system) {
    switch (ink) {
    case Ink::Black:
        return highContrast ? system.text : RGB(0, 0, 0);
    case Ink::Link:
        return highContrast ? system.link : RGB(0, 0, 255);
    case Ink::System:
        break;
    }
    return system.text;
}

COLORREF CurrentInkColour(Ink ink) {
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    const bool highContrast =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON);
    return InkColour(ink, highContrast, {GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_HOTLIGHT)});
}
