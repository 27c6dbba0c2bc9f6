// COM on the program's one thread, started the first time something needs
// it: the shell's hand-off and the push button's accessibility object. A
// start that shows the window without being asked for either never pays
// for it.
#pragma once

namespace inboxhop {

void EnsureComInitialized();

}  // namespace inboxhop
