#pragma once

// A small test harness for the layers that use the standard library only, so
// their tests also build with a plain cross compiler (no Qt there).
//
//   TEST_CASE(name) { CHECK(a == b); CHECK_EQ(a, b); }
//   int main() { return keyloom::test::RunAll(); }

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace keyloom::test {

struct Case {
    const char* name;
    std::function<void()> body;
};

inline std::vector<Case>& Registry() {
    static std::vector<Case> cases;
    return cases;
}

inline int& Failures() {
    static int failures = 0;
    return failures;
}

struct Register {
    Register(const char* name, std::function<void()> body) {
        Registry().push_back({name, std::move(body)});
    }
};

inline void Fail(const char* file, int line, const std::string& what) {
    ++Failures();
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what.c_str());
}

template <class A, class B>
void CheckEq(const A& a, const B& b, const char* as, const char* bs, const char* file, int line) {
    if (a == b)
        return;
    std::ostringstream out;
    out << as << " == " << bs << " (" << +a << " vs " << +b << ")";
    Fail(file, line, out.str());
}

inline void CheckEq(const std::string& a, const std::string& b, const char* as, const char* bs,
                    const char* file, int line) {
    if (a != b)
        Fail(file, line, std::string(as) + " == " + bs + " (\"" + a + "\" vs \"" + b + "\")");
}

// Runs every case; prints one line per failing case and the closing count.
inline int RunAll() {
    int passed = 0, failed = 0;
    for (const auto& c : Registry()) {
        const int before = Failures();
        c.body();
        if (Failures() == before) {
            ++passed;
        } else {
            ++failed;
            std::fprintf(stderr, "FAILED: %s\n", c.name);
        }
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace keyloom::test

#define KL_CAT2(a, b) a##b
#define KL_CAT(a, b) KL_CAT2(a, b)
#define TEST_CASE(name)                                                                            \
    static void KL_CAT(test_, name)();                                                             \
    static ::keyloom::test::Register KL_CAT(reg_, name)(#name, &KL_CAT(test_, name));              \
    static void KL_CAT(test_, name)()
#define CHECK(expr)                                                                                \
    do {                                                                                           \
        if (!(expr))                                                                               \
            ::keyloom::test::Fail(__FILE__, __LINE__, #expr);                                      \
    } while (0)
#define CHECK_EQ(a, b) ::keyloom::test::CheckEq((a), (b), #a, #b, __FILE__, __LINE__)
