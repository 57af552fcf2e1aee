#pragma once
// Where the program works: the capture file goes to the current directory.

// Started in one of the system's own folders (Windows starts the programs
// of its Run key there, at logon), the program works in the folder it was
// started from instead: a program running as the user cannot write the
// system's folders, so every capture would fail. Any other start keeps its
// current directory.
void LeaveSystemFolder();
