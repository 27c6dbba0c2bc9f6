// The push button's click procedure: registers the program as the mail
// handler.
#include "ui/form1.h"

namespace inboxhop {

void Form1::PushButton1_Click() {
    // The registry work arrives with the mail handler setup.
}

}  // namespace inboxhop
