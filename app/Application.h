#pragma once

namespace kvetro {

// The title that the message boxes carry.
inline constexpr char ApplicationTitle[] = "Kvetro";

// What the program answers to more than its one optional argument.
inline constexpr char ApplicationUsage[] = "Usage: kvetro [FILE.mzf | RECORDING.wav]\n";

// Start-up: the application object, the main window, the message loop.
// Closing the window ends the loop; the result is the process's exit code.
// The one optional argument is an MZF file for the first press of the start
// button (how a file manager opens a file with Kvetro), or a WAV, told by its
// first bytes, which is read back as a recording at once. Besides it only
// --help and --version are taken, answered without a window or a display;
// not even the toolkit's own options. Another option or more files are a
// usage error (the usage on standard error, exit code 2), a file that cannot
// be read is refused with its name and why (exit code 1): no window.
int RunApplication(int ArgumentCount, char* Arguments[]);

}  // namespace kvetro
