// The test programs' entry: GoogleTest, with one check of the run itself. A run that asks for
// a code page (TOLVANIX_CODE_PAGE, as the code page 932 runs do) fails when the system has
// another one, instead of passing with the cases that need it skipped.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace {

class CCodePageCheck : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* wanted = std::getenv("TOLVANIX_CODE_PAGE");
        if (wanted) {
            ASSERT_EQ(std::strtoul(wanted, nullptr, 10), GetACP())
                << "this run needs the ANSI code page " << wanted;
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new CCodePageCheck);
    return RUN_ALL_TESTS();
}
