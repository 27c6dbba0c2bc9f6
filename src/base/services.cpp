#include "base/services.h"

namespace inboxhop {

const Service* FindService(std::wstring_view choice) {
    for (const Service& s : kServices) {
        if (choice == s.code) return &s;
    }
    return nullptr;
}

}  // namespace inboxhop
