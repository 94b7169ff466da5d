#pragma once

// Resource identifiers, shared by the resource script and the code.
#define IDI_APP 1
#define IDC_HANDPOINT 2

// The program's version, from which the version stamp is built.
#define QUILLMERE_MAJOR 1
#define QUILLMERE_MINOR 2
#define QUILLMERE_REVISION 0
#define QUILLMERE_VERSION_TEXT "1.02"
