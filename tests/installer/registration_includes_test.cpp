// The installers' includes kept in installer/ are exactly what the registration's one table generates, so the
// installers write what the program writes. Native only.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "registration_includes.h"

namespace inboxhop {
namespace {

TEST(RegistrationIncludes, MatchTheTable) {
    const auto files = RegistrationIncludes();
    ASSERT_EQ(files.size(), 6u);
    for (const IncludeFile& file : files) {
        std::ifstream kept(std::string(INBOXHOP_INSTALLER_DIR "/") + file.name, std::ios::binary);
        std::ostringstream text;
        text << kept.rdbuf();
        EXPECT_EQ(text.str(), file.text) << "installer/" << file.name
                                         << " differs from the table: run build/native/registration_includes installer";
    }
}

}  // namespace
}  // namespace inboxhop
