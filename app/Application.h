#pragma once

namespace kvetro {

// The title that the message boxes carry.
inline constexpr char ApplicationTitle[] = "Kvetro";

// Start-up: the application object, the main window, the message loop.
// Closing the window ends the loop; the result is the process's exit code.
// The command line is not interpreted, not even the toolkit's own options.
int RunApplication(char* ProgramPath);

}  // namespace kvetro
