#pragma once

// Resource identifiers, shared by the resource script and the code.
#define IDI_APP 1
#define IDC_HANDPOINT 2

// The program's version: the one place it is written. The version stamp, its version text
// ("1.02" for 1.2.x), the manifest, the About window and the release's name are all made from
// these three numbers; a bump is one edit here.
#define QUILLMERE_MAJOR 1
#define QUILLMERE_MINOR 2
#define QUILLMERE_REVISION 0
