#pragma once

// Start-up: creates the one main window, kept for the life of the program, and shows it.
void Main();
