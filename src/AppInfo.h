#pragma once

// Fixed when the program is built. The contact lines show exactly these texts, and their clicks
// pass exactly these texts on. The addresses use a reserved example domain: no maker's real
// address exists yet, and a test click must never reach a stranger.
inline constexpr wchar_t AppTitle[] = L"Quillmere";
inline constexpr wchar_t FeedbackAddress[] = L"help@quillmere.example";
inline constexpr wchar_t WebSiteAddress[] = L"https://quillmere.example";
inline constexpr wchar_t CopyrightLine[] = L"Copyright \u00a9 2026 Quillmere";
