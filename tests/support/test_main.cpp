// The tests' main: GoogleTest's own, plus the text of a `const char*` failure
// that escapes a test. The engine throws its failures as `const char*`, which
// GoogleTest reports only as "Unknown C++ exception"; a listener called while
// GoogleTest still holds the exception prints what was thrown.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

class ThrownTextPrinter : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (!result.failed() || !std::strstr(result.message(), "Unknown C++ exception")) return;
        const std::exception_ptr thrown = std::current_exception();
        if (!thrown) return;
        try {
            std::rethrow_exception(thrown);
        } catch (const char* text) {
            std::printf("The test threw the text: \"%s\"\n", text ? text : "(null)");
        } catch (...) {
            std::printf("The test threw an exception that is neither a std::exception nor a text\n");
        }
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ThrownTextPrinter);
    return RUN_ALL_TESTS();
}
