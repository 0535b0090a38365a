#pragma once

namespace kvetro {

// The title that the message boxes carry.
inline constexpr char ApplicationTitle[] = "Kvetro";

// What the program answers to more than its one optional argument.
inline constexpr char ApplicationUsage[] = "Usage: kvetro [FILE.mzf]\n";

// Start-up: the application object, the main window, the message loop.
// Closing the window ends the loop; the result is the process's exit code.
// The one optional argument is an MZF file for the first press of the start
// button (how a file manager opens a file with Kvetro); nothing else on the
// command line is taken, not even the toolkit's own options. More arguments
// are a usage error: the usage on standard error, exit code 2, no window.
int RunApplication(int ArgumentCount, char* Arguments[]);

}  // namespace kvetro
