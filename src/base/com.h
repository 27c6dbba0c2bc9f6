// COM on the program's one thread, started the first time something needs
// it (the shell's hand-off, the association queries of the set-up button). A
// start that shows the window and is never pressed never pays for it.
#pragma once

namespace inboxhop {

// Starts COM (apartment-threaded) once. Answers whether COM is usable on
// this thread; a failed start is tried again at the next call.
bool EnsureComInitialized();

}  // namespace inboxhop
